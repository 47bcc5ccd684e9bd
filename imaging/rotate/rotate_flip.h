#pragma once
// Turning and mirroring a pixel buffer: the eight combinations of a
// rotation by a multiple of 90 degrees clockwise followed by an optional
// horizontal flip. Rotations by 90 and 270 degrees swap width and height.

#include "imaging/core/pixel_buffer.h"
#include "imaging/core/status.h"

namespace imaging {

// A rotation by a multiple of 90 degrees clockwise, then an optional flip.
enum class RotateFlipType : int {
    RotateNoneFlipNone = 0,
    Rotate90FlipNone = 1,
    Rotate180FlipNone = 2,
    Rotate270FlipNone = 3,
    RotateNoneFlipX = 4,
    Rotate90FlipX = 5,
    Rotate180FlipX = 6,
    Rotate270FlipX = 7,
    RotateNoneFlipY = Rotate180FlipX,
    Rotate90FlipY = Rotate270FlipX,
    Rotate180FlipY = RotateNoneFlipX,
    Rotate270FlipY = Rotate90FlipX,
};

// Replaces `pixels` by its turned and mirrored self. Fails (leaving the
// buffer as it was) for an unknown type or when memory runs out.
Status RotateFlipBuffer(PixelBuffer& pixels, RotateFlipType type);

}  // namespace imaging
