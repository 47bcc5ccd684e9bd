#pragma once
// A decoded libheif image (interleaved RGB or RGBA, 8 bits or more per
// sample) brought to our 8-bit pixel buffer.

#include "imaging/core/pixel_buffer.h"
#include "imaging/core/status.h"

#include <libheif/heif.h>

namespace imaging::decode::heif {

// The chroma to ask libheif for: 8-bit interleaved when the image has 8-bit
// samples, 16-bit little-endian interleaved when it has more, so that the
// reduction to 8 bits rounds here (libheif's own shifts the low bits away).
heif_chroma InterleavedChroma(bool alpha, int bitsPerSample);

// Copies `image` into `out` as Rgb8 or Rgba8 (straight alpha; a
// premultiplied image is divided back). Samples of more than 8 bits are
// rounded to the nearest 8-bit value.
Status ImageToPixels(heif_image* image, bool alpha, PixelBuffer& out);

// The image's interleaved rows when they are already what ImageToPixels
// would make (8-bit samples, straight alpha), so they can be sent on
// without a copy; null otherwise.
const std::uint8_t* PlainRows(heif_image* image, bool alpha, int& stride);

}  // namespace imaging::decode::heif
