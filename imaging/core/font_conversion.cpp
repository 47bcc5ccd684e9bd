#include "imaging/core/font_conversion.h"

#include <QFontInfo>
#include <QStringList>

#include <algorithm>

#include <cmath>

QFont FontFromLogFont(const LOGFONTW& lf) {
    QFont font;
    const QString face = lf.faceName();
    if (!face.isEmpty()) font.setFamilies({face});
    // A negative height is the em height; a positive one is the cell height,
    // of which the em takes roughly 80% in common faces.
    if (lf.lfHeight < 0) {
        font.setPixelSize(-lf.lfHeight);
    } else if (lf.lfHeight > 0) {
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(lf.lfHeight * 0.8))));
    }
    if (lf.lfWeight > 0) font.setWeight(static_cast<QFont::Weight>(std::clamp(lf.lfWeight, 1, 1000)));
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    if (lf.lfWidth > 0 && lf.lfHeight != 0) {
        // Stretch so that the average character width approaches lfWidth.
        const int stretch = static_cast<int>(std::lround(100.0 * lf.lfWidth * 2.0 / std::abs(lf.lfHeight)));
        font.setStretch(std::clamp(stretch, 1, 4000));
    }
    return font;
}

LOGFONTW LogFontFromFont(const QFont& font) {
    LOGFONTW lf;
    int pixels = font.pixelSize();
    if (pixels <= 0) pixels = static_cast<int>(std::lround(font.pointSizeF() * 96.0 / 72.0));
    lf.lfHeight = -std::max(1, pixels);
    lf.lfWeight = font.weight();
    lf.lfItalic = font.italic() ? 1 : 0;
    lf.lfUnderline = font.underline() ? 1 : 0;
    lf.lfStrikeOut = font.strikeOut() ? 1 : 0;
    // The face the font is really shown in: a requested face this desktop
    // lacks has been replaced by a similar one, and that is what a user sees.
    QString family = QFontInfo(font).family();
    if (family.isEmpty()) family = font.families().isEmpty() ? font.family() : font.families().constFirst();
    lf.setFaceName(family);
    return lf;
}
