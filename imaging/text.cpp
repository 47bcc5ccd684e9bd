// Fonts, solid brushes and one line of text. Text is drawn with QPainter on
// an image view of the bitmap's own rows (or through the window's painter),
// so Qt's font matching, shaping and fallback fonts serve every script.
#include "imaging/gdiplus_objects.h"

#include "platform/font_conversion.h"

#include <QColor>
#include <QFontMetricsF>
#include <QPainter>

namespace imaging {

GpFont::GpFont(std::unique_ptr<FontData> data) : data_(std::move(data)) {}
GpFont::~GpFont() = default;

Status GdipCreateFontFromLogfontW(const LOGFONTW& logfont, std::unique_ptr<GpFont>& font) {
    auto data = std::make_unique<FontData>();
    // A font needs a size: a zero height takes the classic default of
    // 12 points at 96 DPI, 16 pixels.
    LOGFONTW lf = logfont;
    if (lf.lfHeight == 0) lf.lfHeight = -16;
    data->font = FontFromLogFont(lf);
    data->valid = true;
    font = std::make_unique<GpFont>(std::move(data));
    return Status::Ok;
}

Status GdipCreateSolidFill(ARGB color, std::unique_ptr<GpSolidFill>& brush) {
    brush = std::make_unique<GpSolidFill>(color, true);
    return Status::Ok;
}

namespace {

void DrawLine(QPainter& painter, const QString& text, const QFont& font, ARGB color, const RectF& at) {
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(color));
    // The layout rectangle's corner is the top-left of the text's line box:
    // the baseline sits one ascent below it.
    const QFontMetricsF metrics(font, painter.device());
    painter.drawText(QPointF(at.X, at.Y + metrics.ascent()), text);
}

}  // namespace

Status GdipDrawString(GpGraphics* graphics, const QString& text, int length, const GpFont* font,
                      const RectF* layoutRect, const void* stringFormat, const GpSolidFill* brush) {
    (void)stringFormat;  // one line, the defaults: no format is applied
    if (!graphics || !graphics->data().valid || !font || !font->data().valid || !layoutRect || !brush ||
        !brush->valid())
        return Status::InvalidParameter;
    // -1: up to the first zero; otherwise that many characters.
    QString line = text;
    if (length < 0) {
        const qsizetype zero = line.indexOf(QChar(u'\0'));
        if (zero >= 0) line.truncate(zero);
    } else {
        line.truncate(length);
    }
    if (line.isEmpty()) return Status::Ok;
    GraphicsData& g = graphics->data();
    if (g.painter) {
        g.painter->save();
        DrawLine(*g.painter, line, font->data().font, brush->color(), *layoutRect);
        g.painter->restore();
        return Status::Ok;
    }
    PixelBuffer* target = FrameOf(g.target);
    if (!target || target->layout() != PixelLayout::Rgb8) return Status::InvalidParameter;
    QImage view = WritableView(*target);
    QPainter painter(&view);
    if (!painter.isActive()) return Status::GenericError;
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    DrawLine(painter, line, font->data().font, brush->color(), *layoutRect);
    return painter.end() ? Status::Ok : Status::GenericError;
}

}  // namespace imaging
