#pragma once
// One line of text drawn with QPainter, so Qt's font matching, shaping and
// fallback fonts serve every script. The point given is the top-left of the
// line box: the baseline sits one ascent below it.

#include "imaging/core/pixel_buffer.h"
#include "imaging/core/status.h"

#include <QFont>
#include <QString>

#include <cstdint>

class QPainter;

namespace imaging {

// Through a painter someone else owns (a window's, for the preview).
void DrawTextLine(QPainter& painter, const QString& text, const QFont& font, std::uint32_t argb, float x, float y);
// Into a 24-bit buffer, antialiased. InvalidParameter for another layout.
Status DrawTextLine(PixelBuffer& target, const QString& text, const QFont& font, std::uint32_t argb, float x,
                    float y);

}  // namespace imaging
