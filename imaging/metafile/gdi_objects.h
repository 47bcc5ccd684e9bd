#pragma once
// The drawing objects a metafile creates and selects (pens, brushes, fonts,
// palettes, regions) and the device-context state they live in. Both
// players (WMF and EMF) fill these; the device draws with them. The
// format's constants are in record_types.h.

#include "imaging/metafile/record_types.h"

#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QTransform>

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace imaging::metafile {

using ColorRef = std::uint32_t;  // 0x00BBGGRR, or a palette index with 0x01 in the top byte

struct Pen {
    std::uint32_t style = gdi::PS_SOLID;
    double width = 0;           // logical units; 0 means one device pixel
    bool cosmetic = true;       // always one device pixel wide
    ColorRef color = 0;
    std::vector<double> dashes;  // PS_USERSTYLE entries
};

struct Brush {
    std::uint32_t style = gdi::BS_SOLID;
    ColorRef color = 0xFFFFFF;
    std::uint32_t hatch = 0;
    QImage pattern;  // BS_PATTERN / BS_DIBPATTERN
    bool monochrome = false;  // a 1-bit pattern takes text and background colours
};

struct Font {
    int height = 0;  // logical units: below 0 the em height, above 0 the cell height
    int width = 0;
    int escapement = 0;  // tenths of a degree, counterclockwise
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::uint8_t charSet = 0;
    QString face;
};

struct Palette {
    std::vector<QRgb> entries;
};

// A WMF region, in logical units of the moment it was made.
struct Region {
    QPainterPath path;
};

using GdiObject = std::variant<std::monostate, Pen, Brush, Font, Palette, Region>;

// Everything SaveDC saves and RestoreDC brings back.
struct DcState {
    int mapMode = gdi::MM_TEXT;
    QPointF windowOrg{0, 0};
    QSizeF windowExt{1, 1};
    QPointF viewportOrg{0, 0};
    QSizeF viewportExt{1, 1};
    QTransform world;

    Pen pen;
    Brush brush;
    Font font;
    std::vector<QRgb> palette;

    ColorRef textColor = 0x000000;
    ColorRef bkColor = 0xFFFFFF;
    int bkMode = gdi::OPAQUE;
    std::uint32_t textAlign = 0;
    int rop2 = gdi::R2_COPYPEN;
    int polyFillMode = gdi::ALTERNATE;
    bool arcClockwise = false;
    double miterLimit = 10;
    int textCharExtra = 0;

    QPointF current{0, 0};                // logical units
    std::optional<QPainterPath> clip;      // bitmap pixels; none means the whole picture
};

}  // namespace imaging::metafile
