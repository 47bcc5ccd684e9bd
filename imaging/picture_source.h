#pragma once
// The narrow interface behind which every decoder sits: a path goes in; out
// come the picture's frame dimensions, its resolution, and frames as plain
// pixel buffers decoded on demand. A source holds no state shared with
// anything else, so decoding could move into a separate worker process.

#include "imaging/gdiplus.h"
#include "imaging/pixel_buffer.h"

#include <QString>

#include <memory>
#include <vector>

namespace imaging {

struct FrameDimension {
    GUID id;
    std::uint32_t frameCount;
};

// Limits that every decoder checks before a large allocation, so that a few
// hundred bytes claiming a gigantic picture are refused cheaply.
struct DecodeLimits {
    std::int64_t maxPixels = 250'000'000;         // above 200 MP photos
    std::int64_t maxBytes = 1'500'000'000;        // for one decoded frame
    int maxSide = 65'535;
};

class PictureSource {
public:
    virtual ~PictureSource() = default;

    // At least one dimension with at least one frame.
    virtual const std::vector<FrameDimension>& Dimensions() const = 0;
    // Dots per inch; 96 where the file states none.
    virtual float HorizontalResolution() const = 0;
    virtual float VerticalResolution() const = 0;
    // The size DecodeFrame will deliver for this frame (upright), where the
    // decoder can tell without decoding it (JPEG and RAW headers, the size
    // Qt's readers state). NotImplemented where it cannot.
    virtual Status FrameSize(const GUID& dimension, std::uint32_t index, int& width, int& height) {
        (void)dimension;
        (void)index;
        width = height = 0;
        return Status::NotImplemented;
    }
    // Decodes one frame (upright, as viewers show it) into `out`, as Rgb8 or
    // Rgba8. A damaged frame is an error, never a silently filled picture.
    virtual Status DecodeFrame(const GUID& dimension, std::uint32_t index, PixelBuffer& out) = 0;
    // The same frame for a caller that will shrink it to at least
    // minWidth x minHeight: a decoder that can decode smaller for free
    // (JPEG's DCT scaling) may return any size down to that; others decode
    // in full.
    virtual Status DecodeFrameForSize(const GUID& dimension, std::uint32_t index, int minWidth, int minHeight,
                                      PixelBuffer& out) {
        (void)minWidth;
        (void)minHeight;
        return DecodeFrame(dimension, index, out);
    }
};

// Picks the decoder by the file's content (never by its name) and opens it.
Status OpenPictureSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source);

}  // namespace imaging
