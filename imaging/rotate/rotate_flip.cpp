// Rotation and flipping. Types that keep the orientation of rows (flips and
// 180 degrees) work in place, row by row. Types that turn rows into columns
// write a new buffer in 32 x 32 tiles, so both the rows read and the rows
// written stay in cache; the pixel size is a template parameter, so the
// inner loops copy fixed-size pixels without any per-pixel dispatch.
#include "imaging/rotate/rotate_flip.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace imaging {

namespace {

template <int N>
void ReverseRow(std::uint8_t* row, int width) {
    std::uint8_t* left = row;
    std::uint8_t* right = row + static_cast<std::size_t>(width - 1) * N;
    std::uint8_t tmp[N];
    while (left < right) {
        std::memcpy(tmp, left, N);
        std::memcpy(left, right, N);
        std::memcpy(right, tmp, N);
        left += N;
        right -= N;
    }
}

template <int N>
void FlipInPlace(PixelBuffer& p, bool mirrorRows, bool reverseRowOrder) {
    const int w = p.width();
    const int h = p.height();
    const std::size_t bytes = static_cast<std::size_t>(w) * N;
    if (reverseRowOrder) {
        std::vector<std::uint8_t> tmp(bytes);
        for (int top = 0, bottom = h - 1; top < bottom; ++top, --bottom) {
            std::memcpy(tmp.data(), p.row(top), bytes);
            std::memcpy(p.row(top), p.row(bottom), bytes);
            std::memcpy(p.row(bottom), tmp.data(), bytes);
        }
    }
    if (mirrorRows) {
        for (int y = 0; y < h; ++y) ReverseRow<N>(p.row(y), w);
    }
}

// out(x', y') = in(sx, sy) with sx = y' or W-1-y' and sy = x' or H-1-x':
// a transpose, optionally mirrored on either axis.
template <int N, bool ReverseX, bool ReverseY>
void TransposeTiled(const PixelBuffer& in, PixelBuffer& out) {
    constexpr int kTile = 32;
    const int w = in.width();   // = out.height()
    const int h = in.height();  // = out.width()
    for (int ty = 0; ty < w; ty += kTile) {
        const int tyEnd = std::min(w, ty + kTile);
        for (int tx = 0; tx < h; tx += kTile) {
            const int txEnd = std::min(h, tx + kTile);
            for (int y = ty; y < tyEnd; ++y) {
                const int sx = ReverseX ? w - 1 - y : y;
                std::uint8_t* dst = out.row(y) + static_cast<std::size_t>(tx) * N;
                const std::uint8_t* column = in.data() + static_cast<std::size_t>(sx) * N;
                for (int x = tx; x < txEnd; ++x) {
                    const int sy = ReverseY ? h - 1 - x : x;
                    std::memcpy(dst, column + in.stride() * static_cast<std::size_t>(sy), N);
                    dst += N;
                }
            }
        }
    }
}

template <int N>
Status Transpose(PixelBuffer& pixels, bool reverseX, bool reverseY) {
    PixelBuffer out;
    if (!out.Allocate(pixels.height(), pixels.width(), pixels.layout())) return Status::OutOfMemory;
    if (reverseX) {
        if (reverseY) TransposeTiled<N, true, true>(pixels, out);
        else TransposeTiled<N, true, false>(pixels, out);
    } else {
        if (reverseY) TransposeTiled<N, false, true>(pixels, out);
        else TransposeTiled<N, false, false>(pixels, out);
    }
    pixels = std::move(out);
    return Status::Ok;
}

template <int N>
Status Apply(PixelBuffer& p, RotateFlipType type) {
    switch (type) {
    case RotateFlipType::RotateNoneFlipNone: return Status::Ok;
    case RotateFlipType::RotateNoneFlipX: FlipInPlace<N>(p, true, false); return Status::Ok;
    case RotateFlipType::Rotate180FlipNone: FlipInPlace<N>(p, true, true); return Status::Ok;
    case RotateFlipType::Rotate180FlipX: FlipInPlace<N>(p, false, true); return Status::Ok;
    // Clockwise by 90: out(x', y') = in(y', H-1-x').
    case RotateFlipType::Rotate90FlipNone: return Transpose<N>(p, false, true);
    // By 270: out(x', y') = in(W-1-y', x').
    case RotateFlipType::Rotate270FlipNone: return Transpose<N>(p, true, false);
    // By 90, then mirrored: a plain transpose.
    case RotateFlipType::Rotate90FlipX: return Transpose<N>(p, false, false);
    // By 270, then mirrored: the transpose about the other diagonal.
    case RotateFlipType::Rotate270FlipX: return Transpose<N>(p, true, true);
    }
    return Status::InvalidParameter;
}

}  // namespace

Status RotateFlipBuffer(PixelBuffer& pixels, RotateFlipType type) {
    if (pixels.empty()) return Status::InvalidParameter;
    return pixels.layout() == PixelLayout::Rgb8 ? Apply<3>(pixels, type) : Apply<4>(pixels, type);
}

}  // namespace imaging
