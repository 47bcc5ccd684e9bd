#pragma once
// A conversion with no text and no turn (other than a left-to-right
// mirror), run without ever holding the frame or the output: its rows go
// from the decoder through the bicubic resampler (when the size changes)
// straight into the JPEG encoder as they are decoded, while the decoder
// works on in its own process. The file is the one ConvertPicture writes
// for the same input, byte for byte: the same pixels, colours, resolution,
// profile and metadata, written beside the target and moved over it only
// when whole.

#include "imaging/conversion/conversion.h"
#include "imaging/core/picture_source.h"

namespace imaging {

// `in` (whose picture is not looked at) asks for nothing a stream cannot
// do for a frame of frameWidth x frameHeight: there is no text, and no
// rotation or flip other than a mirror left to right.
bool CanStreamConversion(const ConversionInput& in, int frameWidth, int frameHeight);

// Whether a conversion that CanStreamConversion allows, of a frame of
// frameWidth x frameHeight of `source`, also gives the whole-frame
// conversion's colours: they are turned into sRGB after scaling, which the
// whole-frame conversion does too unless the output has more pixels than
// the frame.
bool StreamKeepsColours(const PictureSource& source, const ConversionInput& in, int frameWidth, int frameHeight);

struct StreamedConversion {
    // Saved, or SaveFailed when the file could not be written; meaningful
    // only when `read` is Ok and the size held.
    ConversionResult result;
    // Why the frame could not be decoded; nothing was written then.
    Status read = Status::Ok;
    // The decoder delivered another size than it stated before, for a
    // conversion that keeps the size: nothing was written, and the frame
    // wants the whole-frame conversion.
    bool sizeDiffered = false;
};

// Converts frame `frame` of `source`'s first dimension, of
// frameWidth x frameHeight, as `in` asks (CanStreamConversion holds).
// A frame that changes size is decoded at no less than minWidth x
// minHeight (a JPEG may be reduced by DCT scaling on the way in), or in
// full when those are 0; one that keeps its size is always decoded in full.
// `onNotice` hears go-on failures as ConvertPicture's does.
StreamedConversion ConvertFrameStreamed(PictureSource& source, std::uint32_t frame, int frameWidth,
                                        int frameHeight, const ConversionInput& in, int minWidth = 0,
                                        int minHeight = 0,
                                        const std::function<void(ConversionNotice)>& onNotice = {});

}  // namespace imaging
