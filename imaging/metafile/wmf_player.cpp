// The WMF record loop and the records that set state, make objects and
// draw shapes and text. Bitmaps are in wmf_bitmaps.cpp.

#include "imaging/metafile/wmf_player.h"

#include "imaging/metafile/dib.h"

#include <QPainterPathStroker>

namespace imaging::metafile {

using namespace gdi;

namespace {

constexpr std::size_t kMaxWmfObjects = 65535;

ByteReader Reader(const QByteArray& bytes) {
    return ByteReader(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
}

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
    if (function == 0) return false;
    if (PlayState(function, r) || PlayShapes(function, r) || PlayObjects(function, r)) return true;
    PlayBitmap(function, words, r);
    return true;
}

bool WmfPlayer::PlayState(std::uint16_t function, ByteReader& r) {
    DcState& s = device_.state();
    switch (function) {
    case 0x0103: { const int m = r.U16(); if (!r.failed()) device_.SetMapMode(m, true); break; }
    case 0x0102: { const int m = r.U16(); if (!r.failed() && (m == TRANSPARENT || m == OPAQUE)) s.bkMode = m; break; }
    case 0x0104: { const int m = r.U16(); if (!r.failed() && m >= 1 && m <= 16) s.rop2 = m; break; }
    case 0x0106: { const int m = r.U16(); if (!r.failed() && (m == ALTERNATE || m == WINDING)) s.polyFillMode = m; break; }
    case 0x012E: { const std::uint16_t a = r.U16(); if (!r.failed()) s.textAlign = a; break; }
    case 0x0201: { const std::uint32_t c = r.U32(); if (!r.failed()) s.bkColor = c; break; }
    case 0x0209: { const std::uint32_t c = r.U32(); if (!r.failed()) s.textColor = c; break; }
    case 0x0108: { const std::int16_t e = r.I16(); if (!r.failed()) s.textCharExtra = e; break; }
    case 0x020B: { const QPointF p = ReadYX(r); if (!r.failed()) device_.SetWindowOrg(p); break; }
    case 0x020C: { const QPointF p = ReadYX(r); if (!r.failed()) device_.SetWindowExt(QSizeF(p.x(), p.y())); break; }
    case 0x020D: { const QPointF p = ReadYX(r); if (!r.failed()) device_.SetViewportOrg(p); break; }
    case 0x020E: { const QPointF p = ReadYX(r); if (!r.failed()) device_.SetViewportExt(QSizeF(p.x(), p.y())); break; }
    case 0x020F: { const QPointF d = ReadYX(r); if (!r.failed()) device_.SetWindowOrg(s.windowOrg + d); break; }
    case 0x0211: { const QPointF d = ReadYX(r); if (!r.failed()) device_.SetViewportOrg(s.viewportOrg + d); break; }
    case 0x0410: case 0x0412: {
        const double yDen = r.I16(), yNum = r.I16(), xDen = r.I16(), xNum = r.I16();
        if (r.failed() || xDen == 0 || yDen == 0) break;
        const QSizeF& ext = function == 0x0410 ? s.windowExt : s.viewportExt;
        const QSizeF scaled(ext.width() * xNum / xDen, ext.height() * yNum / yDen);
        if (function == 0x0410) device_.SetWindowExt(scaled);
        else device_.SetViewportExt(scaled);
        break;
    }
    case 0x001E: device_.SaveDC(); break;
    case 0x0127: { const std::int16_t n = r.I16(); if (!r.failed()) device_.RestoreDC(n); break; }
    case 0x0415: { const QRectF b = ReadBox(r); if (!r.failed()) device_.ExcludeClipRect(b); break; }
    case 0x0416: { const QRectF b = ReadBox(r); if (!r.failed()) device_.IntersectClipRect(b); break; }
    case 0x0220: { const QPointF d = ReadYX(r); if (!r.failed()) device_.OffsetClip(d); break; }
    case 0x0213: { const QPointF p = ReadYX(r); if (!r.failed()) device_.LineTo(p); break; }
    case 0x0214: { const QPointF p = ReadYX(r); if (!r.failed()) device_.MoveTo(p); break; }
    // Nothing to draw: stretch mode, relabs, mapper flags, justification,
    // realize/resize/animate palette, escapes (printer data and comments).
    case 0x0107: case 0x0105: case 0x0231: case 0x020A: case 0x0035: case 0x0139: case 0x0436: case 0x0626: break;
    default: return false;
    }
    return true;
}

bool WmfPlayer::PlayShapes(std::uint16_t function, ByteReader& r) {
    switch (function) {
    case 0x0324: case 0x0325: {
        const std::uint16_t count = r.U16();
        const std::vector<QPointF> points = ReadPointsXY(r, count);
        if (r.failed() || points.empty()) break;
        if (function == 0x0324) device_.PolyPolygon({points});
        else device_.Polyline(points);
        break;
    }
    case 0x0538: {
        const std::uint16_t polygons = r.U16();
        if (r.failed() || !r.Has(polygons, 2)) break;
        std::vector<std::uint16_t> counts(polygons);
        for (std::uint16_t& c : counts) c = r.U16();
        std::vector<std::vector<QPointF>> shapes;
        for (std::uint16_t c : counts) {
            std::vector<QPointF> points = ReadPointsXY(r, c);
            if (points.size() != c) return true;  // points beyond the record: nothing drawn
            shapes.push_back(std::move(points));
        }
        device_.PolyPolygon(shapes);
        break;
    }
    case 0x0418: { const QRectF b = ReadBox(r); if (!r.failed()) device_.Ellipse(b); break; }
    case 0x041B: { const QRectF b = ReadBox(r); if (!r.failed()) device_.Rectangle(b); break; }
    case 0x061C: {
        const double h = r.I16(), w = r.I16();
        const QRectF b = ReadBox(r);
        if (!r.failed()) device_.RoundRect(b, QSizeF(w, h));
        break;
    }
    case 0x0817: case 0x081A: case 0x0830: {
        const QPointF end = ReadYX(r), start = ReadYX(r);
        const QRectF b = ReadBox(r);
        if (r.failed()) break;
        device_.Arc(b, start, end,
                    function == 0x0817   ? GdiDevice::ArcKind::Arc
                    : function == 0x081A ? GdiDevice::ArcKind::Pie
                                         : GdiDevice::ArcKind::Chord);
        break;
    }
    case 0x041F: {
        const std::uint32_t color = r.U32();
        const QPointF p = ReadYX(r);
        if (!r.failed()) device_.SetPixel(p, color);
        break;
    }
    case 0x0521: PlayTextOut(r); break;
    case 0x0A32: PlayExtTextOut(r); break;
    default: return false;
    }
    return true;
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

bool WmfPlayer::PlayObjects(std::uint16_t function, ByteReader& r) {
    DcState& s = device_.state();
    switch (function) {
    case 0x02FA: {
        Pen pen;
        pen.style = r.U16();
        pen.width = r.I16();
        r.I16();
        pen.color = r.U32();
        // A short record still takes a slot, so later indices stay right.
        if (r.failed()) pen = Pen{};
        pen.cosmetic = pen.width == 0;
        Store(pen);
        break;
    }
    case 0x02FC: {
        Brush brush;
        brush.style = r.U16();
        brush.color = r.U32();
        brush.hatch = r.U16();
        if (r.failed()) brush = Brush{};
        if (brush.style != BS_SOLID && brush.style != BS_NULL && brush.style != BS_HATCHED) brush.style = BS_SOLID;
        Store(brush);
        break;
    }
    case 0x02FB: {
        Font font;
        font.height = r.I16();
        font.width = r.I16();
        font.escapement = r.I16();
        r.I16();
        font.weight = r.I16();
        font.italic = r.U8() != 0;
        font.underline = r.U8() != 0;
        font.strikeOut = r.U8() != 0;
        font.charSet = r.U8();
        r.Skip(4);
        if (r.failed()) {
            Store(Font{});
            return true;
        }
        ByteReader face = r.Slice(r.position(), std::min<std::size_t>(32, r.remaining()));
        QString name = AnsiText(face, face.size());
        const qsizetype nul = name.indexOf(QChar(0));
        if (nul >= 0) name.truncate(nul);
        font.face = name.trimmed();
        Store(font);
        break;
    }
    case 0x0142: {
        r.U16();  // style
        const std::uint16_t usage = r.U16();
        DibRequest request;
        request.paletteIndices = usage == 1;
        request.palette = &s.palette;
        const std::optional<Dib> dib = DecodePackedDib(r.Slice(r.position(), r.remaining()), request);
        Brush brush;
        if (dib) {
            brush.style = BS_DIBPATTERN;
            brush.pattern = dib->image;
        } else {
            brush.color = 0x808080;
        }
        Store(brush);
        break;
    }
    case 0x01F9: CreatePatternBrush16(r); break;
    case 0x00F7: {
        r.U16();
        const std::uint16_t count = r.U16();
        Palette palette;
        if (r.failed() || !r.Has(count, 4)) {
            Store(palette);
            return true;
        }
        for (std::uint16_t i = 0; i < count; ++i) {
            const std::uint8_t red = r.U8(), green = r.U8(), blue = r.U8();
            r.U8();
            palette.entries.push_back(qRgb(red, green, blue));
        }
        Store(palette);
        break;
    }
    case 0x0037: {
        const std::uint16_t start = r.U16(), count = r.U16();
        if (r.failed() || !r.Has(count, 4)) return true;
        if (s.palette.size() < static_cast<std::size_t>(start) + count) s.palette.resize(start + count, qRgb(0, 0, 0));
        for (std::uint16_t i = 0; i < count; ++i) {
            const std::uint8_t red = r.U8(), green = r.U8(), blue = r.U8();
            r.U8();
            s.palette[static_cast<std::size_t>(start) + i] = qRgb(red, green, blue);
        }
        break;
    }
    case 0x06FF: CreateRegion(r); break;
    // Bitmap objects of old metafiles are never drawn from here, but they
    // take a slot like any object.
    case 0x00F8: case 0x02FD: case 0x06FE: Store(Brush{}); break;
    case 0x012D: case 0x0234: {
        const std::uint16_t index = r.U16();
        const GdiObject* object = r.failed() ? nullptr : Object(index);
        if (!object) return true;
        if (const Pen* pen = std::get_if<Pen>(object)) s.pen = *pen;
        else if (const Brush* brush = std::get_if<Brush>(object)) s.brush = *brush;
        else if (const Font* font = std::get_if<Font>(object)) s.font = *font;
        else if (const Palette* palette = std::get_if<Palette>(object)) s.palette = palette->entries;
        else if (const Region* region = std::get_if<Region>(object))
            device_.SelectClipRegion(device_.LogicalToBitmap().map(region->path), RGN_COPY);
        break;
    }
    case 0x012C: {
        const std::uint16_t index = r.U16();
        const GdiObject* object = r.failed() ? nullptr : Object(index);
        const Region* region = object ? std::get_if<Region>(object) : nullptr;
        if (region) device_.SelectClipRegion(device_.LogicalToBitmap().map(region->path), RGN_COPY);
        else device_.SelectClipRegion(std::nullopt, RGN_COPY);
        break;
    }
    case 0x01F0: {
        const std::uint16_t index = r.U16();
        if (!r.failed() && index < objects_.size()) objects_[index] = std::monostate{};
        break;
    }
    case 0x0228: case 0x012B: case 0x012A: case 0x0429: {
        const std::uint16_t regionIndex = r.U16();
        const std::uint16_t brushIndex = function == 0x0228 || function == 0x0429 ? r.U16() : 0;
        const GdiObject* object = r.failed() ? nullptr : Object(regionIndex);
        const Region* region = object ? std::get_if<Region>(object) : nullptr;
        if (!region) return true;
        const QPainterPath onBitmap = device_.LogicalToBitmap().map(region->path);
        if (function == 0x012A) {
            device_.InvertRegion(onBitmap);
            return true;
        }
        Brush brush = s.brush;
        if (function != 0x012B)
            if (const GdiObject* b = Object(brushIndex))
                if (const Brush* chosen = std::get_if<Brush>(b)) brush = *chosen;
        if (function == 0x0429) {
            QPainterPathStroker stroker;
            stroker.setWidth(1.0);
            device_.FillRegion(stroker.createStroke(onBitmap), brush);
        } else {
            device_.FillRegion(onBitmap, brush);
        }
        break;
    }
    default: return false;
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
