#pragma once
// Conversions from a picture's embedded ICC profile into sRGB, relative
// colorimetric with black-point compensation. One transform is made per
// profile and kept for the life of the program (the same camera's photos
// share it); the verdict "needs no conversion" is kept as well. A profile
// that is broken, of the wrong kind, or sRGB under another name gives no
// transform: the pixels are taken as sRGB, as for a picture without one.
// Transforms are shared between threads, so they keep no per-call state.

#include "imaging/core/pixel_buffer.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace imaging::colour {

// RGB or grey pictures (decoded as Rgb8/Rgba8) to sRGB, in place.
class RgbTransform {
public:
    virtual ~RgbTransform() = default;
    // Converts every pixel of `pixels` (alpha is left as it is), rows
    // spread over the cores.
    virtual void Apply(PixelBuffer& pixels) const = 0;
};

// CMYK rows, as a JPEG decoder produces them, to sRGB.
class CmykTransform {
public:
    virtual ~CmykTransform() = default;
    // `width` pixels of 4 bytes to `width` pixels of 3. `inverted`: the
    // inks are stored inverted (0 = full ink), as Adobe's files have them.
    virtual void Row(const std::uint8_t* cmyk, std::uint8_t* rgb, int width, bool inverted) const = 0;
};

// The transform for pictures tagged with `icc`, or null when they need
// none or the profile cannot be used (then they are taken as sRGB).
std::shared_ptr<const RgbTransform> RgbToSrgb(const std::vector<std::uint8_t>& icc);
// The same for a CMYK profile; null when it cannot be used (the decoder
// then converts without a profile).
std::shared_ptr<const CmykTransform> CmykToSrgb(const std::vector<std::uint8_t>& icc);

}  // namespace imaging::colour
