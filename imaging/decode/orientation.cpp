// The eight EXIF orientations. For an upright pixel (x, y) the stored
// picture (W x H) is read at:
//   1 (x, y)          2 (W-1-x, y)        3 (W-1-x, H-1-y)    4 (x, H-1-y)
//   5 (y, x)          6 (y, H-1-x)        7 (W-1-y, H-1-x)    8 (W-1-y, x)
// written as (column, row) of the stored picture. Quarter turns walk the
// output in square tiles so both pictures stay in cache.
#include "imaging/decode/orientation.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace imaging::decode {
namespace {

template <int N>
void MirrorRowsInPlace(PixelBuffer& p) {
    for (int y = 0; y < p.height(); ++y) {
        std::uint8_t* row = p.row(y);
        for (int l = 0, r = p.width() - 1; l < r; ++l, --r)
            for (int c = 0; c < N; ++c) std::swap(row[l * N + c], row[r * N + c]);
    }
}

void FlipColumnInPlace(PixelBuffer& p) {
    const std::size_t bytes = static_cast<std::size_t>(p.width()) * p.channels();
    for (int t = 0, b = p.height() - 1; t < b; ++t, --b) std::swap_ranges(p.row(t), p.row(t) + bytes, p.row(b));
}

template <int N>
void QuarterTurn(const PixelBuffer& in, PixelBuffer& out, int orientation) {
    const int W = in.width(), H = in.height();
    constexpr int kTile = 64;
    // The stored column and row depend on (x, y) of the output like this:
    const bool columnFromEnd = orientation == 7 || orientation == 8;  // column = W-1-y, else y
    const bool rowFromEnd = orientation == 6 || orientation == 7;     // row = H-1-x, else x
    for (int ty = 0; ty < out.height(); ty += kTile) {
        for (int tx = 0; tx < out.width(); tx += kTile) {
            const int yEnd = std::min(ty + kTile, out.height()), xEnd = std::min(tx + kTile, out.width());
            for (int y = ty; y < yEnd; ++y) {
                const int column = columnFromEnd ? W - 1 - y : y;
                std::uint8_t* dst = out.row(y);
                for (int x = tx; x < xEnd; ++x) {
                    const int row = rowFromEnd ? H - 1 - x : x;
                    std::memcpy(dst + x * N, in.row(row) + column * N, N);
                }
            }
        }
    }
}

}  // namespace

bool ApplyOrientation(PixelBuffer& pixels, int orientation) {
    if (pixels.empty() || orientation <= 1 || orientation > 8) return true;
    const bool rgb = pixels.layout() == PixelLayout::Rgb8;
    switch (orientation) {
        case 2: rgb ? MirrorRowsInPlace<3>(pixels) : MirrorRowsInPlace<4>(pixels); return true;
        case 3:
            rgb ? MirrorRowsInPlace<3>(pixels) : MirrorRowsInPlace<4>(pixels);
            FlipColumnInPlace(pixels);
            return true;
        case 4: FlipColumnInPlace(pixels); return true;
        default: break;
    }
    PixelBuffer turned;
    if (!turned.Allocate(pixels.height(), pixels.width(), pixels.layout())) return false;
    rgb ? QuarterTurn<3>(pixels, turned, orientation) : QuarterTurn<4>(pixels, turned, orientation);
    pixels = std::move(turned);
    return true;
}

}  // namespace imaging::decode
