// Packed device-independent bitmaps, as WMF records and pattern brushes
// hold them. A BMP file's 14-byte file header is skipped, so BMP files
// serve as inputs too. The way the colour table is read comes from the
// input's length, so any file exercises each way.
#include "imaging/metafile/dib.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::EnsureGuiApplication();  // embedded PNG and JPEG go through Qt's readers
    std::size_t skip = 0;
    if (size >= 14 && std::memcmp(data, "BM", 2) == 0) skip = 14;
    const std::vector<std::uint8_t> packed(data + skip, data + size);
    const std::vector<QRgb> palette{0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    imaging::metafile::DibRequest request;
    request.paletteIndices = size & 1;
    request.palette = size & 2 ? &palette : nullptr;
    request.keepAlpha = size & 4;
    request.maxPixels = 1 << 20;
    const imaging::metafile::ByteReader reader(packed.data(), packed.size());
    const std::optional<imaging::metafile::Dib> dib = imaging::metafile::DecodePackedDib(reader, request);
    if (dib && static_cast<std::int64_t>(dib->image.width()) * dib->image.height() > request.maxPixels) __builtin_trap();
    return 0;
}
