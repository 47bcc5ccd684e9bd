// The device's coordinate spaces, its saved states, clipping and the path
// bracket. Logical points go through the world transform (EMF only), then
// the page transform of the mapping mode (window and viewport), then the
// fixed device-to-bitmap transform of the picture.

#include "imaging/metafile/gdi_device.h"

#include <QPainterPathStroker>

#include <cmath>

namespace imaging::metafile {

using namespace gdi;

GdiDevice::GdiDevice(QImage& target, const QTransform& deviceToBitmap, QSizeF devicePixelsPerMm)
    : target_(target), painter_(&target), deviceToBitmap_(deviceToBitmap), pixelsPerMm_(devicePixelsPerMm) {
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    state_.brush.style = BS_SOLID;
    state_.brush.color = 0xFFFFFF;
    state_.pen.color = 0;
}

GdiDevice::~GdiDevice() { painter_.end(); }

QRgb GdiDevice::Color(ColorRef color) const {
    if ((color >> 24) == 0x01) {
        const std::size_t index = color & 0xFFFF;
        return index < state_.palette.size() ? state_.palette[index] : qRgb(0, 0, 0);
    }
    return qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

void GdiDevice::SetMapMode(int mode, bool keepExtents) {
    if (mode < MM_TEXT || mode > MM_ANISOTROPIC) return;
    const bool toScaled = mode == MM_ISOTROPIC || mode == MM_ANISOTROPIC;
    const bool fromScaled = state_.mapMode == MM_ISOTROPIC || state_.mapMode == MM_ANISOTROPIC;
    if (toScaled && !fromScaled && !keepExtents) {
        // The extents start as the scale of the mode left behind.
        const QTransform page = PageTransform();
        state_.windowExt = QSizeF(1000, 1000);
        state_.viewportExt = QSizeF(1000 * page.m11(), 1000 * page.m22());
    }
    state_.mapMode = mode;
}

void GdiDevice::SetWindowExt(QSizeF ext) {
    if (ext.width() == 0 || ext.height() == 0) return;
    if (state_.mapMode == MM_ISOTROPIC || state_.mapMode == MM_ANISOTROPIC) state_.windowExt = ext;
}

void GdiDevice::SetViewportExt(QSizeF ext) {
    if (ext.width() == 0 || ext.height() == 0) return;
    if (state_.mapMode == MM_ISOTROPIC || state_.mapMode == MM_ANISOTROPIC) state_.viewportExt = ext;
}

void GdiDevice::ModifyWorldTransform(const QTransform& t, std::uint32_t mode) {
    switch (mode) {
    case MWT_IDENTITY: state_.world = QTransform(); break;
    case MWT_LEFTMULTIPLY: state_.world = t * state_.world; break;  // the new one applies first
    case MWT_RIGHTMULTIPLY: state_.world = state_.world * t; break;
    case MWT_SET: state_.world = t; break;
    default: break;
    }
}

QTransform GdiDevice::PageTransform() const {
    double sx = 1, sy = 1;
    const double mmX = pixelsPerMm_.width(), mmY = pixelsPerMm_.height();
    switch (state_.mapMode) {
    case MM_LOMETRIC: sx = mmX * 0.1, sy = -mmY * 0.1; break;
    case MM_HIMETRIC: sx = mmX * 0.01, sy = -mmY * 0.01; break;
    case MM_LOENGLISH: sx = mmX * 0.254, sy = -mmY * 0.254; break;
    case MM_HIENGLISH: sx = mmX * 0.0254, sy = -mmY * 0.0254; break;
    case MM_TWIPS: sx = mmX * 25.4 / 1440, sy = -mmY * 25.4 / 1440; break;
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC:
        sx = state_.viewportExt.width() / state_.windowExt.width();
        sy = state_.viewportExt.height() / state_.windowExt.height();
        if (state_.mapMode == MM_ISOTROPIC) {
            // Both axes take the smaller scale; each keeps its sign.
            const double s = std::min(std::fabs(sx), std::fabs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
        break;
    default: break;
    }
    return QTransform(sx, 0, 0, sy, state_.viewportOrg.x() - state_.windowOrg.x() * sx,
                      state_.viewportOrg.y() - state_.windowOrg.y() * sy);
}

QTransform GdiDevice::LogicalToBitmap() const { return state_.world * PageTransform() * deviceToBitmap_; }

double GdiDevice::ScaleX() const {
    const QTransform t = LogicalToBitmap();
    return std::hypot(t.m11(), t.m12());
}

double GdiDevice::ScaleY() const {
    const QTransform t = LogicalToBitmap();
    return std::hypot(t.m21(), t.m22());
}

void GdiDevice::SaveDC() {
    // A bound on nesting keeps a hostile file from growing the stack forever.
    if (saved_.size() < 10000) saved_.push_back(state_);
}

void GdiDevice::RestoreDC(int which) {
    if (saved_.empty() || which == 0) return;
    std::size_t keep;  // how many saved states remain afterwards
    if (which < 0) {
        const std::size_t back = static_cast<std::size_t>(-static_cast<std::int64_t>(which));
        if (back > saved_.size()) return;
        keep = saved_.size() - back;
    } else {
        if (static_cast<std::size_t>(which) > saved_.size()) return;
        keep = static_cast<std::size_t>(which) - 1;
    }
    state_ = saved_[keep];
    saved_.resize(keep);
    ApplyClip();
}

QRectF GdiDevice::WholePicture() const { return QRectF(0, 0, target_.width(), target_.height()); }

void GdiDevice::ApplyClip() {
    painter_.resetTransform();
    if (state_.clip)
        painter_.setClipPath(*state_.clip, Qt::ReplaceClip);
    else
        painter_.setClipping(false);
}

void GdiDevice::CombineClip(const QPainterPath& region, int mode) {
    QPainterPath current;
    if (state_.clip) {
        current = *state_.clip;
    } else {
        current.addRect(WholePicture());
    }
    switch (mode) {
    case RGN_AND: current = current.intersected(region); break;
    case RGN_OR: current = current.united(region); break;
    case RGN_XOR: current = current.united(region).subtracted(current.intersected(region)); break;
    case RGN_DIFF: current = current.subtracted(region); break;
    case RGN_COPY: current = region; break;
    default: return;
    }
    state_.clip = current;
    ApplyClip();
}

void GdiDevice::IntersectClipRect(const QRectF& box) {
    QPainterPath p;
    p.addPolygon(LogicalToBitmap().map(QPolygonF(box.normalized())));
    p.closeSubpath();
    CombineClip(p, RGN_AND);
}

void GdiDevice::ExcludeClipRect(const QRectF& box) {
    QPainterPath p;
    p.addPolygon(LogicalToBitmap().map(QPolygonF(box.normalized())));
    p.closeSubpath();
    CombineClip(p, RGN_DIFF);
}

void GdiDevice::SelectClipRegion(const std::optional<QPainterPath>& region, int mode) {
    if (!region) {
        if (mode == RGN_COPY) {
            state_.clip.reset();
            ApplyClip();
        }
        return;
    }
    CombineClip(*region, mode);
}

void GdiDevice::OffsetClip(QPointF logicalDelta) {
    if (!state_.clip) return;
    const QTransform t = LogicalToBitmap();
    const QPointF d = t.map(logicalDelta) - t.map(QPointF(0, 0));
    state_.clip = state_.clip->translated(d);
    ApplyClip();
}

void GdiDevice::BeginPath() {
    building_ = true;
    widened_ = false;
    path_ = QPainterPath();
    path_.setFillRule(state_.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
}

void GdiDevice::EndPath() { building_ = false; }

void GdiDevice::AbortPath() {
    building_ = false;
    path_ = QPainterPath();
}

void GdiDevice::CloseFigure() {
    if (building_) path_.closeSubpath();
}

void GdiDevice::AddToPath(const QPainterPath& logical, bool continueFigure) {
    const QPainterPath mapped = LogicalToBitmap().map(logical);
    if (continueFigure && path_.elementCount() > 0 && mapped.elementCount() > 0) {
        // Carry on the open figure: skip the shape's own move-to.
        for (int i = 0; i < mapped.elementCount(); ++i) {
            const QPainterPath::Element e = mapped.elementAt(i);
            if (i == 0 && e.isMoveTo()) {
                if (QLineF(path_.currentPosition(), QPointF(e)).length() > 1e-6) path_.lineTo(e);
                continue;
            }
            if (e.isLineTo()) {
                path_.lineTo(e);
            } else if (e.type == QPainterPath::CurveToElement && i + 2 < mapped.elementCount()) {
                path_.cubicTo(e, mapped.elementAt(i + 1), mapped.elementAt(i + 2));
                i += 2;
            } else if (e.isMoveTo()) {
                path_.moveTo(e);
            }
        }
    } else {
        path_.addPath(mapped);
    }
}

void GdiDevice::FillPath() {
    if (building_) return;
    if (!widened_) path_.setFillRule(state_.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    QPainterPath closed = path_;
    closed.closeSubpath();
    FillWithBrush(closed, state_.brush);
    path_ = QPainterPath();
}

void GdiDevice::StrokePath() {
    if (building_) return;
    StrokeWithPen(LogicalToBitmap().inverted().map(path_));
    path_ = QPainterPath();
}

void GdiDevice::StrokeAndFillPath() {
    if (building_) return;
    const QPainterPath stroke = path_;
    FillPath();
    path_ = stroke;
    path_.closeSubpath();
    StrokePath();
}

void GdiDevice::WidenPath() {
    if (building_) return;
    // The outline the current pen would paint, as a path to fill or clip.
    QPainterPathStroker stroker(MakePen());
    const double scale = std::sqrt(std::fabs(LogicalToBitmap().determinant()));
    const Pen& p = state_.pen;
    stroker.setWidth(p.cosmetic || p.width <= 0 ? 1.0 : std::max(1.0, p.width * scale));
    path_ = stroker.createStroke(path_);
    path_.setFillRule(Qt::WindingFill);
    widened_ = true;
}

void GdiDevice::SelectClipPath(int mode) {
    if (building_) return;
    if (!widened_) path_.setFillRule(state_.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    QPainterPath closed = path_;
    closed.closeSubpath();
    CombineClip(closed, mode);
    path_ = QPainterPath();
}

}  // namespace imaging::metafile
