#include "dialog/progress_bar.h"

#include <QColor>
#include <QPainter>
#include <QRect>

#include <algorithm>

namespace {
constexpr int kBarHeight = 6;
constexpr int kStepsPerSweep = 40;  // one sweep across the strip
}  // namespace

QRect ProgressBarStrip(const QRect& area) {
    const int height = std::min(kBarHeight, area.height());
    return QRect(area.left(), area.bottom() - height + 1, area.width(), height);
}

void PaintProgressBar(QPainter& painter, const QRect& area, int step) {
    const QRect strip = ProgressBarStrip(area);
    if (strip.isEmpty()) return;
    painter.fillRect(strip, QColor(32, 32, 32));
    // The block is a quarter of the strip wide and enters from the left edge,
    // so it is cut by the strip's ends as it comes and goes.
    const int block = std::max(1, strip.width() / 4);
    const int travel = strip.width() + block;
    const int position = (std::max(step, 0) % kStepsPerSweep) * travel / kStepsPerSweep;
    const QRect moving(strip.left() - block + position, strip.top(), block, strip.height());
    painter.fillRect(moving.intersected(strip), QColor(70, 160, 240));
}
