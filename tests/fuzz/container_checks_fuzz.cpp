// The GIF block walk and the BMP pixel-data check.
#include "imaging/decode/container_checks.h"
#include "tests/fuzz/fuzz_support.h"

#include <QBuffer>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

std::uint32_t Le32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24; }

// An uncompressed BMP said to be complete must hold its rows: checked here
// in long double, which no header's sizes can overflow.
void CheckUncompressedBmp(const std::uint8_t* data, std::size_t size, bool complete) {
    if (!complete || size < 54 || std::memcmp(data, "BM", 2) != 0 || Le32(data + 14) < 40 || Le32(data + 30) != 0) return;
    const long double width = std::llabs(static_cast<std::int32_t>(Le32(data + 18)));
    const long double height = std::llabs(static_cast<std::int32_t>(Le32(data + 22)));
    const long double bits = data[28] | data[29] << 8;
    const long double rowBytes = 4 * std::ceil(width * bits / 32);
    if (Le32(data + 10) + rowBytes * height > size) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes = fuzz::Bytes(data, size);
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    const imaging::decode::GifStructure gif = imaging::decode::ReadGifStructure(device);
    if (!gif.valid && gif.completeFrames != 0) __builtin_trap();
    // Each image takes at least its 10-byte descriptor, a code size and a terminator.
    if (gif.completeFrames > static_cast<qint64>(size) / 12) __builtin_trap();
    CheckUncompressedBmp(data, size, imaging::decode::BmpPixelDataComplete(device));
    return 0;
}
