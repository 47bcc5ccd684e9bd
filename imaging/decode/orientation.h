#pragma once
// Turning a decoded frame upright by its EXIF orientation (1..8), so that
// a photo is measured and converted the way every viewer shows it.

#include "imaging/core/pixel_buffer.h"

namespace imaging::decode {

// Orientations 5 to 8 swap width and height.
constexpr bool OrientationSwapsAxes(int orientation) { return orientation >= 5 && orientation <= 8; }

// Replaces `pixels` by its upright form. Mirrors and the half turn happen in
// place; quarter turns need a second buffer. False when that cannot be
// allocated (the buffer is then left as it was).
bool ApplyOrientation(PixelBuffer& pixels, int orientation);

}  // namespace imaging::decode
