// The GIF block walk and the BMP pixel-data check.
#include "imaging/decode/container_checks.h"
#include "tests/fuzz/fuzz_support.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes = fuzz::Bytes(data, size);
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    const imaging::decode::GifStructure gif = imaging::decode::ReadGifStructure(device);
    if (!gif.valid && gif.completeFrames != 0) __builtin_trap();
    // Each image takes at least its 10-byte descriptor, a code size and a terminator.
    if (gif.completeFrames > static_cast<qint64>(size) / 12) __builtin_trap();
    imaging::decode::BmpPixelDataComplete(device);
    return 0;
}
