// The APPn segments of a JPEG: the input is walked as a JPEG stream up to
// its first scan, each APPn and comment segment is saved the way libjpeg
// saves markers (each in a buffer of its own exact size), and the list is
// read for the profile, EXIF, XMP and IPTC blocks.
#include "imaging/decode/jpeg_markers.h"
#include "tests/fuzz/fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

// clang-format off
#include <jpeglib.h>
// clang-format on

namespace {

struct SavedMarkers {
    std::vector<std::unique_ptr<std::uint8_t[]>> data;
    std::vector<jpeg_marker_struct> markers;
};

SavedMarkers Walk(const std::uint8_t* p, std::size_t size) {
    SavedMarkers saved;
    std::size_t at = size >= 2 && p[0] == 0xFF && p[1] == 0xD8 ? 2 : 0;
    while (at + 4 <= size && p[at] == 0xFF) {
        const int marker = p[at + 1];
        if (marker == 0xDA || marker == 0xD9) break;  // the scan or the end
        const std::size_t length = static_cast<std::size_t>(p[at + 2] << 8 | p[at + 3]);
        if (length < 2) break;
        const std::size_t available = std::min(length - 2, size - at - 4);
        if ((marker >= JPEG_APP0 && marker <= JPEG_APP0 + 15) || marker == JPEG_COM) {
            saved.data.push_back(std::make_unique<std::uint8_t[]>(available));
            std::copy_n(p + at + 4, available, saved.data.back().get());
            jpeg_marker_struct m{};
            m.marker = static_cast<UINT8>(marker);
            m.original_length = static_cast<unsigned int>(length - 2);
            m.data_length = static_cast<unsigned int>(available);
            m.data = saved.data.back().get();
            saved.markers.push_back(m);
        }
        at += 2 + length;
    }
    for (std::size_t i = 0; i + 1 < saved.markers.size(); ++i) saved.markers[i].next = &saved.markers[i + 1];
    return saved;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const SavedMarkers saved = Walk(data, size);
    const imaging::PictureInfo info = imaging::decode::ReadJpegMarkers(saved.markers.empty() ? nullptr : &saved.markers[0]);
    if (info.exif.size() + info.xmp.size() + info.iccProfile.size() > size) __builtin_trap();
    return 0;
}
