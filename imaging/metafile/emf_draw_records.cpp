// The EMF records that draw: lines and shapes (32- and 16-bit point
// forms), paths, clipping and regions, text, and bitmap blits. Counts
// and offsets inside a record are checked against the record's size
// before anything is read.

#include "imaging/metafile/dib.h"
#include "imaging/metafile/emf_player.h"

namespace imaging::metafile {

using namespace gdi;

namespace {

// Point types of POLYDRAW.
constexpr unsigned PT_CLOSEFIGURE = 1, PT_LINETO = 2, PT_BEZIERTO = 4, PT_MOVETO = 6;

QRectF ReadRect(ByteReader& r) {
    const double l = r.I32(), t = r.I32(), rr = r.I32(), b = r.I32();
    return QRectF(QPointF(l, t), QPointF(rr, b));
}

QPointF ReadPointL(ByteReader& r) {
    const double x = r.I32();
    const double y = r.I32();
    return QPointF(x, y);
}

// `count` points, 32-bit or 16-bit; empty when they do not fit.
std::vector<QPointF> ReadPoints(ByteReader& r, std::uint32_t count, bool small) {
    std::vector<QPointF> points;
    if (!r.Has(count, small ? 4 : 8)) return points;
    points.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (small) {
            const double x = r.I16();
            const double y = r.I16();
            points.emplace_back(x, y);
        } else {
            points.push_back(ReadPointL(r));
        }
    }
    return points;
}

QImage Crop(const QImage& image, const QRectF& source) {
    // Cut to the image before rounding, so no far-off value meets an int.
    const QRect inside = source.normalized().intersected(QRectF(image.rect())).toRect().intersected(image.rect());
    if (inside.isEmpty()) return QImage();
    return inside == image.rect() ? image : image.copy(inside);
}

// Source rectangle of StretchDIBits and SetDIBitsToDevice: a bottom-up
// bitmap counts its source y from the bottom row.
QRectF DibSourceRect(const Dib& dib, double x, double y, double w, double h) {
    if (dib.bottomUp) y = dib.image.height() - y - h;
    return QRectF(x, y, w, h);
}

}  // namespace

std::optional<QPainterPath> ReadRegionData(ByteReader r, std::uint32_t size) {
    if (size < 32 || size > r.remaining()) return std::nullopt;
    r = r.Slice(r.position(), size);
    const std::uint32_t headerSize = r.U32();
    r.U32();  // type
    const std::uint32_t count = r.U32();
    r.U32();  // size of the rectangles
    r.Skip(16);  // bounds
    if (r.failed() || headerSize < 32) return std::nullopt;
    r.Seek(headerSize);
    if (!r.Has(count, 16)) return std::nullopt;
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (std::uint32_t i = 0; i < count; ++i) {
        const QRectF rect = ReadRect(r).normalized();
        if (!rect.isEmpty()) path.addRect(rect);
    }
    // Rectangles of a region never overlap; uniting them keeps later
    // boolean operations simple.
    return path.simplified();
}

bool EmfPlayer::PlayDrawing(EmfRecord record, ByteReader& r) {
    if (PlayShapes(record, r) || PlayPaths(record, r)) return true;
    using enum EmfRecord;
    switch (record) {
    case EMR_FILLRGN: case EMR_FRAMERGN: case EMR_INVERTRGN: case EMR_PAINTRGN: PlayRegionFill(record, r); break;
    case EMR_EXTSELECTCLIPRGN: PlayClipRegion(r); break;
    case EMR_BITBLT: case EMR_STRETCHBLT: case EMR_TRANSPARENTBLT: PlayBlit(record, r); break;
    case EMR_SETDIBITSTODEVICE: PlaySetDibitsToDevice(r); break;
    case EMR_STRETCHDIBITS: PlayStretchDibits(r); break;
    case EMR_EXTTEXTOUTA: PlayText(r, false); break;
    case EMR_EXTTEXTOUTW: PlayText(r, true); break;
    case EMR_SMALLTEXTOUT: PlaySmallText(r); break;
    case EMR_ALPHABLEND: PlayAlphaBlend(r); break;
    case EMR_GRADIENTFILL: PlayGradientFill(r); break;
    default: return false;  // unknown or not drawn: skipped
    }
    return true;
}

// Lines, curves and shapes, with 32-bit or 16-bit points.
bool EmfPlayer::PlayShapes(EmfRecord record, ByteReader& r) {
    using enum EmfRecord;
    switch (record) {
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO: case EMR_POLYLINETO:
        PlayPoly(record, r, false);
        break;
    case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIERTO16: case EMR_POLYLINETO16:
        PlayPoly(record, r, true);
        break;
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: PlayPolyPoly(record, r, false); break;
    case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16: PlayPolyPoly(record, r, true); break;
    case EMR_POLYDRAW: PlayPolyDraw(r, false); break;
    case EMR_POLYDRAW16: PlayPolyDraw(r, true); break;
    case EMR_SETPIXELV: {
        const QPointF p = ReadPointL(r);
        const std::uint32_t color = r.U32();
        if (!r.failed()) device_.SetPixel(p, color);
        break;
    }
    case EMR_ANGLEARC: {
        const QPointF c = ReadPointL(r);
        const double radius = r.U32();
        const double start = r.F32(), sweep = r.F32();
        if (!r.failed() && std::isfinite(start) && std::isfinite(sweep)) device_.AngleArc(c, radius, start, sweep);
        break;
    }
    case EMR_ELLIPSE: { const QRectF b = ReadRect(r); if (!r.failed()) device_.Ellipse(b); break; }
    case EMR_RECTANGLE: { const QRectF b = ReadRect(r); if (!r.failed()) device_.Rectangle(b); break; }
    case EMR_ROUNDRECT: {
        const QRectF b = ReadRect(r);
        const double w = r.I32(), h = r.I32();
        if (!r.failed()) device_.RoundRect(b, QSizeF(w, h));
        break;
    }
    case EMR_ARC: case EMR_CHORD: case EMR_PIE: case EMR_ARCTO: PlayArc(record, r); break;
    case EMR_LINETO: { const QPointF p = ReadPointL(r); if (!r.failed()) device_.LineTo(p); break; }
    default: return false;
    }
    return true;
}

// Path brackets and the clipping records.
bool EmfPlayer::PlayPaths(EmfRecord record, ByteReader& r) {
    using enum EmfRecord;
    switch (record) {
    case EMR_OFFSETCLIPRGN: { const QPointF d = ReadPointL(r); if (!r.failed()) device_.OffsetClip(d); break; }
    case EMR_EXCLUDECLIPRECT: { const QRectF b = ReadRect(r); if (!r.failed()) device_.ExcludeClipRect(b); break; }
    case EMR_INTERSECTCLIPRECT: { const QRectF b = ReadRect(r); if (!r.failed()) device_.IntersectClipRect(b); break; }
    case EMR_BEGINPATH: device_.BeginPath(); break;
    case EMR_ENDPATH: device_.EndPath(); break;
    case EMR_CLOSEFIGURE: device_.CloseFigure(); break;
    case EMR_FILLPATH: device_.FillPath(); break;
    case EMR_STROKEANDFILLPATH: device_.StrokeAndFillPath(); break;
    case EMR_STROKEPATH: device_.StrokePath(); break;
    case EMR_FLATTENPATH: break;  // curves are drawn exactly anyway
    case EMR_WIDENPATH: device_.WidenPath(); break;
    case EMR_SELECTCLIPPATH: { const std::uint32_t mode = r.U32(); if (!r.failed()) device_.SelectClipPath(static_cast<int>(mode)); break; }
    case EMR_ABORTPATH: device_.AbortPath(); break;
    default: return false;
    }
    return true;
}

void EmfPlayer::PlayArc(EmfRecord record, ByteReader& r) {
    using enum EmfRecord;
    const QRectF b = ReadRect(r);
    const QPointF start = ReadPointL(r), end = ReadPointL(r);
    if (r.failed()) return;
    const GdiDevice::ArcKind kind = record == EMR_ARC     ? GdiDevice::ArcKind::Arc
                                    : record == EMR_CHORD ? GdiDevice::ArcKind::Chord
                                    : record == EMR_PIE   ? GdiDevice::ArcKind::Pie
                                                          : GdiDevice::ArcKind::ArcTo;
    device_.Arc(b, start, end, kind);
}

void EmfPlayer::PlayPoly(EmfRecord record, ByteReader& r, bool small) {
    r.Skip(16);  // bounds
    const std::uint32_t count = r.U32();
    if (r.failed()) return;
    const std::vector<QPointF> points = ReadPoints(r, count, small);
    if (points.empty()) return;
    using enum EmfRecord;
    switch (record) {
    case EMR_POLYBEZIER: case EMR_POLYBEZIER16: device_.PolyBezier(points); break;
    case EMR_POLYGON: case EMR_POLYGON16: device_.PolyPolygon({points}); break;
    case EMR_POLYLINE: case EMR_POLYLINE16: device_.Polyline(points); break;
    case EMR_POLYBEZIERTO: case EMR_POLYBEZIERTO16: device_.PolyBezierTo(points); break;
    case EMR_POLYLINETO: case EMR_POLYLINETO16: device_.PolylineTo(points); break;
    default: break;
    }
}

void EmfPlayer::PlayPolyPoly(EmfRecord record, ByteReader& r, bool small) {
    r.Skip(16);
    const std::uint32_t polys = r.U32();
    const std::uint32_t total = r.U32();
    if (r.failed() || !r.Has(polys, 4)) return;
    std::vector<std::uint32_t> counts(polys);
    std::uint64_t sum = 0;
    for (std::uint32_t& c : counts) sum += (c = r.U32());
    if (sum != total) return;
    std::vector<QPointF> points = ReadPoints(r, total, small);
    if (points.size() != total) return;
    std::vector<std::vector<QPointF>> shapes;
    std::size_t at = 0;
    for (std::uint32_t c : counts) {
        shapes.emplace_back(points.begin() + static_cast<std::ptrdiff_t>(at),
                            points.begin() + static_cast<std::ptrdiff_t>(at + c));
        at += c;
    }
    if (record == EmfRecord::EMR_POLYPOLYLINE || record == EmfRecord::EMR_POLYPOLYLINE16) device_.PolyPolyline(shapes);
    else device_.PolyPolygon(shapes);
}

void EmfPlayer::PlayPolyDraw(ByteReader& r, bool small) {
    r.Skip(16);
    const std::uint32_t count = r.U32();
    if (r.failed()) return;
    const std::vector<QPointF> points = ReadPoints(r, count, small);
    if (points.size() != count || !r.Has(count, 1)) return;
    // Each point has a type; PT_CLOSEFIGURE may be added to any of them.
    QPainterPath path(device_.state().current);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t kind = r.U8();
        switch (kind & ~PT_CLOSEFIGURE) {
        case PT_MOVETO: path.moveTo(points[i]); break;
        case PT_LINETO: path.lineTo(points[i]); break;
        case PT_BEZIERTO:
            if (i + 2 < count) {
                path.cubicTo(points[i], points[i + 1], points[i + 2]);
                r.U8();
                const std::uint8_t last = r.U8();
                i += 2;
                if (last & PT_CLOSEFIGURE) path.closeSubpath();
            }
            continue;
        default: break;
        }
        if (kind & PT_CLOSEFIGURE) path.closeSubpath();
    }
    // Drawn as the sum of its figures, through the same pen.
    for (const QPolygonF& figure : path.toSubpathPolygons()) {
        device_.MoveTo(figure.isEmpty() ? device_.state().current : figure.front());
        device_.PolylineTo(std::vector<QPointF>(figure.begin() + (figure.isEmpty() ? 0 : 1), figure.end()));
    }
}

void EmfPlayer::PlayText(ByteReader& r, bool wide) {
    r.Skip(16);  // bounds
    r.U32();     // graphics mode
    r.Skip(8);   // scales
    const QPointF reference = ReadPointL(r);
    const std::uint32_t chars = r.U32();
    const std::uint32_t offString = r.U32();
    const std::uint32_t options = r.U32();
    const QRectF box = ReadRect(r);
    const std::uint32_t offDx = r.U32();
    if (r.failed()) return;
    ByteReader text = r.Slice(offString, static_cast<std::size_t>(chars) * (wide ? 2 : 1));
    if (text.failed()) return;
    QString string;
    if (wide) {
        string.reserve(static_cast<qsizetype>(chars));
        for (std::uint32_t i = 0; i < chars; ++i) string.append(QChar(text.U16()));
    } else {
        string = AnsiText(text, chars);
    }
    std::vector<double> dx;
    if (offDx != 0) {
        const std::size_t per = (options & ETO_PDY) ? 2 : 1;
        ByteReader d = r.Slice(offDx, static_cast<std::size_t>(chars) * per * 4);
        if (!d.failed()) {
            dx.reserve(chars);
            for (std::uint32_t i = 0; i < chars; ++i) {
                dx.push_back(d.I32());
                if (per == 2) d.I32();
            }
        }
    }
    // Glyph indices name glyphs of a font file we do not have; only the
    // rectangle of such a record is painted.
    if (options & ETO_GLYPH_INDEX) string.clear();
    const bool hasBox = (options & (ETO_OPAQUE | ETO_CLIPPED)) && !box.normalized().isEmpty();
    device_.TextOut(reference, string, dx, options, hasBox ? std::optional<QRectF>(box) : std::nullopt);
}

void EmfPlayer::PlaySmallText(ByteReader& r) {
    const QPointF reference = ReadPointL(r);
    const std::uint32_t chars = r.U32();
    const std::uint32_t options = r.U32();
    r.U32();
    r.Skip(8);
    std::optional<QRectF> box;
    if (!(options & ETO_NO_RECT)) box = ReadRect(r);
    if (r.failed()) return;
    const bool small = (options & ETO_SMALL_CHARS) != 0;
    if (!r.Has(chars, small ? 1 : 2)) return;
    QString string;
    if (small) {
        string = AnsiText(r, chars);
    } else {
        for (std::uint32_t i = 0; i < chars; ++i) string.append(QChar(r.U16()));
    }
    if (options & ETO_GLYPH_INDEX) string.clear();
    if (box && (!(options & (ETO_OPAQUE | ETO_CLIPPED)) || box->normalized().isEmpty())) box.reset();
    device_.TextOut(reference, string, {}, options, box);
}

void EmfPlayer::PlayClipRegion(ByteReader& r) {
    const std::uint32_t size = r.U32();
    const std::uint32_t mode = r.U32();
    if (r.failed()) return;
    if (size < 32) {
        device_.SelectClipRegion(std::nullopt, static_cast<int>(mode));
        return;
    }
    std::optional<QPainterPath> region = ReadRegionData(r, size);
    if (!region) return;
    // Clip regions are in device units.
    device_.SelectClipRegion(device_.DeviceToBitmap().map(*region), static_cast<int>(mode));
}

void EmfPlayer::PlayRegionFill(EmfRecord record, ByteReader& r) {
    using enum EmfRecord;
    r.Skip(16);
    const std::uint32_t size = r.U32();
    std::uint32_t brushIndex = 0;
    if (record == EMR_FILLRGN || record == EMR_FRAMERGN) brushIndex = r.U32();
    if (record == EMR_FRAMERGN) r.Skip(8);  // stroke size
    if (r.failed()) return;
    const std::optional<QPainterPath> region = ReadRegionData(r, size);
    if (!region) return;
    const QPainterPath onBitmap = device_.LogicalToBitmap().map(*region);
    if (record == EMR_INVERTRGN) {
        device_.InvertRegion(onBitmap);
        return;
    }
    Brush brush = device_.state().brush;
    if (record != EMR_PAINTRGN && brushIndex < objects_.size())
        if (const Brush* b = std::get_if<Brush>(&objects_[brushIndex])) brush = *b;
    if (record == EMR_FRAMERGN) {
        // A frame: the region's outline, one pixel wide, in the brush colour.
        QPainterPathStroker stroker;
        stroker.setWidth(1.0);
        device_.FillRegion(stroker.createStroke(onBitmap), brush);
        return;
    }
    device_.FillRegion(onBitmap, brush);
}

void EmfPlayer::PlayBlit(EmfRecord record, ByteReader& r) {
    r.Skip(16);
    const double xDest = r.I32(), yDest = r.I32(), cxDest = r.I32(), cyDest = r.I32();
    const std::uint32_t rop = r.U32();
    const double xSrc = r.I32(), ySrc = r.I32();
    ByteReader xr = r;
    const double m11 = xr.F32(), m12 = xr.F32(), m21 = xr.F32(), m22 = xr.F32(), dx = xr.F32(), dy = xr.F32();
    r.Skip(24);
    r.U32();  // background colour of the source
    const std::uint32_t usage = r.U32();
    const std::uint32_t offBmi = r.U32(), cbBmi = r.U32(), offBits = r.U32(), cbBits = r.U32();
    double cxSrc = cxDest, cySrc = cyDest;
    if (record != EmfRecord::EMR_BITBLT) {
        cxSrc = r.I32();
        cySrc = r.I32();
    }
    if (r.failed()) return;
    const QRectF dest(xDest, yDest, cxDest, cyDest);
    if (cbBmi == 0) {
        device_.PatBlt(dest, rop);
        return;
    }
    std::optional<Dib> dib = ReadBitmap(r, offBmi, cbBmi, offBits, cbBits, usage, false);
    if (!dib) return;
    QTransform sourceXform(m11, m12, m21, m22, dx, dy);
    if (!sourceXform.isInvertible() || !std::isfinite(m11 + m12 + m21 + m22 + dx + dy)) sourceXform = QTransform();
    const QImage source = Crop(dib->image, sourceXform.mapRect(QRectF(xSrc, ySrc, cxSrc, cySrc)));
    if (record == EmfRecord::EMR_TRANSPARENTBLT) {
        // TransparentBlt: the raster-operation field holds the colour that
        // stays see-through.
        const QRgb key = qRgb(rop & 0xFF, (rop >> 8) & 0xFF, (rop >> 16) & 0xFF);
        QImage keyed = source.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < keyed.height(); ++y) {
            QRgb* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
            for (int x = 0; x < keyed.width(); ++x)
                if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF)) line[x] = 0;
        }
        device_.AlphaBlendImage(dest, keyed, 1.0);
        return;
    }
    device_.StretchImage(dest, source, rop);
}

void EmfPlayer::PlayStretchDibits(ByteReader& r) {
    r.Skip(16);
    const double xDest = r.I32(), yDest = r.I32(), xSrc = r.I32(), ySrc = r.I32(), cxSrc = r.I32(), cySrc = r.I32();
    const std::uint32_t offBmi = r.U32(), cbBmi = r.U32(), offBits = r.U32(), cbBits = r.U32();
    const std::uint32_t usage = r.U32();
    const std::uint32_t rop = r.U32();
    const double cxDest = r.I32(), cyDest = r.I32();
    if (r.failed()) return;
    const QRectF dest(xDest, yDest, cxDest, cyDest);
    std::optional<Dib> dib = ReadBitmap(r, offBmi, cbBmi, offBits, cbBits, usage, false);
    if (!dib) {
        if (cbBmi == 0) device_.PatBlt(dest, rop);
        return;
    }
    device_.StretchImage(dest, Crop(dib->image, DibSourceRect(*dib, xSrc, ySrc, cxSrc, cySrc)), rop);
}

void EmfPlayer::PlaySetDibitsToDevice(ByteReader& r) {
    r.Skip(16);
    const double xDest = r.I32(), yDest = r.I32(), xSrc = r.I32(), ySrc = r.I32(), cxSrc = r.I32(), cySrc = r.I32();
    const std::uint32_t offBmi = r.U32(), cbBmi = r.U32(), offBits = r.U32(), cbBits = r.U32();
    const std::uint32_t usage = r.U32();
    const std::uint32_t startScan = r.U32(), scans = r.U32();
    if (r.failed() || cbBmi < 12 || scans == 0) return;
    // The bits hold only `scans` rows from `startScan`: decode them as a
    // bitmap of that height.
    ByteReader info = r.Slice(offBmi, cbBmi);
    if (info.failed()) return;
    QByteArray header(reinterpret_cast<const char*>(info.data()), static_cast<qsizetype>(info.size()));
    double yInPart = ySrc;
    if (cbBmi >= 40 && info.U32() >= 40) {
        ByteReader h = info;
        h.Seek(8);
        const std::int32_t height = h.I32();
        const std::int32_t part = static_cast<std::int32_t>(std::min<std::uint32_t>(scans, 0x7FFFFFFF));
        if (part < std::abs(static_cast<std::int64_t>(height))) {
            const std::int32_t signedPart = height < 0 ? -part : part;
            for (int i = 0; i < 4; ++i) header[8 + i] = static_cast<char>((static_cast<std::uint32_t>(signedPart) >> (8 * i)) & 0xFF);
            yInPart = ySrc - startScan;
        }
    }
    const ByteReader patched = Reader(header);
    const ByteReader bits = r.Slice(offBits, cbBits);
    if (bits.failed()) return;
    DibRequest request;
    request.paletteIndices = usage == DIB_PAL_COLORS;
    request.palette = &device_.state().palette;
    const std::optional<Dib> dib = DecodeDib(patched, bits, request);
    if (!dib) return;
    device_.StretchImage(QRectF(xDest, yDest, cxSrc, cySrc),
                         Crop(dib->image, DibSourceRect(*dib, xSrc, yInPart, cxSrc, cySrc)), SRCCOPY);
}

void EmfPlayer::PlayAlphaBlend(ByteReader& r) {
    r.Skip(16);
    const double xDest = r.I32(), yDest = r.I32(), cxDest = r.I32(), cyDest = r.I32();
    r.U8();  // blend operation: always "over"
    r.U8();
    const double constantAlpha = r.U8() / 255.0;
    const bool sourceAlpha = (r.U8() & 1) != 0;
    const double xSrc = r.I32(), ySrc = r.I32();
    r.Skip(24 + 4);  // source transform, background colour
    const std::uint32_t usage = r.U32();
    const std::uint32_t offBmi = r.U32(), cbBmi = r.U32(), offBits = r.U32(), cbBits = r.U32();
    const double cxSrc = r.I32(), cySrc = r.I32();
    if (r.failed()) return;
    std::optional<Dib> dib = ReadBitmap(r, offBmi, cbBmi, offBits, cbBits, usage, sourceAlpha);
    if (!dib) return;
    QImage source = Crop(dib->image, QRectF(xSrc, ySrc, cxSrc, cySrc));
    if (sourceAlpha && source.format() == QImage::Format_ARGB32) {
        // The file's pixels are premultiplied; keep colour within alpha so
        // a careless writer cannot overflow the blend.
        for (int y = 0; y < source.height(); ++y) {
            QRgb* line = reinterpret_cast<QRgb*>(source.scanLine(y));
            for (int x = 0; x < source.width(); ++x) {
                const int a = qAlpha(line[x]);
                line[x] = qRgba(std::min(qRed(line[x]), a), std::min(qGreen(line[x]), a), std::min(qBlue(line[x]), a), a);
            }
        }
        source.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    }
    device_.AlphaBlendImage(QRectF(xDest, yDest, cxDest, cyDest), source, constantAlpha);
}

}  // namespace imaging::metafile
