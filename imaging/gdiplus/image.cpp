// Pictures and bitmaps: loading through the decoder seam, measuring, the
// frame list and frame selection, creating 24-bit bitmaps, resolution, and
// rotating or flipping in place.
#include "imaging/gdiplus/gdiplus_objects.h"
#include "imaging/sandbox/sandboxed_source.h"
#include "imaging/core/parallel.h"
#include "imaging/scale/band_relay.h"
#include "imaging/scale/resample_stream.h"
#include "imaging/rotate/rotate_flip.h"

#include <algorithm>

#include <cmath>
#include <cstring>

namespace imaging {

GpImage::GpImage(std::unique_ptr<ImageData> data) : data_(std::move(data)) {}
GpImage::~GpImage() = default;

std::unique_ptr<GpImage> MakeFailedImage() { return std::make_unique<GpImage>(std::make_unique<ImageData>()); }

namespace {

// The largest bitmap we make: as many pixels as a decoded frame may have.
constexpr std::int64_t kMaxBitmapPixels = DecodeLimits{}.maxPixels;

bool IsValid(const GpImage* image) { return image && image->data().valid; }

// A picture whose frame `frame` of `dimension` was decoded into data.frame
// keeps its source for later frames, with the source's dimensions and
// resolution.
void AdoptSource(ImageData& data, std::unique_ptr<PictureSource> source, const GUID& dimension, std::uint32_t frame) {
    data.dimensions = source->Dimensions();
    data.activeDimension = dimension;
    data.activeIndex = frame;
    data.xdpi = source->HorizontalResolution();
    data.ydpi = source->VerticalResolution();
    // A decoder that applied the profile itself delivers sRGB already.
    const PictureInfo& info = source->Info();
    data.sourceColour = info.profileApplied ? nullptr : colour::RgbToSrgb(info.iccProfile);
    data.coloursPending = data.sourceColour != nullptr;
    data.source = std::move(source);
    data.valid = true;
}

// Decodes a frame into the resampler. When `overlap` (the rows are
// scaled, not merely copied) and there is a second core, the resampler
// works on a relay thread while this one decodes.
Status DecodeInto(PictureSource& source, const GUID& dimension, std::uint32_t frame, int minWidth, int minHeight,
                  StreamingResampler& sink, bool overlap) {
    if (!overlap || WorkerCount() < 2) return source.DecodeFrameRows(dimension, frame, minWidth, minHeight, sink);
    BandRelay relay(sink);
    Status status = source.DecodeFrameRows(dimension, frame, minWidth, minHeight, relay);
    const bool taken = relay.Finish();
    if (status == Status::Ok && !taken) status = Status::Aborted;
    return status;
}

// The frame decoded whole from an open source.
Status DecodeWhole(std::unique_ptr<PictureSource> source, std::uint32_t frame, int minWidth, int minHeight,
                   std::unique_ptr<GpImage>& image) {
    auto data = std::make_unique<ImageData>();
    const FrameDimension first = source->Dimensions().front();
    Status status = (minWidth > 0 && minHeight > 0)
                        ? source->DecodeFrameForSize(first.id, frame, minWidth, minHeight, data->frame)
                        : source->DecodeFrame(first.id, frame, data->frame);
    if (status == Status::Ok && data->frame.empty()) status = Status::GenericError;
    if (status == Status::Ok)
        AdoptSource(*data, std::move(source), first.id, frame);
    else
        data = std::make_unique<ImageData>();
    image = std::make_unique<GpImage>(std::move(data));
    return status;
}

Status Failed(Status status, std::unique_ptr<GpImage>& image) {
    image = MakeFailedImage();
    return status;
}

}  // namespace

// Every picture is decoded in a worker process (sandbox/): a decoder that
// crashes or hangs on a hostile file fails the load, never the program.
Status OpenFrameSource(const QString& path, std::uint32_t frame, std::unique_ptr<PictureSource>& source) {
    Status status = OpenSandboxedPictureSource(path, DecodeLimits{}, source);
    if (status == Status::Ok && (!source || source->Dimensions().empty() ||
                                 source->Dimensions().front().frameCount == 0))
        status = Status::UnknownImageFormat;
    if (status == Status::Ok && frame >= source->Dimensions().front().frameCount) status = Status::InvalidParameter;
    return status;
}

Status LoadImageFrameForSize(const QString& path, std::uint32_t frame, int minWidth, int minHeight,
                             std::unique_ptr<GpImage>& image) {
    std::unique_ptr<PictureSource> source;
    if (const Status status = OpenFrameSource(path, frame, source); status != Status::Ok) return Failed(status, image);
    return DecodeWhole(std::move(source), frame, minWidth, minHeight, image);
}

Status LoadImageFrameScaled(const QString& path, std::uint32_t frame, int minWidth, int minHeight, int outWidth,
                            int outHeight, std::unique_ptr<GpImage>& image) {
    std::unique_ptr<PictureSource> source;
    if (const Status status = OpenFrameSource(path, frame, source); status != Status::Ok) return Failed(status, image);
    return LoadFrameScaledFrom(std::move(source), frame, minWidth, minHeight, outWidth, outHeight, image);
}

Status LoadFrameScaledFrom(std::unique_ptr<PictureSource> source, std::uint32_t frame, int minWidth, int minHeight,
                           int outWidth, int outHeight, std::unique_ptr<GpImage>& image) {
    if (!source) return Failed(Status::InvalidParameter, image);
    const FrameDimension first = source->Dimensions().front();
    int fullWidth = 0, fullHeight = 0;
    if (outWidth <= 0 || outHeight <= 0 || source->FrameSize(first.id, frame, fullWidth, fullHeight) != Status::Ok ||
        outWidth > fullWidth || outHeight > fullHeight)
        return DecodeWhole(std::move(source), frame, minWidth, minHeight, image);
    auto data = std::make_unique<ImageData>();
    StreamingResampler sink(outWidth, outHeight);
    // 0 x 0 decodes in full, as for LoadImageFrameForSize.
    const bool shrinkable = minWidth > 0 && minHeight > 0;
    const bool sameSize = outWidth == fullWidth && outHeight == fullHeight;
    Status status = DecodeInto(*source, first.id, frame, shrinkable ? std::max(minWidth, outWidth) : fullWidth,
                               shrinkable ? std::max(minHeight, outHeight) : fullHeight, sink, !sameSize);
    if (status == Status::Ok) status = sink.Take(data->frame);
    if (status == Status::Ok)
        AdoptSource(*data, std::move(source), first.id, frame);
    else
        data = std::make_unique<ImageData>();
    image = std::make_unique<GpImage>(std::move(data));
    return status;
}

Status GdipLoadImageFromFile(const QString& path, std::unique_ptr<GpImage>& image) {
    const Status status = LoadImageFrameForSize(path, 0, 0, 0, image);
    image->data().convertOnLoad = true;
    ConvertPictureColours(image.get());
    return status;
}

Status LoadImageFirstLook(const QString& path, int minWidth, int minHeight, std::unique_ptr<GpImage>& image,
                          bool& whole) {
    whole = false;
    const Status status = LoadImageFrameForSize(path, 0, std::max(1, minWidth), std::max(1, minHeight), image);
    image->data().convertOnLoad = true;
    ConvertPictureColours(image.get());
    if (status != Status::Ok) return status;
    // Only a size the decoder states can prove the frame whole (a metafile
    // is drawn at any size it is asked for).
    ImageData& data = image->data();
    int width = 0, height = 0;
    whole = data.source->FrameSize(data.activeDimension, data.activeIndex, width, height) == Status::Ok &&
            width == data.frame.width() && height == data.frame.height();
    return status;
}

Status GdipGetImageWidth(const GpImage* image, std::uint32_t* width) {
    if (!width) return Status::InvalidParameter;
    const PixelBuffer* frame = FrameOf(image);
    *width = frame ? static_cast<std::uint32_t>(frame->width()) : 0;
    return frame ? Status::Ok : Status::InvalidParameter;
}

Status GdipGetImageHeight(const GpImage* image, std::uint32_t* height) {
    if (!height) return Status::InvalidParameter;
    const PixelBuffer* frame = FrameOf(image);
    *height = frame ? static_cast<std::uint32_t>(frame->height()) : 0;
    return frame ? Status::Ok : Status::InvalidParameter;
}

Status GdipGetImagePixelFormat(const GpImage* image, PixelFormat* format) {
    if (!format) return Status::InvalidParameter;
    const PixelBuffer* frame = FrameOf(image);
    *format = !frame ? 0 : frame->layout() == PixelLayout::Rgb8 ? PixelFormat24bppRGB : PixelFormat32bppARGB;
    return frame ? Status::Ok : Status::InvalidParameter;
}

Status GdipGetImageHorizontalResolution(const GpImage* image, float* dpi) {
    if (!dpi) return Status::InvalidParameter;
    *dpi = IsValid(image) ? image->data().xdpi : 0.0f;
    return IsValid(image) ? Status::Ok : Status::InvalidParameter;
}

Status GdipGetImageVerticalResolution(const GpImage* image, float* dpi) {
    if (!dpi) return Status::InvalidParameter;
    *dpi = IsValid(image) ? image->data().ydpi : 0.0f;
    return IsValid(image) ? Status::Ok : Status::InvalidParameter;
}

namespace {

// A bitmap has the one page dimension of one frame.
std::vector<FrameDimension> DimensionsOf(const ImageData& data) {
    if (data.isBitmap) return {FrameDimension{FrameDimensionPage, 1}};
    return data.dimensions;
}

}  // namespace

Status GdipImageGetFrameDimensionsCount(const GpImage* image, std::uint32_t* count) {
    if (!count) return Status::InvalidParameter;
    *count = 0;
    if (!IsValid(image)) return Status::InvalidParameter;
    *count = static_cast<std::uint32_t>(DimensionsOf(image->data()).size());
    return Status::Ok;
}

Status GdipImageGetFrameDimensionsList(const GpImage* image, GUID* dimensions, std::uint32_t count) {
    if (!IsValid(image) || !dimensions) return Status::InvalidParameter;
    const std::vector<FrameDimension> list = DimensionsOf(image->data());
    if (count != list.size()) return Status::InvalidParameter;
    for (std::uint32_t i = 0; i < count; ++i) dimensions[i] = list[i].id;
    return Status::Ok;
}

Status GdipImageGetFrameCount(const GpImage* image, const GUID* dimension, std::uint32_t* count) {
    if (!count) return Status::InvalidParameter;
    *count = 0;
    if (!IsValid(image) || !dimension) return Status::InvalidParameter;
    for (const FrameDimension& d : DimensionsOf(image->data())) {
        if (d.id == *dimension) {
            *count = d.frameCount;
            return Status::Ok;
        }
    }
    return Status::InvalidParameter;
}

Status GdipImageSelectActiveFrame(GpImage* image, const GUID* dimension, std::uint32_t index) {
    if (!IsValid(image) || !dimension) return Status::InvalidParameter;
    ImageData& data = image->data();
    std::uint32_t frames = 0;
    if (GdipImageGetFrameCount(image, dimension, &frames) != Status::Ok || index >= frames)
        return Status::InvalidParameter;
    if (data.isBitmap) return Status::Ok;  // its only frame
    if (*dimension == data.activeDimension && index == data.activeIndex) return Status::Ok;
    // The frame is decoded beside the current one, which stays active when
    // the new one cannot be decoded.
    PixelBuffer decoded;
    const Status status = data.source->DecodeFrame(*dimension, index, decoded);
    if (status != Status::Ok) return status;
    if (decoded.empty()) return Status::GenericError;
    data.frame = std::move(decoded);
    data.activeDimension = *dimension;
    data.activeIndex = index;
    data.coloursPending = data.sourceColour != nullptr;
    if (data.convertOnLoad) ConvertPictureColours(image);
    return Status::Ok;
}

Status GdipCreateBitmapFromScan0(int width, int height, int stride, PixelFormat format, std::uint8_t* scan0,
                                 std::unique_ptr<GpBitmap>& bitmap) {
    auto data = std::make_unique<ImageData>();
    data->isBitmap = true;
    Status status = Status::Ok;
    if (format != PixelFormat24bppRGB || width <= 0 || height <= 0 || stride < 0 ||
        (scan0 && stride < width * 3))
        status = Status::InvalidParameter;
    else if (std::int64_t{width} * height > kMaxBitmapPixels)
        status = Status::OutOfMemory;
    else if (!data->frame.Allocate(width, height, PixelLayout::Rgb8))
        status = Status::OutOfMemory;
    if (status == Status::Ok) {
        if (scan0) {
            // Caller's rows are copied in; the bitmap owns its pixels.
            const std::size_t row = static_cast<std::size_t>(width) * 3;
            for (int y = 0; y < height; ++y)
                std::memcpy(data->frame.row(y), scan0 + static_cast<std::size_t>(stride) * y, row);
        } else {
            // White, so that pictures with transparency drawn into it come
            // out over white.
            std::memset(data->frame.data(), 0xFF, data->frame.byteSize());
        }
        data->xdpi = data->ydpi = 96.0f;
        data->valid = true;
    } else {
        data = std::make_unique<ImageData>();
        data->isBitmap = true;
    }
    bitmap = std::make_unique<GpBitmap>(std::move(data));
    return status;
}

Status GdipBitmapSetResolution(GpBitmap* bitmap, float xdpi, float ydpi) {
    if (!IsValid(bitmap)) return Status::InvalidParameter;
    if (!(xdpi > 0.0f) || !(ydpi > 0.0f) || !std::isfinite(xdpi) || !std::isfinite(ydpi))
        return Status::InvalidParameter;
    bitmap->data().xdpi = xdpi;
    bitmap->data().ydpi = ydpi;
    return Status::Ok;
}

Status GdipImageRotateFlip(GpImage* image, RotateFlipType type) {
    PixelBuffer* frame = FrameOf(image);
    if (!frame) return Status::InvalidParameter;
    const Status status = RotateFlipBuffer(*frame, type);
    const int t = static_cast<int>(type);
    if (status == Status::Ok && (t % 2) == 1) std::swap(image->data().xdpi, image->data().ydpi);
    return status;
}

}  // namespace imaging
