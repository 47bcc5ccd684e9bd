// TIFF directories (and EXIF blocks, which are TIFF structures): the
// summary the decoders read before choosing how to decode.
#include "imaging/decode/tiff_directory.h"
#include "tests/fuzz/fuzz_support.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes = fuzz::Bytes(data, size);
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    const imaging::decode::TiffSummary summary = imaging::decode::ReadTiffSummary(device);
    if (summary.orientation < 1 || summary.orientation > 8) __builtin_trap();
    if (!(summary.xResolution >= 0) || !(summary.yResolution >= 0)) __builtin_trap();
    if (!summary.valid && (summary.hasMake || summary.hasDngVersion)) __builtin_trap();
    return 0;
}
