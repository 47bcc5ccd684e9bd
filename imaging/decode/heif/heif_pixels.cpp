#include "imaging/decode/heif/heif_pixels.h"

#include <algorithm>
#include <cstring>

namespace imaging::decode::heif {
namespace {

// `max` is the largest sample value (1023 for 10 bits, 4095 for 12).
inline std::uint8_t RoundTo8(unsigned v, unsigned max) {
    return static_cast<std::uint8_t>((std::min(v, max) * 255u + max / 2) / max);
}

inline std::uint8_t Unpremultiply(unsigned c, unsigned a) {
    return a == 0 ? 0 : static_cast<std::uint8_t>(std::min(255u, (c * 255u + a / 2) / a));
}

void WideRow(const std::uint8_t* src, std::uint8_t* dst, int width, int channels, unsigned max) {
    const int samples = width * channels;
    for (int i = 0; i < samples; ++i) {
        const unsigned v = src[2 * i] | (static_cast<unsigned>(src[2 * i + 1]) << 8);  // little-endian
        dst[i] = RoundTo8(v, max);
    }
}

void UnpremultiplyRow(std::uint8_t* row, int width) {
    for (int x = 0; x < width; ++x, row += 4)
        for (int c = 0; c < 3; ++c) row[c] = Unpremultiply(row[c], row[3]);
}

}  // namespace

heif_chroma InterleavedChroma(bool alpha, int bitsPerSample) {
    if (bitsPerSample > 8) return alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE;
    return alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB;
}

Status ImageToPixels(heif_image* image, bool alpha, PixelBuffer& out) {
    out.Reset();
    const int width = heif_image_get_width(image, heif_channel_interleaved);
    const int height = heif_image_get_height(image, heif_channel_interleaved);
    const int bits = heif_image_get_bits_per_pixel_range(image, heif_channel_interleaved);
    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
    if (!plane || width <= 0 || height <= 0 || bits < 8 || bits > 16 || stride <= 0) return Status::GenericError;
    const PixelLayout layout = alpha ? PixelLayout::Rgba8 : PixelLayout::Rgb8;
    const int channels = BytesPerPixel(layout);
    const int bytesPerSample = bits > 8 ? 2 : 1;
    if (static_cast<std::int64_t>(stride) < static_cast<std::int64_t>(width) * channels * bytesPerSample)
        return Status::GenericError;
    if (!out.Allocate(width, height, layout)) return Status::OutOfMemory;

    const unsigned max = (1u << bits) - 1;
    const bool premultiplied = alpha && heif_image_is_premultiplied_alpha(image);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = plane + static_cast<std::size_t>(stride) * static_cast<std::size_t>(y);
        std::uint8_t* dst = out.row(y);
        if (bytesPerSample == 2) WideRow(src, dst, width, channels, max);
        else std::memcpy(dst, src, static_cast<std::size_t>(width) * static_cast<std::size_t>(channels));
        if (premultiplied) UnpremultiplyRow(dst, width);
    }
    return Status::Ok;
}

const std::uint8_t* PlainRows(heif_image* image, bool alpha, int& stride) {
    stride = 0;
    const int width = heif_image_get_width(image, heif_channel_interleaved);
    const int height = heif_image_get_height(image, heif_channel_interleaved);
    const heif_chroma chroma = alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB;
    if (width <= 0 || height <= 0 || heif_image_get_chroma_format(image) != chroma ||
        heif_image_get_bits_per_pixel_range(image, heif_channel_interleaved) != 8 ||
        (alpha && heif_image_is_premultiplied_alpha(image)))
        return nullptr;
    const std::uint8_t* plane = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
    const int channels = BytesPerPixel(alpha ? PixelLayout::Rgba8 : PixelLayout::Rgb8);
    if (!plane || static_cast<std::int64_t>(stride) < static_cast<std::int64_t>(width) * channels) return nullptr;
    return plane;
}

}  // namespace imaging::decode::heif
