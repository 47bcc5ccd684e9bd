// The WMF record loop and the records that set state, make objects and
// draw shapes and text. Bitmaps are in wmf_bitmaps.cpp.

#include "imaging/metafile/wmf_player.h"

#include "imaging/metafile/dib.h"
#include "imaging/metafile/font_record.h"

#include <QPainterPathStroker>

namespace imaging::metafile {

using namespace gdi;

namespace {

constexpr std::size_t kMaxWmfObjects = 65535;

// A point stored y first, then x.
QPointF ReadYX(ByteReader& r) {
    const double y = r.I16();
    const double x = r.I16();
    return QPointF(x, y);
}

// A rectangle stored bottom, right, top, left.
QRectF ReadBox(ByteReader& r) {
    const double b = r.I16(), rr = r.I16(), t = r.I16(), l = r.I16();
    return QRectF(QPointF(l, t), QPointF(rr, b));
}

std::vector<QPointF> ReadPointsXY(ByteReader& r, std::size_t count) {
    std::vector<QPointF> points;
    if (!r.Has(count, 4)) return points;
    points.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double x = r.I16();
        const double y = r.I16();
        points.emplace_back(x, y);
    }
    return points;
}

}  // namespace

Status PlayWmf(const QByteArray& file, const MetafileInfo& info, QImage& target) {
    GdiDevice device(target, info.deviceToBitmap, info.devicePixelsPerMm);
    // A placed picture is played with its window mapped onto the bounds,
    // as a program does before it plays a metafile into a frame.
    DcState& s = device.state();
    s.mapMode = MM_ANISOTROPIC;
    s.windowOrg = s.viewportOrg = info.wmfBounds.topLeft();
    s.windowExt = s.viewportExt = info.wmfBounds.size();
    WmfPlayer player(device, info.objectCount);
    const ByteReader whole = Reader(file);
    std::size_t pos = info.firstRecord;
    while (pos <= whole.size() && whole.size() - pos >= 6) {
        ByteReader head = whole.Slice(pos, 6);
        const std::uint32_t words = head.U32();
        const std::uint16_t function = head.U16();
        if (words < 3 || words > (whole.size() - pos) / 2) return Status::GenericError;
        const std::size_t bytes = static_cast<std::size_t>(words) * 2;
        ByteReader params = whole.Slice(pos + 6, bytes - 6);
        if (!player.Play(function, words, params)) break;
        pos += bytes;
    }
    return Status::Ok;
}

WmfPlayer::WmfPlayer(GdiDevice& device, std::uint32_t objectCount)
    : device_(device), objects_(std::min<std::size_t>(objectCount, kMaxWmfObjects)) {}

bool WmfPlayer::Play(std::uint16_t function, std::uint32_t words, ByteReader& r) {
    const WmfRecord record = static_cast<WmfRecord>(function);
    if (record == WmfRecord::META_EOF) return false;
    if (PlayState(record, r) || PlayShapes(record, r) || PlayObjects(record, r)) return true;
    PlayBitmap(record, words, r);
    return true;
}

bool WmfPlayer::PlayState(WmfRecord record, ByteReader& r) {
    return PlayModes(record, r) || PlayCoordinates(record, r);
}

bool WmfPlayer::PlayModes(WmfRecord record, ByteReader& r) {
    using enum WmfRecord;
    DcState& s = device_.state();
    switch (record) {
    case META_SETMAPMODE: { const int m = r.U16(); if (!r.failed()) device_.SetMapMode(m, true); break; }
    case META_SETBKMODE: { const int m = r.U16(); if (!r.failed() && (m == TRANSPARENT || m == OPAQUE)) s.bkMode = m; break; }
    case META_SETROP2: { const int m = r.U16(); if (!r.failed() && m >= R2_BLACK && m <= R2_WHITE) s.rop2 = m; break; }
    case META_SETPOLYFILLMODE: { const int m = r.U16(); if (!r.failed() && (m == ALTERNATE || m == WINDING)) s.polyFillMode = m; break; }
    case META_SETTEXTALIGN: { const std::uint16_t a = r.U16(); if (!r.failed()) s.textAlign = a; break; }
    case META_SETBKCOLOR: { const std::uint32_t c = r.U32(); if (!r.failed()) s.bkColor = c; break; }
    case META_SETTEXTCOLOR: { const std::uint32_t c = r.U32(); if (!r.failed()) s.textColor = c; break; }
    case META_SETTEXTCHAREXTRA: { const std::int16_t e = r.I16(); if (!r.failed()) s.textCharExtra = e; break; }
    case META_SAVEDC: device_.SaveDC(); break;
    case META_RESTOREDC: { const std::int16_t n = r.I16(); if (!r.failed()) device_.RestoreDC(n); break; }
    // Nothing to draw: stretch mode, relabs, mapper flags, justification,
    // realize/resize/animate palette, escapes (printer data and comments).
    case META_SETSTRETCHBLTMODE: case META_SETRELABS: case META_SETMAPPERFLAGS: case META_SETTEXTJUSTIFICATION:
    case META_REALIZEPALETTE: case META_RESIZEPALETTE: case META_ANIMATEPALETTE: case META_ESCAPE: break;
    default: return false;
    }
    return true;
}

bool WmfPlayer::PlayCoordinates(WmfRecord record, ByteReader& r) {
    using enum WmfRecord;
    DcState& s = device_.state();
    switch (record) {
    case META_SETWINDOWORG: { const QPointF p = ReadYX(r); if (!r.failed()) device_.SetWindowOrg(p); break; }
    case META_SETWINDOWEXT: { const QPointF p = ReadYX(r); if (!r.failed()) device_.SetWindowExt(QSizeF(p.x(), p.y())); break; }
    case META_SETVIEWPORTORG: { const QPointF p = ReadYX(r); if (!r.failed()) device_.SetViewportOrg(p); break; }
    case META_SETVIEWPORTEXT: { const QPointF p = ReadYX(r); if (!r.failed()) device_.SetViewportExt(QSizeF(p.x(), p.y())); break; }
    case META_OFFSETWINDOWORG: { const QPointF d = ReadYX(r); if (!r.failed()) device_.SetWindowOrg(s.windowOrg + d); break; }
    case META_OFFSETVIEWPORTORG: { const QPointF d = ReadYX(r); if (!r.failed()) device_.SetViewportOrg(s.viewportOrg + d); break; }
    case META_SCALEWINDOWEXT: case META_SCALEVIEWPORTEXT: {
        const double yDen = r.I16(), yNum = r.I16(), xDen = r.I16(), xNum = r.I16();
        if (r.failed() || xDen == 0 || yDen == 0) break;
        const bool window = record == META_SCALEWINDOWEXT;
        const QSizeF& ext = window ? s.windowExt : s.viewportExt;
        const QSizeF scaled(ext.width() * xNum / xDen, ext.height() * yNum / yDen);
        if (window) device_.SetWindowExt(scaled);
        else device_.SetViewportExt(scaled);
        break;
    }
    case META_EXCLUDECLIPRECT: { const QRectF b = ReadBox(r); if (!r.failed()) device_.ExcludeClipRect(b); break; }
    case META_INTERSECTCLIPRECT: { const QRectF b = ReadBox(r); if (!r.failed()) device_.IntersectClipRect(b); break; }
    case META_OFFSETCLIPRGN: { const QPointF d = ReadYX(r); if (!r.failed()) device_.OffsetClip(d); break; }
    case META_LINETO: { const QPointF p = ReadYX(r); if (!r.failed()) device_.LineTo(p); break; }
    case META_MOVETO: { const QPointF p = ReadYX(r); if (!r.failed()) device_.MoveTo(p); break; }
    default: return false;
    }
    return true;
}

bool WmfPlayer::PlayShapes(WmfRecord record, ByteReader& r) {
    using enum WmfRecord;
    switch (record) {
    case META_POLYGON: case META_POLYLINE: {
        const std::uint16_t count = r.U16();
        const std::vector<QPointF> points = ReadPointsXY(r, count);
        if (r.failed() || points.empty()) break;
        if (record == META_POLYGON) device_.PolyPolygon({points});
        else device_.Polyline(points);
        break;
    }
    case META_POLYPOLYGON: PlayPolyPolygon(r); break;
    case META_ELLIPSE: { const QRectF b = ReadBox(r); if (!r.failed()) device_.Ellipse(b); break; }
    case META_RECTANGLE: { const QRectF b = ReadBox(r); if (!r.failed()) device_.Rectangle(b); break; }
    case META_ROUNDRECT: {
        const double h = r.I16(), w = r.I16();
        const QRectF b = ReadBox(r);
        if (!r.failed()) device_.RoundRect(b, QSizeF(w, h));
        break;
    }
    case META_ARC: case META_PIE: case META_CHORD: {
        const QPointF end = ReadYX(r), start = ReadYX(r);
        const QRectF b = ReadBox(r);
        if (r.failed()) break;
        device_.Arc(b, start, end,
                    record == META_ARC   ? GdiDevice::ArcKind::Arc
                    : record == META_PIE ? GdiDevice::ArcKind::Pie
                                         : GdiDevice::ArcKind::Chord);
        break;
    }
    case META_SETPIXEL: {
        const std::uint32_t color = r.U32();
        const QPointF p = ReadYX(r);
        if (!r.failed()) device_.SetPixel(p, color);
        break;
    }
    case META_TEXTOUT: PlayTextOut(r); break;
    case META_EXTTEXTOUT: PlayExtTextOut(r); break;
    default: return false;
    }
    return true;
}

void WmfPlayer::PlayPolyPolygon(ByteReader& r) {
    const std::uint16_t polygons = r.U16();
    if (r.failed() || !r.Has(polygons, 2)) return;
    std::vector<std::uint16_t> counts(polygons);
    for (std::uint16_t& c : counts) c = r.U16();
    std::vector<std::vector<QPointF>> shapes;
    for (std::uint16_t c : counts) {
        std::vector<QPointF> points = ReadPointsXY(r, c);
        if (points.size() != c) return;  // points beyond the record: nothing drawn
        shapes.push_back(std::move(points));
    }
    device_.PolyPolygon(shapes);
}

void WmfPlayer::PlayTextOut(ByteReader& r) {
    const std::uint16_t length = r.U16();
    if (r.failed()) return;
    const QString text = AnsiText(r, length);
    if (text.size() != length) return;
    if (length & 1) r.U8();
    const QPointF p = ReadYX(r);
    if (!r.failed()) device_.TextOut(p, text, {}, 0, std::nullopt);
}

void WmfPlayer::PlayExtTextOut(ByteReader& r) {
    const QPointF p = ReadYX(r);
    const std::int16_t length = r.I16();
    const std::uint16_t options = r.U16();
    if (r.failed() || length < 0) return;
    std::optional<QRectF> box;
    if (options & (ETO_OPAQUE | ETO_CLIPPED)) {
        const double left = r.I16(), top = r.I16(), right = r.I16(), bottom = r.I16();
        if (r.failed()) return;
        if (!QRectF(QPointF(left, top), QPointF(right, bottom)).normalized().isEmpty())
            box = QRectF(QPointF(left, top), QPointF(right, bottom));
    }
    QString text = AnsiText(r, static_cast<std::size_t>(length));
    if (text.size() != length) return;
    if (length & 1) r.U8();
    std::vector<double> dx;
    if (r.Has(static_cast<std::size_t>(length), 2) && length > 0 && r.remaining() >= 2) {
        for (int i = 0; i < length; ++i) dx.push_back(r.I16());
    }
    if (options & ETO_GLYPH_INDEX) text.clear();
    device_.TextOut(p, text, dx, options, box);
}

void WmfPlayer::Store(GdiObject object) {
    // The new object takes the lowest free slot.
    for (GdiObject& slot : objects_) {
        if (std::holds_alternative<std::monostate>(slot)) {
            slot = std::move(object);
            return;
        }
    }
    if (objects_.size() < kMaxWmfObjects) objects_.push_back(std::move(object));
}

const GdiObject* WmfPlayer::Object(std::uint16_t index) const {
    return index < objects_.size() ? &objects_[index] : nullptr;
}

bool WmfPlayer::PlayObjects(WmfRecord record, ByteReader& r) {
    return PlayCreate(record, r) || PlaySelect(record, r) || PlayDelete(record, r) || PlayRegion(record, r);
}

bool WmfPlayer::PlayCreate(WmfRecord record, ByteReader& r) {
    using enum WmfRecord;
    switch (record) {
    case META_CREATEPENINDIRECT: CreatePen(r); break;
    case META_CREATEBRUSHINDIRECT: CreateBrush(r); break;
    case META_CREATEFONTINDIRECT: CreateFont(r); break;
    case META_DIBCREATEPATTERNBRUSH: CreateDibPatternBrush(r); break;
    case META_CREATEPATTERNBRUSH: CreatePatternBrush16(r); break;
    case META_CREATEPALETTE: CreatePalette(r); break;
    case META_CREATEREGION: CreateRegion(r); break;
    // Bitmap objects of old metafiles are never drawn from here, but they
    // take a slot like any object.
    case META_CREATEBRUSH: case META_CREATEBITMAPINDIRECT: case META_CREATEBITMAP: Store(Brush{}); break;
    default: return false;
    }
    return true;
}

void WmfPlayer::CreatePen(ByteReader& r) {
    Pen pen;
    pen.style = r.U16();
    pen.width = r.I16();
    r.I16();
    pen.color = r.U32();
    // A short record still takes a slot, so later indices stay right.
    if (r.failed()) pen = Pen{};
    pen.cosmetic = pen.width == 0;
    Store(pen);
}

void WmfPlayer::CreateBrush(ByteReader& r) {
    Brush brush;
    brush.style = r.U16();
    brush.color = r.U32();
    brush.hatch = r.U16();
    if (r.failed()) brush = Brush{};
    if (brush.style != BS_SOLID && brush.style != BS_NULL && brush.style != BS_HATCHED) brush.style = BS_SOLID;
    Store(brush);
}

void WmfPlayer::CreateFont(ByteReader& r) {
    Font font = ReadFontFields(r, false);
    if (r.failed()) {
        Store(Font{});
        return;
    }
    ByteReader face = r.Slice(r.position(), std::min<std::size_t>(32, r.remaining()));
    QString name = AnsiText(face, face.size());
    const qsizetype nul = name.indexOf(QChar(0));
    if (nul >= 0) name.truncate(nul);
    font.face = name.trimmed();
    Store(font);
}

void WmfPlayer::CreateDibPatternBrush(ByteReader& r) {
    r.U16();  // style
    const std::uint16_t usage = r.U16();
    DibRequest request;
    request.paletteIndices = usage == DIB_PAL_COLORS;
    request.palette = &device_.state().palette;
    const std::optional<Dib> dib = DecodePackedDib(r.Slice(r.position(), r.remaining()), request);
    Brush brush;
    if (dib) {
        brush.style = BS_DIBPATTERN;
        brush.pattern = dib->image;
    } else {
        brush.color = 0x808080;
    }
    Store(brush);
}

void WmfPlayer::CreatePalette(ByteReader& r) {
    r.U16();
    const std::uint16_t count = r.U16();
    Palette palette;
    if (r.failed() || !r.Has(count, 4)) {
        Store(palette);
        return;
    }
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::uint8_t red = r.U8(), green = r.U8(), blue = r.U8();
        r.U8();
        palette.entries.push_back(qRgb(red, green, blue));
    }
    Store(palette);
}

bool WmfPlayer::PlaySelect(WmfRecord record, ByteReader& r) {
    using enum WmfRecord;
    switch (record) {
    case META_SELECTOBJECT: case META_SELECTPALETTE: {
        const std::uint16_t index = r.U16();
        const GdiObject* object = r.failed() ? nullptr : Object(index);
        if (object) SelectObject(*object);
        break;
    }
    case META_SELECTCLIPREGION: {
        const std::uint16_t index = r.U16();
        const GdiObject* object = r.failed() ? nullptr : Object(index);
        const Region* region = object ? std::get_if<Region>(object) : nullptr;
        if (region) device_.SelectClipRegion(device_.LogicalToBitmap().map(region->path), RGN_COPY);
        else device_.SelectClipRegion(std::nullopt, RGN_COPY);
        break;
    }
    case META_SETPALENTRIES: SetPalEntries(r); break;
    default: return false;
    }
    return true;
}

void WmfPlayer::SelectObject(const GdiObject& object) {
    DcState& s = device_.state();
    if (const Pen* pen = std::get_if<Pen>(&object)) s.pen = *pen;
    else if (const Brush* brush = std::get_if<Brush>(&object)) s.brush = *brush;
    else if (const Font* font = std::get_if<Font>(&object)) s.font = *font;
    else if (const Palette* palette = std::get_if<Palette>(&object)) s.palette = palette->entries;
    else if (const Region* region = std::get_if<Region>(&object))
        device_.SelectClipRegion(device_.LogicalToBitmap().map(region->path), RGN_COPY);
}

// Changes entries of the selected palette, growing it when they lie beyond.
void WmfPlayer::SetPalEntries(ByteReader& r) {
    std::vector<QRgb>& palette = device_.state().palette;
    const std::uint16_t start = r.U16(), count = r.U16();
    if (r.failed() || !r.Has(count, 4)) return;
    if (palette.size() < static_cast<std::size_t>(start) + count) palette.resize(start + count, qRgb(0, 0, 0));
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::uint8_t red = r.U8(), green = r.U8(), blue = r.U8();
        r.U8();
        palette[static_cast<std::size_t>(start) + i] = qRgb(red, green, blue);
    }
}

bool WmfPlayer::PlayDelete(WmfRecord record, ByteReader& r) {
    if (record != WmfRecord::META_DELETEOBJECT) return false;
    const std::uint16_t index = r.U16();
    if (!r.failed() && index < objects_.size()) objects_[index] = std::monostate{};
    return true;
}

// FILLREGION, PAINTREGION, INVERTREGION and FRAMEREGION: a region object
// painted with a brush object, the selected brush, or inverted.
bool WmfPlayer::PlayRegion(WmfRecord record, ByteReader& r) {
    using enum WmfRecord;
    if (record != META_FILLREGION && record != META_PAINTREGION && record != META_INVERTREGION &&
        record != META_FRAMEREGION)
        return false;
    const std::uint16_t regionIndex = r.U16();
    const bool namesBrush = record == META_FILLREGION || record == META_FRAMEREGION;
    const std::uint16_t brushIndex = namesBrush ? r.U16() : 0;
    const GdiObject* object = r.failed() ? nullptr : Object(regionIndex);
    const Region* region = object ? std::get_if<Region>(object) : nullptr;
    if (!region) return true;
    const QPainterPath onBitmap = device_.LogicalToBitmap().map(region->path);
    if (record == META_INVERTREGION) {
        device_.InvertRegion(onBitmap);
        return true;
    }
    Brush brush = device_.state().brush;
    if (namesBrush)
        if (const GdiObject* b = Object(brushIndex))
            if (const Brush* chosen = std::get_if<Brush>(b)) brush = *chosen;
    if (record == META_FRAMEREGION) {
        QPainterPathStroker stroker;
        stroker.setWidth(1.0);
        device_.FillRegion(stroker.createStroke(onBitmap), brush);
    } else {
        device_.FillRegion(onBitmap, brush);
    }
    return true;
}

void WmfPlayer::CreateRegion(ByteReader& r) {
    r.U16();          // next in chain
    r.I16();          // object type
    r.U32();          // object count
    r.I16();          // region size
    const std::int16_t scans = r.I16();
    r.I16();          // largest scan
    const double left = r.I16(), top = r.I16(), right = r.I16(), bottom = r.I16();
    Region region;
    if (r.failed()) {
        Store(region);
        return;
    }
    region.path.setFillRule(Qt::WindingFill);
    if (scans <= 0) {
        region.path.addRect(QRectF(QPointF(left, top), QPointF(right, bottom)).normalized());
    } else {
        for (int i = 0; i < scans; ++i) {
            const std::uint16_t count = r.U16();
            const double scanTop = r.I16(), scanBottom = r.I16();
            if (r.failed() || !r.Has(count / 2, 4)) break;
            for (int k = 0; k < count / 2; ++k) {
                const double x0 = r.I16(), x1 = r.I16();
                region.path.addRect(QRectF(QPointF(x0, scanTop), QPointF(x1, scanBottom)).normalized());
            }
            r.U16();  // the count again
        }
        region.path = region.path.simplified();
    }
    Store(region);
}

}  // namespace imaging::metafile
