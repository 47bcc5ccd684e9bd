// Walking libjpeg's saved markers. Every length is checked against the
// segment it comes from; anything malformed is left out, never an error.
#include "imaging/decode/jpeg_markers.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string_view>

// clang-format off
#include <jpeglib.h>
// clang-format on

namespace imaging::decode {
namespace {

constexpr std::string_view kIccTag{"ICC_PROFILE\0", 12};
constexpr std::string_view kExifTag{"Exif\0\0", 6};
constexpr std::string_view kXmpTag{"http://ns.adobe.com/xap/1.0/\0", 29};
constexpr std::string_view kPhotoshopTag{"Photoshop 3.0\0", 14};

bool StartsWith(const jpeg_marker_struct& m, std::string_view tag) {
    return m.data_length >= tag.size() && std::memcmp(m.data, tag.data(), tag.size()) == 0;
}

std::vector<std::uint8_t> After(const jpeg_marker_struct& m, std::size_t offset) {
    return {m.data + offset, m.data + m.data_length};
}

// The chunks by sequence number (1-based); all must name the same count.
std::vector<std::uint8_t> JoinIccChain(const jpeg_marker_struct* markers) {
    std::map<int, const jpeg_marker_struct*> chunks;
    int count = 0;
    for (const jpeg_marker_struct* m = markers; m; m = m->next) {
        if (m->marker != JPEG_APP0 + 2 || !StartsWith(*m, kIccTag) || m->data_length < kIccTag.size() + 2) continue;
        const int sequence = m->data[kIccTag.size()];
        const int total = m->data[kIccTag.size() + 1];
        if (sequence < 1 || total < 1 || sequence > total || (count && total != count)) return {};
        count = total;
        if (!chunks.emplace(sequence, m).second) return {};
    }
    if (count == 0 || static_cast<int>(chunks.size()) != count) return {};
    std::vector<std::uint8_t> profile;
    for (const auto& [sequence, m] : chunks) {
        const std::vector<std::uint8_t> part = After(*m, kIccTag.size() + 2);
        profile.insert(profile.end(), part.begin(), part.end());
    }
    return profile;
}

std::uint32_t BigEndian(const std::uint8_t* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
    return v;
}

// Photoshop image resources: "8BIM", a 16-bit id, a Pascal name padded to
// an even length, a 32-bit size and the data padded to an even length. The
// IPTC datasets are resource 0x0404.
void AppendIptc(const std::uint8_t* p, std::size_t size, std::vector<std::uint8_t>& iptc) {
    std::size_t at = 0;
    while (at + 7 <= size && std::memcmp(p + at, "8BIM", 4) == 0) {
        const std::uint32_t id = BigEndian(p + at + 4, 2);
        std::size_t nameBytes = 1u + p[at + 6];
        nameBytes += nameBytes % 2;
        const std::size_t sizeAt = at + 6 + nameBytes;
        if (sizeAt + 4 > size) return;
        const std::size_t length = BigEndian(p + sizeAt, 4);
        const std::size_t dataAt = sizeAt + 4;
        if (length > size - dataAt) return;
        if (id == 0x0404) iptc.insert(iptc.end(), p + dataAt, p + dataAt + length);
        at = dataAt + length + length % 2;
    }
}

}  // namespace

PictureInfo ReadJpegMarkers(const jpeg_marker_struct* markers) {
    PictureInfo info;
    info.iccProfile = JoinIccChain(markers);
    for (const jpeg_marker_struct* m = markers; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && info.exif.empty() && StartsWith(*m, kExifTag))
            info.exif = After(*m, kExifTag.size());
        else if (m->marker == JPEG_APP0 + 1 && info.xmp.empty() && StartsWith(*m, kXmpTag))
            info.xmp = After(*m, kXmpTag.size());
        else if (m->marker == JPEG_APP0 + 13 && StartsWith(*m, kPhotoshopTag))
            AppendIptc(m->data + kPhotoshopTag.size(), m->data_length - kPhotoshopTag.size(), info.iptc);
    }
    return info;
}

}  // namespace imaging::decode
