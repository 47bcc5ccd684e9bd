#pragma once
// The narrow interface behind which every decoder sits: a path goes in; out
// come the picture's frame dimensions, its resolution, and frames as plain
// pixel buffers decoded on demand. A source holds no state shared with
// anything else, so decoding could move into a separate worker process.

#include "imaging/core/guid.h"
#include "imaging/core/status.h"
#include "imaging/core/pixel_buffer.h"

#include <QString>

#include <cstdint>

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

// Receives a decoded frame band by band, top to bottom, so that a caller
// can scale rows while the rest of the frame is still being decoded and
// never hold the whole frame.
class RowSink {
public:
    virtual ~RowSink() = default;
    // Once, before the first band: the size and layout of what follows.
    // False stops the decode (Aborted).
    virtual bool Begin(int width, int height, PixelLayout layout) = 0;
    // Rows [y, y + count), `stride` bytes apart; valid only during the call.
    // False stops the decode (Aborted).
    virtual bool Rows(int y, int count, const std::uint8_t* data, std::size_t stride) = 0;
    // Room in the sink's own memory for up to maxRows rows from row y on,
    // `stride` bytes apart; `rows` says how many fit. A decoder may write
    // them there and pass that same pointer to Rows, which then copies
    // nothing. Null when the sink offers none (the default).
    virtual std::uint8_t* RowSpace(int y, int maxRows, int& rows, std::size_t& stride) {
        (void)y, (void)maxRows, (void)rows, (void)stride;
        return nullptr;
    }
};

// What a file says about its pictures beyond their pixels, as the file
// holds it: the colour profile its frames are in, and the descriptive
// metadata blocks. Every block may be empty (none, or not read by this
// decoder); an empty profile means the frames are taken as sRGB.
struct PictureInfo {
    // The embedded ICC profile, whole (a JPEG's APP2 chain reassembled).
    std::vector<std::uint8_t> iccProfile;
    // The decoder already used the profile to turn the pixels into sRGB
    // (CMYK JPEGs): the frames need no further conversion.
    bool profileApplied = false;
    // The EXIF block as a TIFF structure (what follows "Exif\0\0" in a
    // JPEG's APP1).
    std::vector<std::uint8_t> exif;
    // The XMP packet, UTF-8 XML.
    std::vector<std::uint8_t> xmp;
    // IPTC-IIM datasets (in a JPEG, resource 0x0404 of the Photoshop APP13).
    std::vector<std::uint8_t> iptc;
};

class PictureSource {
public:
    virtual ~PictureSource() = default;

    // The file's profile and metadata; the profile is the one its frames
    // share (the first frame's, where a format could give each its own).
    // Decoders that read none leave it empty.
    virtual const PictureInfo& Info() const {
        static const PictureInfo kNone;
        return kNone;
    }

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
    // Rgba8. A damaged frame is an error, never a silently filled picture;
    // on any failure `out` is left empty.
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
    // DecodeFrameForSize delivered to a sink. Decoders that decode in rows
    // (JPEG without a quarter turn) stream bands as they come; the others
    // decode the frame and hand it over as one band. A damaged file can
    // fail after some bands were delivered: the caller discards them.
    virtual Status DecodeFrameRows(const GUID& dimension, std::uint32_t index, int minWidth, int minHeight,
                                   RowSink& sink) {
        PixelBuffer frame;
        if (Status s = DecodeFrameForSize(dimension, index, minWidth, minHeight, frame); s != Status::Ok) return s;
        if (!sink.Begin(frame.width(), frame.height(), frame.layout()) ||
            !sink.Rows(0, frame.height(), frame.data(), frame.stride()))
            return Status::Aborted;
        return Status::Ok;
    }
};

}  // namespace imaging
