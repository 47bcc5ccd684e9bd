// Bitmap blits of the device: a decoded bitmap drawn into a logical
// rectangle (mirrored when the rectangle's width or height is negative)
// with the blit's raster operation, or alpha-blended.

#include "imaging/metafile/gdi_device.h"

#include <QLinearGradient>

#include <algorithm>
#include <cmath>

namespace imaging::metafile {

namespace {

// Composition for the source raster operations real files use; the
// pattern operations without a source are handled by PatBlt.
QPainter::CompositionMode BlitMode(std::uint32_t rop, bool& known) {
    known = true;
    switch (rop) {
    case gdi::SRCCOPY: return QPainter::CompositionMode_SourceOver;
    case gdi::SRCAND: return QPainter::RasterOp_SourceAndDestination;
    case gdi::SRCPAINT: return QPainter::RasterOp_SourceOrDestination;
    case gdi::SRCINVERT: return QPainter::RasterOp_SourceXorDestination;
    case gdi::NOTSRCCOPY: return QPainter::RasterOp_NotSource;
    case gdi::SRCERASE: return QPainter::RasterOp_SourceAndNotDestination;
    case gdi::NOTSRCERASE: return QPainter::RasterOp_NotSourceAndNotDestination;
    case gdi::MERGEPAINT: return QPainter::RasterOp_NotSourceOrDestination;
    case gdi::MERGECOPY: return QPainter::CompositionMode_SourceOver;  // drawn as a copy
    default: known = false; return QPainter::CompositionMode_SourceOver;
    }
}

QTransform ImageToRect(const QImage& image, const QRectF& dest) {
    QTransform m;
    m.translate(dest.x(), dest.y());
    m.scale(dest.width() / image.width(), dest.height() / image.height());
    return m;
}

}  // namespace

void GdiDevice::StretchImage(const QRectF& dest, const QImage& source, std::uint32_t rop) {
    if (building_ || source.isNull() || dest.width() == 0 || dest.height() == 0) return;
    bool known = false;
    const QPainter::CompositionMode mode = BlitMode(rop, known);
    if (!known) {
        PatBlt(dest, rop);
        return;
    }
    const bool rasterOp = mode != QPainter::CompositionMode_SourceOver;
    painter_.setCompositionMode(mode);
    painter_.setRenderHint(QPainter::Antialiasing, !rasterOp);
    painter_.setTransform(ImageToRect(source, dest) * LogicalToBitmap());
    painter_.drawImage(QPointF(0, 0), source);
    painter_.resetTransform();
    EndRop();
}

void GdiDevice::AlphaBlendImage(const QRectF& dest, const QImage& source, double constantAlpha) {
    if (building_ || source.isNull() || dest.width() == 0 || dest.height() == 0) return;
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.setOpacity(std::clamp(constantAlpha, 0.0, 1.0));
    painter_.setTransform(ImageToRect(source, dest) * LogicalToBitmap());
    painter_.drawImage(QPointF(0, 0), source);
    painter_.resetTransform();
    painter_.setOpacity(1.0);
}

}  // namespace imaging::metafile

namespace imaging::metafile {

void GdiDevice::GradientRect(QPointF from, QPointF to, QRgb fromColor, QRgb toColor, bool horizontal) {
    if (building_) return;
    const QTransform t = LogicalToBitmap();
    QLinearGradient gradient(t.map(from), horizontal ? t.map(QPointF(to.x(), from.y())) : t.map(QPointF(from.x(), to.y())));
    gradient.setColorAt(0, QColor(fromColor));
    gradient.setColorAt(1, QColor(toColor));
    QPainterPath area;
    area.addPolygon(t.map(QPolygonF(QRectF(from, to).normalized())));
    area.closeSubpath();
    painter_.resetTransform();
    painter_.fillPath(area, gradient);
}

void GdiDevice::GradientTriangle(const QPointF (&corners)[3], const QRgb (&colors)[3]) {
    if (building_) return;
    const QTransform t = LogicalToBitmap();
    const QPointF p[3] = {t.map(corners[0]), t.map(corners[1]), t.map(corners[2])};
    const QRectF box = QPolygonF({p[0], p[1], p[2]}).boundingRect().intersected(WholePicture());
    if (box.isEmpty()) return;
    const double area = (p[1].x() - p[0].x()) * (p[2].y() - p[0].y()) - (p[2].x() - p[0].x()) * (p[1].y() - p[0].y());
    if (std::fabs(area) < 1e-9) return;
    // Each pixel of the triangle's box takes the corners' colours weighted
    // by its barycentric coordinates; pixels outside stay transparent.
    const QRect cells = box.toAlignedRect();
    QImage shade(cells.size(), QImage::Format_ARGB32);
    shade.fill(Qt::transparent);
    for (int y = 0; y < cells.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(shade.scanLine(y));
        const double py = cells.top() + y + 0.5;
        for (int x = 0; x < cells.width(); ++x) {
            const double px = cells.left() + x + 0.5;
            const double w1 = ((px - p[0].x()) * (p[2].y() - p[0].y()) - (p[2].x() - p[0].x()) * (py - p[0].y())) / area;
            const double w2 = ((p[1].x() - p[0].x()) * (py - p[0].y()) - (px - p[0].x()) * (p[1].y() - p[0].y())) / area;
            const double w0 = 1 - w1 - w2;
            if (w0 < 0 || w1 < 0 || w2 < 0) continue;
            auto mix = [&](int (*channel)(QRgb)) {
                return std::clamp(static_cast<int>(w0 * channel(colors[0]) + w1 * channel(colors[1]) + w2 * channel(colors[2]) + 0.5), 0, 255);
            };
            line[x] = qRgb(mix(qRed), mix(qGreen), mix(qBlue));
        }
    }
    painter_.resetTransform();
    painter_.drawImage(cells.topLeft(), shade);
}

}  // namespace imaging::metafile
