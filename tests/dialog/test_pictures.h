#pragma once
// Pictures the dialog tests open, written at test time into a folder of the
// test's own: plain PNG files through Qt, and a small animated GIF whose
// frames are each filled with a colour of their own so a test can tell
// which frame the preview shows.

#include <QColor>
#include <QString>

// A PNG of the size, filled with the colour. Returns its path.
QString WritePng(const QString& folder, const QString& name, int width, int height,
                 QColor color = QColor(40, 90, 160));

// An animation of `frames` frames (at most 16), frame i filled with
// AnimationColor(i). Returns its path.
QString WriteAnimatedGif(const QString& folder, const QString& name, int frames, int width = 8, int height = 6);
QColor AnimationColor(int frame);
