// A whole pixel buffer through the row-fed JPEG encoder.
#include "imaging/encode/jpeg_writer.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace imaging {

int JpegDotsPerInch(float dpi) {
    if (!std::isfinite(dpi) || dpi < 1.0f) return 96;
    return static_cast<int>(std::lround(std::min(dpi, 65535.0f)));
}

JpegSettings JpegSettingsFor(std::uint32_t quality, float xdpi, float ydpi) {
    JpegSettings settings;
    settings.quality = static_cast<int>(std::clamp<std::uint32_t>(quality, 1, 100));
    settings.xdpi = JpegDotsPerInch(xdpi);
    settings.ydpi = JpegDotsPerInch(ydpi);
    return settings;
}

namespace {

// A straight-alpha RGBA row composited over white into `width` RGB pixels.
void CompositeRowOverWhite(const std::uint8_t* rgba, int width, std::uint8_t* rgb) {
    for (int x = 0; x < width; ++x) {
        const unsigned a = rgba[4 * x + 3];
        for (int c = 0; c < 3; ++c)
            rgb[3 * x + c] = static_cast<std::uint8_t>((rgba[4 * x + c] * a + 255u * (255u - a) + 127u) / 255u);
    }
}

}  // namespace

bool WriteJpeg(const PixelBuffer& pixels, const JpegSettings& settings, std::FILE* out, const PictureInfo& blocks) {
    if (pixels.empty() || !out) return false;
    JpegRowWriter writer;
    if (!writer.Start(pixels.width(), pixels.height(), settings, out, blocks)) return false;
    const bool alpha = pixels.layout() == PixelLayout::Rgba8;
    std::vector<std::uint8_t> scratch(alpha ? static_cast<std::size_t>(pixels.width()) * 3 : 0);
    for (int y = 0; y < pixels.height(); ++y) {
        const std::uint8_t* row = pixels.row(y);
        if (alpha) {
            CompositeRowOverWhite(row, pixels.width(), scratch.data());
            row = scratch.data();
        }
        if (!writer.Write(&row, 1)) return false;
    }
    return writer.Finish();
}

}  // namespace imaging
