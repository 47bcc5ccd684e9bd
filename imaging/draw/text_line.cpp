#include "imaging/draw/text_line.h"

#include "imaging/core/qimage_view.h"

#include <QColor>
#include <QFontMetricsF>
#include <QPainter>

namespace imaging {

void DrawTextLine(QPainter& painter, const QString& text, const QFont& font, std::uint32_t argb, float x, float y) {
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(argb));
    const QFontMetricsF metrics(font, painter.device());
    painter.drawText(QPointF(x, y + metrics.ascent()), text);
}

Status DrawTextLine(PixelBuffer& target, const QString& text, const QFont& font, std::uint32_t argb, float x,
                    float y) {
    if (target.empty() || target.layout() != PixelLayout::Rgb8) return Status::InvalidParameter;
    QImage view = WritableView(target);
    QPainter painter(&view);
    if (!painter.isActive()) return Status::GenericError;
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    DrawTextLine(painter, text, font, argb, x, y);
    return painter.end() ? Status::Ok : Status::GenericError;
}

}  // namespace imaging
