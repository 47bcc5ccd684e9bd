#pragma once
// Encodes a pixel buffer as a baseline JPEG (4:2:0, JFIF density in dots
// per inch) with libjpeg-turbo into an open stream, with the profile and
// metadata blocks it is given.

#include "imaging/core/picture_source.h"
#include "imaging/core/pixel_buffer.h"
#include "imaging/encode/jpeg_row_writer.h"

#include <cstdio>

namespace imaging {

// The whole dots per inch a JFIF header states for a resolution: 96 for
// one that is not a number or below 1, at most 65535.
int JpegDotsPerInch(float dpi);

// The encoder's settings for a requested quality (held to libjpeg's own
// bounds: below 1 is 1, above 100 is 100) and resolution.
JpegSettings JpegSettingsFor(std::uint32_t quality, float xdpi, float ydpi);

// Straight-alpha pixels are written composited over white. False when the
// encoder reports an error, writing to the stream included. The blocks
// that are not empty are written after the JFIF header: exif as APP1
// "Exif", xmp as APP1 XMP, iccProfile as APP2 ICC_PROFILE chunks, iptc as
// an APP13 Photoshop resource; a block too large for its segment is left
// out (profileApplied is not looked at).
bool WriteJpeg(const PixelBuffer& pixels, const JpegSettings& settings, std::FILE* out,
               const PictureInfo& blocks = PictureInfo{});

}  // namespace imaging
