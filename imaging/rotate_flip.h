#pragma once
// Turning and mirroring a pixel buffer: the eight combinations of a
// rotation by a multiple of 90 degrees clockwise followed by an optional
// horizontal flip. Rotations by 90 and 270 degrees swap width and height.

#include "imaging/gdiplus.h"
#include "imaging/pixel_buffer.h"

namespace imaging {

// Replaces `pixels` by its turned and mirrored self. Fails (leaving the
// buffer as it was) for an unknown type or when memory runs out.
Status RotateFlipBuffer(PixelBuffer& pixels, RotateFlipType type);

}  // namespace imaging
