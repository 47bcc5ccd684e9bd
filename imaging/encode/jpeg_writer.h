#pragma once
// Encodes a pixel buffer as a baseline JPEG (4:2:0, JFIF density in dots
// per inch) with libjpeg-turbo into an open stream.

#include "imaging/core/pixel_buffer.h"

#include <cstdio>

namespace imaging {

struct JpegSettings {
    int quality = 75;  // 1 to 100, as libjpeg takes it
    int xdpi = 96;
    int ydpi = 96;
};

// Straight-alpha pixels are written composited over white. False when the
// encoder reports an error, writing to the stream included.
bool WriteJpeg(const PixelBuffer& pixels, const JpegSettings& settings, std::FILE* out);

}  // namespace imaging
