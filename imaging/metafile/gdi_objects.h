#pragma once
// The drawing objects a metafile creates and selects (pens, brushes, fonts,
// palettes, regions), the device-context state they live in, and the
// constants of the records that set them. Both players (WMF and EMF) fill
// these; the device draws with them.

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

namespace gdi {
// Mapping modes.
constexpr int MM_TEXT = 1, MM_LOMETRIC = 2, MM_HIMETRIC = 3, MM_LOENGLISH = 4, MM_HIENGLISH = 5, MM_TWIPS = 6,
              MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8;
// Pen styles and flags.
constexpr std::uint32_t PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5,
                        PS_INSIDEFRAME = 6, PS_USERSTYLE = 7, PS_ALTERNATE = 8, PS_STYLE_MASK = 0xF,
                        PS_ENDCAP_SQUARE = 0x100, PS_ENDCAP_FLAT = 0x200, PS_ENDCAP_MASK = 0xF00,
                        PS_JOIN_BEVEL = 0x1000, PS_JOIN_MITER = 0x2000, PS_JOIN_MASK = 0xF000,
                        PS_GEOMETRIC = 0x10000;
// Brush styles and hatches.
constexpr std::uint32_t BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2, BS_PATTERN = 3, BS_DIBPATTERN = 5,
                        BS_DIBPATTERNPT = 6;
constexpr std::uint32_t HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3, HS_CROSS = 4,
                        HS_DIAGCROSS = 5;
// Background modes, fill modes, text alignment, text-out options.
constexpr int TRANSPARENT = 1, OPAQUE = 2;
constexpr int ALTERNATE = 1, WINDING = 2;
constexpr std::uint32_t TA_UPDATECP = 1, TA_RIGHT = 2, TA_CENTER = 6, TA_HMASK = 6, TA_BOTTOM = 8, TA_BASELINE = 24,
                        TA_VMASK = 24;
constexpr std::uint32_t ETO_OPAQUE = 2, ETO_CLIPPED = 4, ETO_GLYPH_INDEX = 0x10, ETO_PDY = 0x2000,
                        ETO_NO_RECT = 0x100, ETO_SMALL_CHARS = 0x200;
// Raster operations of the pen (ROP2).
constexpr int R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4, R2_MASKPENNOT = 5, R2_NOT = 6,
              R2_XORPEN = 7, R2_NOTMASKPEN = 8, R2_MASKPEN = 9, R2_NOTXORPEN = 10, R2_NOP = 11, R2_MERGENOTPEN = 12,
              R2_COPYPEN = 13, R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16;
// Region combination modes.
constexpr int RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;
}  // namespace gdi

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
