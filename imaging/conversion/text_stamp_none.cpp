// For a converter that draws no text: it never loads Qt's GUI side. Its
// main hands every command line with text to the converter that draws it,
// so a conversion here never asks for text; should one ever do, it fails
// rather than save an output without the text a person asked for.
#include "imaging/conversion/text_stamp.h"

namespace imaging {

bool DrawsText() { return false; }

std::unique_ptr<QCoreApplication> ApplicationForText(int& argc, char** argv) {
    return std::make_unique<QCoreApplication>(argc, argv);
}

bool StampText(GpGraphics*, const ConversionInput&) { return false; }

}  // namespace imaging
