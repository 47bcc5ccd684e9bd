#include "imaging/decode/tiff/tiff_colour.h"

#include <algorithm>

namespace imaging::decode::tiff {
namespace {

inline std::uint8_t Ink(unsigned colour, unsigned black) {
    return static_cast<std::uint8_t>(((255u - colour) * (255u - black) + 127u) / 255u);
}

inline std::uint8_t Unpremultiply(unsigned c, unsigned a) {
    return a == 0 ? 0 : static_cast<std::uint8_t>(std::min(255u, (c * 255u + a / 2) / a));
}

// Where sample s of pixel x lies: its plane and its index in that row.
struct SampleAt {
    const TiffPage& page;
    const SampleReader& reader;
    const std::uint8_t* const* planes;

    std::uint8_t Byte(int x, int s) const {
        if (page.planar) return reader.Byte(planes[s], static_cast<std::size_t>(x));
        return reader.Byte(planes[0], static_cast<std::size_t>(x) * page.samplesPerPixel + s);
    }
    std::uint32_t Raw(int x) const {
        return reader.Raw(planes[0], static_cast<std::size_t>(x) * (page.planar ? 1 : page.samplesPerPixel));
    }
};

void ColourOf(const SampleAt& at, int x, std::uint8_t* rgb) {
    const TiffPage& page = at.page;
    switch (page.model) {
        case Model::Grey: rgb[0] = rgb[1] = rgb[2] = at.Byte(x, 0); return;
        case Model::GreyInverted: rgb[0] = rgb[1] = rgb[2] = static_cast<std::uint8_t>(255 - at.Byte(x, 0)); return;
        case Model::Palette: {
            const std::size_t entry = std::min<std::size_t>(at.Raw(x), page.palette.size() / 3 - 1);
            std::copy_n(page.palette.data() + entry * 3, 3, rgb);
            return;
        }
        case Model::Rgb:
            for (int c = 0; c < 3; ++c) rgb[c] = at.Byte(x, c);
            return;
        case Model::Cmyk: {
            const unsigned k = at.Byte(x, 3);
            for (int c = 0; c < 3; ++c) rgb[c] = Ink(at.Byte(x, c), k);
            return;
        }
    }
}

}  // namespace

bool RowsArePixels(const TiffPage& page) {
    if (page.model != Model::Rgb || page.bitsPerSample != 8 || page.kind != SampleKind::Unsigned || page.planar)
        return false;
    if (page.alpha == AlphaKind::None) return page.samplesPerPixel == 3;
    return page.alpha == AlphaKind::Straight && page.samplesPerPixel == 4 && page.alphaSample == 3;
}

void ConvertRow(const TiffPage& page, const SampleReader& reader, const std::uint8_t* const* planes,
                std::uint8_t* out) {
    if (RowsArePixels(page)) {
        std::copy_n(planes[0], static_cast<std::size_t>(page.width) * page.samplesPerPixel, out);
        return;
    }
    const SampleAt at{page, reader, planes};
    const int n = BytesPerPixel(page.layout());
    for (int x = 0; x < page.width; ++x, out += n) {
        ColourOf(at, x, out);
        if (n == 3) continue;
        const std::uint8_t a = at.Byte(x, page.alphaSample);
        out[3] = a;
        if (page.alpha == AlphaKind::Premultiplied && a != 255)
            for (int c = 0; c < 3; ++c) out[c] = Unpremultiply(out[c], a);
    }
}

}  // namespace imaging::decode::tiff
