#pragma once
// Bringing any QImage a Qt reader produced to 8 bits per channel: Rgb8 when
// the picture has no alpha channel, Rgba8 (straight alpha) when it has.
// 16-bit and floating-point pictures are scaled, not truncated, so they
// keep their brightness; premultiplied pictures are un-premultiplied.

#include "imaging/core/status.h"
#include "imaging/core/picture_source.h"
#include "imaging/core/pixel_buffer.h"

#include <QImage>

namespace imaging::decode {

Status QImageToPixels(const QImage& image, const DecodeLimits& limits, PixelBuffer& out);

}  // namespace imaging::decode
