#pragma once
// A conversion that keeps the picture's size, with no text and no turn
// (other than a left-to-right mirror), run without ever holding the frame: its rows go from the decoder
// straight into the JPEG encoder as they are decoded (the decoder works in
// its own process meanwhile). The file is the one ConvertPicture writes for
// the same input, byte for byte: the same colours, resolution, profile and
// metadata, written beside the target and moved over it only when whole.

#include "imaging/conversion/conversion.h"
#include "imaging/core/picture_source.h"

namespace imaging {

// `in` (whose picture is not looked at) asks for nothing a stream cannot
// do for a frame of frameWidth x frameHeight: the output has the frame's
// size, there is no text, and no rotation or flip other than a mirror left
// to right.
bool CanStreamConversion(const ConversionInput& in, int frameWidth, int frameHeight);

struct StreamedConversion {
    // Saved, or SaveFailed when the file could not be written; meaningful
    // only when `read` is Ok and the size held.
    ConversionResult result;
    // Why the frame could not be decoded; nothing was written then.
    Status read = Status::Ok;
    // The decoder delivered another size than it stated before: nothing
    // was written, and the frame wants the whole-frame conversion.
    bool sizeDiffered = false;
};

// Converts frame `frame` of `source`'s first dimension, of
// frameWidth x frameHeight, as `in` asks (CanStreamConversion holds).
// `onNotice` hears go-on failures as ConvertPicture's does.
StreamedConversion ConvertFrameStreamed(PictureSource& source, std::uint32_t frame, int frameWidth,
                                        int frameHeight, const ConversionInput& in,
                                        const std::function<void(ConversionNotice)>& onNotice = {});

}  // namespace imaging
