// Lines, shapes and fills of the device: how a GDI pen, brush and raster
// operation become a QPen, a QBrush and a composition mode, and how each
// shape record turns into a path in logical units.

#include "imaging/metafile/gdi_device.h"

#include <cmath>
#include <numbers>

namespace imaging::metafile {

using namespace gdi;

namespace {

Qt::BrushStyle HatchStyle(std::uint32_t hatch) {
    switch (hatch) {
    case HS_HORIZONTAL: return Qt::HorPattern;
    case HS_VERTICAL: return Qt::VerPattern;
    case HS_FDIAGONAL: return Qt::FDiagPattern;
    case HS_BDIAGONAL: return Qt::BDiagPattern;
    case HS_CROSS: return Qt::CrossPattern;
    case HS_DIAGCROSS: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
    }
}

// The composition mode for a pen raster operation, and the colour to draw
// with when the operation ignores the pen's own.
QPainter::CompositionMode Rop2Mode(int rop, QRgb& color) {
    switch (rop) {
    case R2_BLACK: color = qRgb(0, 0, 0); return QPainter::CompositionMode_SourceOver;
    case R2_WHITE: color = qRgb(255, 255, 255); return QPainter::CompositionMode_SourceOver;
    case R2_NOTMERGEPEN: return QPainter::RasterOp_NotSourceAndNotDestination;
    case R2_MASKNOTPEN: return QPainter::RasterOp_NotSourceAndDestination;
    case R2_NOTCOPYPEN: return QPainter::RasterOp_NotSource;
    case R2_MASKPENNOT: return QPainter::RasterOp_SourceAndNotDestination;
    case R2_NOT: return QPainter::RasterOp_NotDestination;
    case R2_XORPEN: return QPainter::RasterOp_SourceXorDestination;
    case R2_NOTMASKPEN: return QPainter::RasterOp_NotSourceOrNotDestination;
    case R2_MASKPEN: return QPainter::RasterOp_SourceAndDestination;
    case R2_NOTXORPEN: return QPainter::RasterOp_NotSourceXorDestination;
    case R2_MERGENOTPEN: return QPainter::RasterOp_NotSourceOrDestination;
    case R2_MERGEPENNOT: return QPainter::RasterOp_SourceOrNotDestination;
    case R2_MERGEPEN: return QPainter::RasterOp_SourceOrDestination;
    default: return QPainter::CompositionMode_SourceOver;
    }
}

bool IsCopyRop(int rop) { return rop == R2_COPYPEN || rop < R2_BLACK || rop > R2_WHITE; }

}  // namespace

bool GdiDevice::BeginRop() {
    if (state_.rop2 == R2_NOP) return false;
    QRgb unused = 0;
    painter_.setCompositionMode(Rop2Mode(state_.rop2, unused));
    // Raster operations act on whole pixels; blending their edges would
    // leave smears that the operation never makes.
    painter_.setRenderHint(QPainter::Antialiasing, IsCopyRop(state_.rop2));
    return true;
}

void GdiDevice::EndRop() {
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.setRenderHint(QPainter::Antialiasing, true);
}

QPen GdiDevice::MakePen() const {
    const Pen& p = state_.pen;
    const std::uint32_t style = p.style & PS_STYLE_MASK;
    if (style == PS_NULL) return QPen(Qt::NoPen);
    QRgb color = Color(p.color);
    Rop2Mode(state_.rop2, color);
    QPen pen{QColor(color)};
    const double scale = std::sqrt(std::fabs(LogicalToBitmap().determinant()));
    if (p.cosmetic || p.width <= 0 || p.width * scale < 1.0) {
        pen.setCosmetic(true);
        pen.setWidthF(1.0);
    } else {
        // A pen wider than any picture only costs time: cap it.
        pen.setWidthF(std::min(p.width, 100000.0 / scale));
    }
    switch (style) {
    case PS_DASH: pen.setStyle(Qt::DashLine); break;
    case PS_DOT:
    case PS_ALTERNATE: pen.setStyle(Qt::DotLine); break;
    case PS_DASHDOT: pen.setStyle(Qt::DashDotLine); break;
    case PS_DASHDOTDOT: pen.setStyle(Qt::DashDotDotLine); break;
    case PS_USERSTYLE: {
        QList<qreal> dashes;
        const double unit = pen.isCosmetic() ? 1.0 : std::max(p.width, 1e-6);
        for (double d : p.dashes) dashes.append(std::max(d / unit, 0.1));
        if (dashes.size() % 2 == 1) dashes.append(dashes.back());
        if (dashes.isEmpty()) pen.setStyle(Qt::SolidLine);
        else pen.setDashPattern(dashes);
        break;
    }
    default: pen.setStyle(Qt::SolidLine); break;
    }
    if (p.cosmetic) {
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    } else {
        const std::uint32_t cap = p.style & PS_ENDCAP_MASK, join = p.style & PS_JOIN_MASK;
        pen.setCapStyle(cap == PS_ENDCAP_SQUARE ? Qt::SquareCap : cap == PS_ENDCAP_FLAT ? Qt::FlatCap : Qt::RoundCap);
        pen.setJoinStyle(join == PS_JOIN_BEVEL ? Qt::BevelJoin : join == PS_JOIN_MITER ? Qt::MiterJoin : Qt::RoundJoin);
        pen.setMiterLimit(state_.miterLimit);
    }
    return pen;
}

void GdiDevice::FillWithBrush(const QPainterPath& bitmapPath, const Brush& b) {
    if (b.style == BS_NULL) return;
    if (!BeginRop()) return;
    painter_.resetTransform();
    QRgb color = Color(b.color);
    Rop2Mode(state_.rop2, color);
    if (b.style == BS_HATCHED) {
        if (state_.bkMode == OPAQUE) painter_.fillPath(bitmapPath, QColor(Color(state_.bkColor)));
        painter_.fillPath(bitmapPath, QBrush(QColor(color), HatchStyle(b.hatch)));
    } else if ((b.style == BS_PATTERN || b.style == BS_DIBPATTERN || b.style == BS_DIBPATTERNPT) &&
               !b.pattern.isNull()) {
        QImage pattern = b.pattern;
        if (b.monochrome && pattern.colorCount() == 0) {
            // A two-colour pattern: black pixels take the text colour, white
            // ones the background colour.
            pattern = pattern.convertToFormat(QImage::Format_RGB32);
            const QRgb fg = Color(state_.textColor), bg = Color(state_.bkColor);
            for (int y = 0; y < pattern.height(); ++y) {
                QRgb* line = reinterpret_cast<QRgb*>(pattern.scanLine(y));
                for (int x = 0; x < pattern.width(); ++x) line[x] = qGray(line[x]) < 128 ? fg : bg;
            }
        }
        painter_.fillPath(bitmapPath, QBrush(pattern));
    } else {
        painter_.fillPath(bitmapPath, QColor(color));
    }
    EndRop();
}

void GdiDevice::StrokeWithPen(const QPainterPath& logical) {
    const QPen pen = MakePen();
    if (pen.style() == Qt::NoPen) return;
    if (!BeginRop()) return;
    painter_.setTransform(LogicalToBitmap());
    painter_.strokePath(logical, pen);
    painter_.resetTransform();
    EndRop();
}

void GdiDevice::DrawShape(const QPainterPath& logical, bool fill, bool stroke) {
    if (building_) {
        AddToPath(logical, false);
        return;
    }
    if (fill) {
        QPainterPath bitmapPath = LogicalToBitmap().map(logical);
        bitmapPath.setFillRule(state_.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
        FillWithBrush(bitmapPath, state_.brush);
    }
    if (stroke) StrokeWithPen(logical);
}

void GdiDevice::MoveTo(QPointF p) {
    state_.current = p;
    if (building_) path_.moveTo(LogicalToBitmap().map(p));
}

void GdiDevice::LineTo(QPointF p) {
    QPainterPath line(state_.current);
    line.lineTo(p);
    if (building_) AddToPath(line, true);
    else StrokeWithPen(line);
    state_.current = p;
}

void GdiDevice::Polyline(const std::vector<QPointF>& points) {
    if (points.size() < 2) return;
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points.begin(), points.end())));
    if (building_) AddToPath(path, false);
    else StrokeWithPen(path);
}

void GdiDevice::PolylineTo(const std::vector<QPointF>& points) {
    if (points.empty()) return;
    QPainterPath path(state_.current);
    for (const QPointF& p : points) path.lineTo(p);
    if (building_) AddToPath(path, true);
    else StrokeWithPen(path);
    state_.current = points.back();
}

void GdiDevice::PolyBezier(const std::vector<QPointF>& points) {
    if (points.size() < 4) return;
    QPainterPath path(points[0]);
    for (std::size_t i = 1; i + 2 < points.size(); i += 3) path.cubicTo(points[i], points[i + 1], points[i + 2]);
    if (building_) AddToPath(path, false);
    else StrokeWithPen(path);
}

void GdiDevice::PolyBezierTo(const std::vector<QPointF>& points) {
    if (points.size() < 3) return;
    QPainterPath path(state_.current);
    std::size_t i = 0;
    for (; i + 2 < points.size(); i += 3) path.cubicTo(points[i], points[i + 1], points[i + 2]);
    if (building_) AddToPath(path, true);
    else StrokeWithPen(path);
    state_.current = points[i - 1];
}

void GdiDevice::PolyPolyline(const std::vector<std::vector<QPointF>>& lines) {
    for (const auto& line : lines) Polyline(line);
}

void GdiDevice::PolyPolygon(const std::vector<std::vector<QPointF>>& polygons) {
    QPainterPath path;
    for (const auto& polygon : polygons) {
        if (polygon.size() < 2) continue;
        path.addPolygon(QPolygonF(QList<QPointF>(polygon.begin(), polygon.end())));
        path.closeSubpath();
    }
    path.setFillRule(state_.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    DrawShape(path, true, true);
}

void GdiDevice::Rectangle(const QRectF& box) {
    QPainterPath path;
    path.addRect(box.normalized());
    DrawShape(path, true, true);
}

void GdiDevice::RoundRect(const QRectF& box, QSizeF corner) {
    QPainterPath path;
    path.addRoundedRect(box.normalized(), std::fabs(corner.width()) / 2, std::fabs(corner.height()) / 2);
    DrawShape(path, true, true);
}

void GdiDevice::Ellipse(const QRectF& box) {
    QPainterPath path;
    path.addEllipse(box.normalized());
    DrawShape(path, true, true);
}

QPointF GdiDevice::ArcPoint(const QRectF& box, double degrees) const {
    const double a = degrees * std::numbers::pi / 180;
    return QPointF(box.center().x() + box.width() / 2 * std::cos(a), box.center().y() - box.height() / 2 * std::sin(a));
}

void GdiDevice::Arc(const QRectF& rawBox, QPointF start, QPointF end, ArcKind kind) {
    const QRectF box = rawBox.normalized();
    if (box.width() <= 0 || box.height() <= 0) return;
    // Angles of the radials through the start and end points, measured the
    // way QPainterPath::arcTo measures them on this ellipse.
    const QPointF c = box.center();
    auto angleOf = [&](QPointF p) {
        return std::atan2(-(p.y() - c.y()) / box.height(), (p.x() - c.x()) / box.width()) * 180 / std::numbers::pi;
    };
    const double a0 = angleOf(start);
    double sweep = angleOf(end) - a0;
    // Counterclockwise on the page (y down) is a positive sweep here.
    if (!state_.arcClockwise) {
        while (sweep <= 0) sweep += 360;
    } else {
        while (sweep >= 0) sweep -= 360;
    }
    QPainterPath path;
    if (kind == ArcKind::Pie) {
        path.moveTo(c);
        path.arcTo(box, a0, sweep);
        path.closeSubpath();
    } else if (kind == ArcKind::ArcTo) {
        path.moveTo(state_.current);
        path.lineTo(ArcPoint(box, a0));
        path.arcTo(box, a0, sweep);
    } else {
        path.arcMoveTo(box, a0);
        path.arcTo(box, a0, sweep);
        if (kind == ArcKind::Chord) path.closeSubpath();
    }
    if (kind == ArcKind::ArcTo) {
        state_.current = path.currentPosition();
        if (building_) AddToPath(path, true);
        else StrokeWithPen(path);
        return;
    }
    const bool closed = kind == ArcKind::Chord || kind == ArcKind::Pie;
    if (building_) AddToPath(path, false);
    else DrawShape(path, closed, true);
}

void GdiDevice::AngleArc(QPointF centre, double radius, double startDegrees, double sweepDegrees) {
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path(state_.current);
    path.lineTo(ArcPoint(box, startDegrees));
    path.arcTo(box, startDegrees, sweepDegrees);
    state_.current = path.currentPosition();
    if (building_) AddToPath(path, true);
    else StrokeWithPen(path);
}

void GdiDevice::SetPixel(QPointF p, ColorRef color) {
    const QPointF d = LogicalToBitmap().map(p);
    if (!WholePicture().contains(d)) return;
    const int x = static_cast<int>(std::floor(d.x())), y = static_cast<int>(std::floor(d.y()));
    painter_.resetTransform();
    painter_.fillRect(QRect(x, y, 1, 1), QColor(Color(color)));
}

void GdiDevice::PatBlt(const QRectF& box, std::uint32_t rop) {
    QPainterPath path;
    path.addPolygon(LogicalToBitmap().map(QPolygonF(box.normalized())));
    path.closeSubpath();
    painter_.resetTransform();
    switch (rop) {
    case BLACKNESS: painter_.fillPath(path, Qt::black); break;
    case WHITENESS: painter_.fillPath(path, Qt::white); break;
    case DSTINVERT: InvertRegion(path); break;
    case PATINVERT: {
        painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter_.setRenderHint(QPainter::Antialiasing, false);
        painter_.fillPath(path, QColor(Color(state_.brush.color)));
        EndRop();
        break;
    }
    case DSTCOPY: break;  // destination unchanged
    default: {            // PATCOPY and the rest
        const int savedRop = state_.rop2;
        state_.rop2 = R2_COPYPEN;
        FillWithBrush(path, state_.brush);
        state_.rop2 = savedRop;
        break;
    }
    }
}

void GdiDevice::FillRegion(const QPainterPath& region, const Brush& brush) { FillWithBrush(region, brush); }

void GdiDevice::InvertRegion(const QPainterPath& region) {
    painter_.resetTransform();
    painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.fillPath(region, Qt::white);
    EndRop();
}

}  // namespace imaging::metafile
