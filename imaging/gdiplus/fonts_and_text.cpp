// Fonts, solid brushes and one line of text: the facade's checks around
// imaging/draw, which draws on the bitmap's own rows (or through the
// window's painter).
#include "imaging/gdiplus/gdiplus_objects.h"

#include "imaging/core/font_conversion.h"
#include "imaging/draw/text_line.h"

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
    const RectF& at = *layoutRect;
    if (g.painter) {
        g.painter->save();
        DrawTextLine(*g.painter, line, font->data().font, brush->color(), at.X, at.Y);
        g.painter->restore();
        return Status::Ok;
    }
    PixelBuffer* target = FrameOf(g.target);
    if (!target) return Status::InvalidParameter;
    return DrawTextLine(*target, line, font->data().font, brush->color(), at.X, at.Y);
}

}  // namespace imaging
