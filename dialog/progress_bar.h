#pragma once
// The sign that a long run is under way: a thin bar along the bottom of the
// preview in which a block slides from left to right, over and over. It is
// painted over the preview rather than added as a control, so the dialog's
// controls and texts stay exactly as they are.

class QPainter;
class QRect;

// Paints the bar for animation step `step` along the bottom of `area`.
void PaintProgressBar(QPainter& painter, const QRect& area, int step);

// The strip of `area` the bar covers.
QRect ProgressBarStrip(const QRect& area);
