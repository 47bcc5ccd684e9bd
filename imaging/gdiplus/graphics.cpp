// Drawing surfaces. On a bitmap, pictures are drawn with the bicubic
// resampler (every interpolation mode gets its high-quality result: no
// caller of ours asks for less). Surfaces on a window's painter are made,
// and drawn on, in graphics_painter.cpp: a program without a window links
// none of Qt's GUI side through this file.
#include "imaging/gdiplus/gdiplus_objects.h"
#include "imaging/scale/resample.h"

#include <algorithm>

namespace imaging {

GpGraphics::GpGraphics(std::unique_ptr<GraphicsData> data) : data_(std::move(data)) {}
GpGraphics::~GpGraphics() = default;

Status GdipGetImageGraphicsContext(GpImage* image, std::unique_ptr<GpGraphics>& graphics) {
    auto data = std::make_unique<GraphicsData>();
    const PixelBuffer* frame = FrameOf(image);
    // Only 24-bit buffers take drawing: those of bitmaps, and of opaque
    // pictures.
    const bool ok = frame && frame->layout() == PixelLayout::Rgb8;
    if (ok) {
        data->target = image;
        data->valid = true;
    }
    graphics = std::make_unique<GpGraphics>(std::move(data));
    return ok ? Status::Ok : (image ? Status::WrongState : Status::InvalidParameter);
}

Status GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode mode) {
    if (!graphics || !graphics->data().valid) return Status::InvalidParameter;
    const int m = static_cast<int>(mode);
    if (m < 0 || m > static_cast<int>(InterpolationMode::HighQualityBicubic)) return Status::InvalidParameter;
    graphics->data().mode = mode;
    return Status::Ok;
}

Status GdipDrawImageRectRectI(GpGraphics* graphics, GpImage* image, int dstX, int dstY, int dstWidth, int dstHeight,
                              int srcX, int srcY, int srcWidth, int srcHeight, Unit srcUnit) {
    if (!graphics || !graphics->data().valid) return Status::InvalidParameter;
    const PixelBuffer* frame = FrameOf(image);
    if (!frame || srcUnit != Unit::Pixel) return Status::InvalidParameter;
    const IntRect dst{dstX, dstY, dstWidth, dstHeight};
    const IntRect src{srcX, srcY, srcWidth, srcHeight};
    if (dstWidth <= 0 || dstHeight <= 0 || srcWidth <= 0 || srcHeight <= 0) return Status::InvalidParameter;
    if (srcX < 0 || srcY < 0 || srcX > frame->width() - srcWidth || srcY > frame->height() - srcHeight)
        return Status::InvalidParameter;
    GraphicsData& g = graphics->data();
    if (g.painter) return g.drawOnPainter(g, *frame, dst, src);
    PixelBuffer* target = FrameOf(g.target);
    if (!target) return Status::InvalidParameter;
    if (target == frame) {
        // Drawing a bitmap into itself reads a copy.
        PixelBuffer copy;
        if (!copy.Allocate(frame->width(), frame->height(), frame->layout())) return Status::OutOfMemory;
        for (int y = 0; y < frame->height(); ++y)
            std::copy_n(frame->row(y), static_cast<std::size_t>(frame->width()) * frame->channels(), copy.row(y));
        return ResampleBicubic(copy, src, *target, dst);
    }
    return ResampleBicubic(*frame, src, *target, dst);
}

Status GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, int x, int y, int width, int height) {
    const PixelBuffer* frame = FrameOf(image);
    if (!frame) return Status::InvalidParameter;
    return GdipDrawImageRectRectI(graphics, image, x, y, width, height, 0, 0, frame->width(), frame->height(),
                                  Unit::Pixel);
}

}  // namespace imaging
