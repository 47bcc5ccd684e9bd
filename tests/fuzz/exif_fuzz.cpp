// An EXIF block read the way the JPEG decoder reads it: the orientation
// turns a small picture upright (checked pixel by pixel against the
// orientation's mapping) and the resolution becomes DPI (checked to be a
// usable number).
#include "imaging/decode/orientation.h"
#include "imaging/decode/resolution.h"
#include "imaging/decode/tiff_directory.h"
#include "tests/fuzz/fuzz_support.h"

#include <QBuffer>

#include <cmath>
#include <cstring>

namespace {

using imaging::PixelBuffer;
using imaging::PixelLayout;

void CheckDpi(float dpi) {
    if (!std::isfinite(dpi) || dpi <= 0 || dpi > 1e6f) __builtin_trap();
}

// Where the upright pixel (x, y) was stored, as the orientation defines it.
void StoredAt(int orientation, int x, int y, int w, int h, int& column, int& row) {
    switch (orientation) {
        case 2: column = w - 1 - x; row = y; break;
        case 3: column = w - 1 - x; row = h - 1 - y; break;
        case 4: column = x; row = h - 1 - y; break;
        case 5: column = y; row = x; break;
        case 6: column = y; row = h - 1 - x; break;
        case 7: column = w - 1 - y; row = h - 1 - x; break;
        case 8: column = w - 1 - y; row = x; break;
        default: column = x; row = y; break;
    }
}

void CheckOrientation(int orientation, const std::uint8_t* data, std::size_t size) {
    // A picture whose size and layout follow from the input's length, each
    // pixel holding its own stored position.
    const int w = 1 + static_cast<int>(size % 7), h = 1 + static_cast<int>(size / 7 % 5);
    const PixelLayout layout = size & 1 ? PixelLayout::Rgba8 : PixelLayout::Rgb8;
    PixelBuffer pixels;
    if (!pixels.Allocate(w, h, layout)) __builtin_trap();
    const int n = pixels.channels();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = pixels.row(y) + x * n;
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = size ? data[(x + y) % size] : 0;
            if (n == 4) p[3] = static_cast<std::uint8_t>(x ^ y);
        }
    if (!imaging::decode::ApplyOrientation(pixels, orientation)) __builtin_trap();
    const bool swapped = imaging::decode::OrientationSwapsAxes(orientation);
    if (pixels.width() != (swapped ? h : w) || pixels.height() != (swapped ? w : h)) __builtin_trap();
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x) {
            int column = 0, row = 0;
            StoredAt(orientation, x, y, w, h, column, row);
            const std::uint8_t* p = pixels.row(y) + x * n;
            if (p[0] != column || p[1] != row) __builtin_trap();
        }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes = fuzz::Bytes(data, size);
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    const imaging::decode::TiffSummary summary = imaging::decode::ReadTiffSummary(device);
    const int unit = summary.resolutionUnit == 3 ? 2 : 1;
    CheckDpi(imaging::decode::DpiFromDensity(summary.xResolution, unit));
    CheckDpi(imaging::decode::DpiFromDensity(summary.yResolution, summary.resolutionUnit));
    CheckOrientation(summary.orientation, data, size);

    // The same conversions fed straight from the input's bytes, as a JFIF
    // density or a PNG's dots per metre would give them.
    if (size >= 12) {
        double density = 0;
        std::int32_t dotsPerMeter = 0;
        std::memcpy(&density, data, sizeof density);
        std::memcpy(&dotsPerMeter, data + 8, sizeof dotsPerMeter);
        CheckDpi(imaging::decode::TidyDpi(density));
        CheckDpi(imaging::decode::DpiFromDensity(density, data[0] % 4));
        CheckDpi(imaging::decode::DpiFromDotsPerMeter(dotsPerMeter));
        CheckOrientation(static_cast<std::int8_t>(data[11]), data, size);
    }
    return 0;
}
