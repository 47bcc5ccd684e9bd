#pragma once
// Small pictures the engine tests make for themselves.

#include "imaging/gdiplus/gdiplus.h"
#include "imaging/gdiplus/gdiplus_objects.h"

#include <functional>
#include <memory>

namespace engine_test {

// A bitmap whose pixel (x, y) is colour(x, y) as 0xRRGGBB.
inline std::unique_ptr<imaging::GpBitmap> MakeBitmap(int w, int h, const std::function<std::uint32_t(int, int)>& colour) {
    std::unique_ptr<imaging::GpBitmap> bitmap;
    imaging::GdipCreateBitmapFromScan0(w, h, 0, imaging::PixelFormat24bppRGB, nullptr, bitmap);
    imaging::PixelBuffer& p = bitmap->data().frame;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = colour(x, y);
            p.row(y)[3 * x] = static_cast<std::uint8_t>(c >> 16);
            p.row(y)[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
            p.row(y)[3 * x + 2] = static_cast<std::uint8_t>(c);
        }
    }
    return bitmap;
}

inline std::uint32_t PixelAt(const imaging::PixelBuffer& p, int x, int y) {
    const std::uint8_t* q = p.row(y) + static_cast<std::size_t>(x) * p.channels();
    return (std::uint32_t{q[0]} << 16) | (std::uint32_t{q[1]} << 8) | q[2];
}

}  // namespace engine_test
