#pragma once
// What the imaging service's objects hold. A picture keeps its source (the
// decoder, for frame selection), the dimension list, and its active frame
// decoded into a pixel buffer; a bitmap is a picture without a source whose
// buffer is 24-bit RGB. A surface draws either into a picture's buffer or
// through a window's painter. An object whose creation failed is marked
// invalid, and every operation on it fails.

#include "imaging/colour/colour_transform.h"
#include "imaging/gdiplus/gdiplus.h"
#include "imaging/core/picture_source.h"
#include "imaging/core/pixel_buffer.h"
#include "imaging/core/qimage_view.h"
#include "imaging/scale/resample.h"

#include <QFont>
#include <QImage>

#include <memory>
#include <vector>

class QPainter;

namespace imaging {

struct ImageData {
    bool valid = false;
    bool isBitmap = false;
    std::unique_ptr<PictureSource> source;  // null for bitmaps
    std::vector<FrameDimension> dimensions;
    GUID activeDimension{};
    std::uint32_t activeIndex = 0;
    PixelBuffer frame;  // the active frame; Rgb8 for bitmaps
    float xdpi = 0;
    float ydpi = 0;
    // Turns frames of this picture into sRGB; null for sRGB pictures.
    std::shared_ptr<const colour::RgbTransform> sourceColour;
    bool coloursPending = false;  // the active frame is in the source's colours
    bool convertOnLoad = false;   // every frame is converted as it is decoded
};

struct GraphicsData;
// Draws `src` of a frame onto `dst` of a surface's painter.
using PainterDrawing = Status (*)(GraphicsData& g, const PixelBuffer& frame, const IntRect& dst, const IntRect& src);

struct GraphicsData {
    bool valid = false;
    GpImage* target = nullptr;    // drawing into a picture's buffer, or
    QPainter* painter = nullptr;  // drawing through a window's painter,
    // with the function the surface was made with, so that only a program
    // with a window links the painter's side of Qt
    PainterDrawing drawOnPainter = nullptr;
    InterpolationMode mode = InterpolationMode::Bilinear;
};

struct FontData {
    bool valid = false;
    QFont font;
};

// An object that failed to be made; its operations fail.
std::unique_ptr<GpImage> MakeFailedImage();

// The usable buffer of a picture, or null for a failed or empty one.
inline const PixelBuffer* FrameOf(const GpImage* image) {
    if (!image || !image->data().valid || image->data().frame.empty()) return nullptr;
    return &image->data().frame;
}
inline PixelBuffer* FrameOf(GpImage* image) {
    if (!image || !image->data().valid || image->data().frame.empty()) return nullptr;
    return &image->data().frame;
}

}  // namespace imaging
