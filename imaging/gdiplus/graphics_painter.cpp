// Surfaces on a window's painter, for the preview: the active frame is
// handed to QPainter as an image view, smoothly scaled.
#include "imaging/gdiplus/gdiplus_objects.h"

#include <QImage>
#include <QPainter>

namespace imaging {
namespace {

Status DrawThroughPainter(GraphicsData& g, const PixelBuffer& frame, const IntRect& dst, const IntRect& src) {
    QPainter& painter = *g.painter;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, g.mode != InterpolationMode::NearestNeighbor);
    painter.drawImage(QRect(dst.x, dst.y, dst.width, dst.height), ImageView(frame),
                      QRect(src.x, src.y, src.width, src.height));
    painter.restore();
    return Status::Ok;
}

}  // namespace

Status GdipCreateFromPainter(QPainter* painter, std::unique_ptr<GpGraphics>& graphics) {
    auto data = std::make_unique<GraphicsData>();
    const bool ok = painter && painter->isActive();
    if (ok) {
        data->painter = painter;
        data->drawOnPainter = &DrawThroughPainter;
        data->valid = true;
    }
    graphics = std::make_unique<GpGraphics>(std::move(data));
    return ok ? Status::Ok : Status::InvalidParameter;
}

}  // namespace imaging
