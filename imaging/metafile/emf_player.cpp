// The EMF record loop, and the records that change state or make objects:
// coordinate spaces, colours and modes, saved states, and the object table
// of pens, brushes, fonts and palettes (with the stock objects).

#include "imaging/metafile/emf_player.h"

#include "imaging/metafile/dib.h"
#include "imaging/metafile/font_record.h"

#include <cmath>

namespace imaging::metafile {

using namespace gdi;

namespace {

constexpr std::uint32_t kMaxObjects = 65536;

std::optional<GdiObject> StockGdiObject(std::uint32_t index) {
    auto brush = [](ColorRef color, std::uint32_t style = BS_SOLID) {
        Brush b;
        b.style = style;
        b.color = color;
        return GdiObject(b);
    };
    auto pen = [](ColorRef color, std::uint32_t style = PS_SOLID) {
        Pen p;
        p.style = style;
        p.color = color;
        return GdiObject(p);
    };
    auto font = [](const QString& face) {
        Font f;
        f.face = face;
        f.height = 12;
        return GdiObject(f);
    };
    using enum StockObject;
    switch (static_cast<StockObject>(index)) {
    case WHITE_BRUSH: return brush(0xFFFFFF);
    case LTGRAY_BRUSH: return brush(0xC0C0C0);
    case GRAY_BRUSH: return brush(0x808080);
    case DKGRAY_BRUSH: return brush(0x404040);
    case BLACK_BRUSH: return brush(0x000000);
    case NULL_BRUSH: return brush(0, BS_NULL);
    case WHITE_PEN: return pen(0xFFFFFF);
    case BLACK_PEN: return pen(0x000000);
    case NULL_PEN: return pen(0, PS_NULL);
    case OEM_FIXED_FONT: case ANSI_FIXED_FONT: case SYSTEM_FIXED_FONT: return font(QStringLiteral("Monospace"));
    case ANSI_VAR_FONT: case SYSTEM_FONT: case DEVICE_DEFAULT_FONT: case DEFAULT_GUI_FONT:
        return font(QStringLiteral("Sans Serif"));
    case DEFAULT_PALETTE: return GdiObject(Palette{});
    case DC_BRUSH: return brush(0xFFFFFF);  // white until set
    case DC_PEN: return pen(0x000000);      // black until set
    default: return std::nullopt;
    }
}

QPointF ReadPoint(ByteReader& r) {
    const double x = r.I32();
    const double y = r.I32();
    return QPointF(x, y);
}

QTransform ReadXform(ByteReader& r) {
    const double m11 = r.F32(), m12 = r.F32(), m21 = r.F32(), m22 = r.F32(), dx = r.F32(), dy = r.F32();
    return QTransform(m11, m12, m21, m22, dx, dy);
}

bool FiniteTransform(const QTransform& t) {
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) && std::isfinite(t.m22()) &&
           std::isfinite(t.dx()) && std::isfinite(t.dy());
}

}  // namespace

Status PlayEmf(const QByteArray& file, const MetafileInfo& info, QImage& target) {
    GdiDevice device(target, info.deviceToBitmap, info.devicePixelsPerMm);
    EmfPlayer player(device, info.objectCount);
    const ByteReader whole = Reader(file);
    std::size_t pos = 0;
    while (whole.size() - pos >= 8) {
        ByteReader head = whole.Slice(pos, 8);
        const std::uint32_t type = head.U32();
        const std::uint32_t size = head.U32();
        if (size < 8 || size % 4 != 0 || size > whole.size() - pos) return Status::GenericError;
        ByteReader record = whole.Slice(pos, size);
        record.Seek(8);
        if (!player.Play(type, record)) break;
        pos += size;
    }
    return Status::Ok;
}

EmfPlayer::EmfPlayer(GdiDevice& device, std::uint32_t objectCount)
    : device_(device), objects_(std::clamp<std::uint32_t>(objectCount, 1, kMaxObjects)) {}

bool EmfPlayer::Play(std::uint32_t type, ByteReader& r) {
    const EmfRecord record = static_cast<EmfRecord>(type);
    if (record == EmfRecord::EMR_EOF) return false;
    if (!PlayState(record, r) && !PlayObjects(record, r)) PlayDrawing(record, r);
    return true;
}

bool EmfPlayer::PlayState(EmfRecord record, ByteReader& r) {
    using enum EmfRecord;
    DcState& s = device_.state();
    switch (record) {
    case EMR_SETWINDOWEXTEX: { const double w = r.I32(), h = r.I32(); if (!r.failed()) device_.SetWindowExt(QSizeF(w, h)); break; }
    case EMR_SETWINDOWORGEX: { const QPointF p = ReadPoint(r); if (!r.failed()) device_.SetWindowOrg(p); break; }
    case EMR_SETVIEWPORTEXTEX: { const double w = r.I32(), h = r.I32(); if (!r.failed()) device_.SetViewportExt(QSizeF(w, h)); break; }
    case EMR_SETVIEWPORTORGEX: { const QPointF p = ReadPoint(r); if (!r.failed()) device_.SetViewportOrg(p); break; }
    case EMR_SETMAPMODE: { const std::uint32_t m = r.U32(); if (!r.failed()) device_.SetMapMode(static_cast<int>(m), false); break; }
    case EMR_SETBKMODE: { const std::uint32_t m = r.U32(); if (!r.failed() && (m == TRANSPARENT || m == OPAQUE)) s.bkMode = static_cast<int>(m); break; }
    case EMR_SETPOLYFILLMODE: { const std::uint32_t m = r.U32(); if (!r.failed() && (m == ALTERNATE || m == WINDING)) s.polyFillMode = static_cast<int>(m); break; }
    case EMR_SETROP2: { const std::uint32_t m = r.U32(); if (!r.failed() && m >= R2_BLACK && m <= R2_WHITE) s.rop2 = static_cast<int>(m); break; }
    case EMR_SETTEXTALIGN: { const std::uint32_t a = r.U32(); if (!r.failed()) s.textAlign = a; break; }
    case EMR_SETTEXTCOLOR: { const std::uint32_t c = r.U32(); if (!r.failed()) s.textColor = c; break; }
    case EMR_SETBKCOLOR: { const std::uint32_t c = r.U32(); if (!r.failed()) s.bkColor = c; break; }
    case EMR_MOVETOEX: { const QPointF p = ReadPoint(r); if (!r.failed()) device_.MoveTo(p); break; }
    case EMR_SCALEVIEWPORTEXTEX: case EMR_SCALEWINDOWEXTEX: {
        const double xNum = r.I32(), xDen = r.I32(), yNum = r.I32(), yDen = r.I32();
        if (r.failed() || xDen == 0 || yDen == 0) break;
        if (record == EMR_SCALEVIEWPORTEXTEX) device_.SetViewportExt(QSizeF(s.viewportExt.width() * xNum / xDen, s.viewportExt.height() * yNum / yDen));
        else device_.SetWindowExt(QSizeF(s.windowExt.width() * xNum / xDen, s.windowExt.height() * yNum / yDen));
        break;
    }
    case EMR_SAVEDC: device_.SaveDC(); break;
    case EMR_RESTOREDC: { const std::int32_t n = r.I32(); if (!r.failed()) device_.RestoreDC(n); break; }
    case EMR_SETWORLDTRANSFORM: { const QTransform t = ReadXform(r); if (!r.failed() && FiniteTransform(t)) device_.SetWorldTransform(t); break; }
    case EMR_MODIFYWORLDTRANSFORM: {
        const QTransform t = ReadXform(r);
        const std::uint32_t mode = r.U32();
        if (!r.failed() && FiniteTransform(t)) device_.ModifyWorldTransform(t, mode);
        break;
    }
    case EMR_SETARCDIRECTION: { const std::uint32_t d = r.U32(); if (!r.failed()) s.arcClockwise = d == AD_CLOCKWISE; break; }
    case EMR_SETMITERLIMIT: {
        const float limit = r.F32();
        if (!r.failed() && std::isfinite(limit) && limit >= 1) s.miterLimit = limit;
        break;
    }
    // Records with nothing to draw here: brush origin, mapper flags,
    // stretch mode, colour adjustment, meta region, ICM, layout, realize
    // palette, comments (and the EMF+ records inside them).
    case EMR_SETBRUSHORGEX: case EMR_SETMAPPERFLAGS: case EMR_SETSTRETCHBLTMODE: case EMR_SETCOLORADJUSTMENT:
    case EMR_SETMETARGN: case EMR_REALIZEPALETTE: case EMR_GDICOMMENT: case EMR_SETICMMODE: case EMR_SETLAYOUT: break;
    default: return false;
    }
    return true;
}

// Records that make, select and delete objects of the table.
bool EmfPlayer::PlayObjects(EmfRecord record, ByteReader& r) {
    using enum EmfRecord;
    switch (record) {
    case EMR_SELECTOBJECT: case EMR_SELECTPALETTE: { const std::uint32_t i = r.U32(); if (!r.failed()) SelectObject(i); break; }
    case EMR_CREATEPEN: CreatePen(r); break;
    case EMR_CREATEBRUSHINDIRECT: CreateBrush(r); break;
    case EMR_DELETEOBJECT: { const std::uint32_t i = r.U32(); if (!r.failed()) DeleteObject(i); break; }
    case EMR_CREATEPALETTE: CreatePalette(r); break;
    case EMR_SETPALETTEENTRIES: SetPaletteEntries(r); break;
    case EMR_EXTCREATEFONTINDIRECTW: CreateFont(r); break;
    case EMR_CREATEMONOBRUSH: CreatePatternBrush(r, true); break;
    case EMR_CREATEDIBPATTERNBRUSHPT: CreatePatternBrush(r, false); break;
    case EMR_EXTCREATEPEN: ExtCreatePen(r); break;
    default: return false;
    }
    return true;
}

bool EmfPlayer::StoreObject(std::uint32_t index, GdiObject object) {
    if (index == 0 || index >= kMaxObjects) return false;  // slot 0 is the metafile itself
    if (index >= objects_.size()) objects_.resize(index + 1);
    objects_[index] = std::move(object);
    return true;
}

void EmfPlayer::SelectObject(std::uint32_t index) {
    std::optional<GdiObject> stock;
    const GdiObject* object = nullptr;
    if (index & kStockObjectFlag) {
        stock = StockGdiObject(index & ~kStockObjectFlag);
        if (stock) object = &*stock;
    } else if (index < objects_.size()) {
        object = &objects_[index];
    }
    if (!object) return;
    DcState& s = device_.state();
    if (const Pen* pen = std::get_if<Pen>(object)) s.pen = *pen;
    else if (const Brush* brush = std::get_if<Brush>(object)) s.brush = *brush;
    else if (const Font* font = std::get_if<Font>(object)) s.font = *font;
    else if (const Palette* palette = std::get_if<Palette>(object)) s.palette = palette->entries;
}

void EmfPlayer::DeleteObject(std::uint32_t index) {
    if (!(index & kStockObjectFlag) && index < objects_.size()) objects_[index] = std::monostate{};
}

void EmfPlayer::CreatePen(ByteReader& r) {
    const std::uint32_t index = r.U32();
    Pen pen;
    pen.style = r.U32();
    pen.width = r.I32();
    r.I32();  // the y of the width is unused
    pen.color = r.U32();
    if (r.failed()) return;
    // Only a zero width means one pixel whatever the mapping; any other
    // width is in logical units and scales with the page.
    pen.cosmetic = pen.width == 0;
    StoreObject(index, pen);
}

void EmfPlayer::ExtCreatePen(ByteReader& r) {
    const std::uint32_t index = r.U32();
    r.Skip(16);  // the bitmap of a pattern pen is not used: pens draw in their colour
    Pen pen;
    pen.style = r.U32();
    pen.width = r.U32();
    const std::uint32_t brushStyle = r.U32();
    pen.color = r.U32();
    r.U32();  // hatch
    const std::uint32_t entries = r.U32();
    if (r.failed()) return;
    if (brushStyle == BS_NULL) pen.style = (pen.style & ~PS_STYLE_MASK) | PS_NULL;
    if (entries > 0 && r.Has(entries, 4) && entries <= 64)
        for (std::uint32_t i = 0; i < entries; ++i) pen.dashes.push_back(r.U32());
    pen.cosmetic = !(pen.style & PS_GEOMETRIC);
    StoreObject(index, pen);
}

void EmfPlayer::CreateBrush(ByteReader& r) {
    const std::uint32_t index = r.U32();
    Brush brush;
    brush.style = r.U32();
    brush.color = r.U32();
    brush.hatch = r.U32();
    if (r.failed()) return;
    if (brush.style != BS_SOLID && brush.style != BS_NULL && brush.style != BS_HATCHED) brush.style = BS_SOLID;
    StoreObject(index, brush);
}

void EmfPlayer::CreatePatternBrush(ByteReader& r, bool monochrome) {
    const std::uint32_t index = r.U32();
    const std::uint32_t usage = r.U32();
    const std::uint32_t offBmi = r.U32(), cbBmi = r.U32(), offBits = r.U32(), cbBits = r.U32();
    if (r.failed()) return;
    const std::optional<Dib> dib = ReadBitmap(r, offBmi, cbBmi, offBits, cbBits, usage, false);
    Brush brush;
    if (dib) {
        brush.style = BS_DIBPATTERN;
        brush.pattern = dib->image;
        brush.monochrome = monochrome;
    } else {
        brush.style = BS_SOLID;
        brush.color = 0x808080;  // an unreadable pattern: mid grey rather than nothing
    }
    StoreObject(index, brush);
}

void EmfPlayer::CreateFont(ByteReader& r) {
    const std::uint32_t index = r.U32();
    Font font = ReadFontFields(r, true);
    if (r.failed()) return;
    QString face;
    for (int i = 0; i < 32 && r.remaining() >= 2; ++i) {
        const char16_t c = r.U16();
        if (c == 0) break;
        face.append(QChar(c));
    }
    font.face = face;
    StoreObject(index, font);
}

void EmfPlayer::CreatePalette(ByteReader& r) {
    const std::uint32_t index = r.U32();
    r.U16();  // version
    const std::uint16_t count = r.U16();
    if (r.failed() || !r.Has(count, 4)) return;
    Palette palette;
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::uint8_t red = r.U8(), green = r.U8(), blue = r.U8();
        r.U8();
        palette.entries.push_back(qRgb(red, green, blue));
    }
    StoreObject(index, palette);
}

void EmfPlayer::SetPaletteEntries(ByteReader& r) {
    const std::uint32_t index = r.U32();
    const std::uint32_t start = r.U32();
    const std::uint32_t count = r.U32();
    if (r.failed() || !r.Has(count, 4) || index >= objects_.size() || start > 65536 || count > 65536) return;
    Palette* palette = std::get_if<Palette>(&objects_[index]);
    if (!palette) return;
    if (palette->entries.size() < start + count) palette->entries.resize(start + count, qRgb(0, 0, 0));
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t red = r.U8(), green = r.U8(), blue = r.U8();
        r.U8();
        palette->entries[start + i] = qRgb(red, green, blue);
    }
}

std::optional<Dib> EmfPlayer::ReadBitmap(const ByteReader& r, std::uint32_t offBmi, std::uint32_t cbBmi,
                                         std::uint32_t offBits, std::uint32_t cbBits, std::uint32_t usage,
                                         bool keepAlpha) const {
    if (cbBmi == 0) return std::nullopt;
    const ByteReader info = r.Slice(offBmi, cbBmi);
    const ByteReader bits = r.Slice(offBits, cbBits);
    if (info.failed() || bits.failed()) return std::nullopt;
    DibRequest request;
    request.paletteIndices = usage == DIB_PAL_COLORS;
    request.palette = &device_.state().palette;
    request.keepAlpha = keepAlpha;
    return DecodeDib(info, bits, request);
}

}  // namespace imaging::metafile
