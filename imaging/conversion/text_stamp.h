#pragma once
// The line of text a conversion may stamp on its output. Text needs Qt's
// GUI side for its fonts, and that side (with the display, font and shaping
// libraries it pulls in) is much of a converter's start-up; a converter run
// without text should not load it. So the stamp is kept apart from the
// pipeline, in two object libraries of which a program links exactly one:
//   imaging_text_stamp       draws the text: the window, and the converter
//                            that command lines with text are run by;
//   imaging_text_stamp_none  draws none: the converter for everything else,
//                            which hands a command line with text on to the
//                            one that draws it (cli/main.cpp).

#include "imaging/conversion/conversion.h"
#include "imaging/gdiplus/gdiplus.h"

#include <QCoreApplication>

#include <memory>

namespace imaging {

// Whether this program draws text.
bool DrawsText();

// The application object for a run that draws text: Qt's GUI side, which
// fonts need (a plain core application where no text is drawn).
std::unique_ptr<QCoreApplication> ApplicationForText(int& argc, char** argv);

// Draws in.overlayText on the surface at (in.textX, in.textY). Text that
// cannot be drawn (no such font, say) is simply absent, as a person asked
// for it; false only where this program draws no text at all.
bool StampText(GpGraphics* graphics, const ConversionInput& in);

}  // namespace imaging
