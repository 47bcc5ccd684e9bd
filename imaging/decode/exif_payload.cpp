#include "imaging/decode/exif_payload.h"

#include <cstdint>
#include <cstring>

namespace imaging::decode {
namespace {

const QByteArray kJpegPrefix("Exif\0\0", 6);

bool StartsLikeTiff(const char* p) {
    return std::memcmp(p, "II*\0", 4) == 0 || std::memcmp(p, "MM\0*", 4) == 0;
}

}  // namespace

QByteArray TiffFromBmffExif(const QByteArray& item) {
    if (item.size() < 8) return {};
    const auto* p = reinterpret_cast<const unsigned char*>(item.constData());
    const std::uint32_t offset = (static_cast<std::uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
    if (offset <= static_cast<std::uint32_t>(item.size() - 8) && StartsLikeTiff(item.constData() + 4 + offset))
        return item.mid(4 + static_cast<qsizetype>(offset));
    // Some writers get the offset wrong; the "Exif\0\0" prefix still tells.
    const qsizetype exif = item.indexOf(kJpegPrefix);
    if (exif >= 0 && exif + 10 <= item.size() && StartsLikeTiff(item.constData() + exif + 6))
        return item.mid(exif + 6);
    return {};
}

QByteArray TiffFromExifBlock(const QByteArray& block) {
    const qsizetype start = block.startsWith(kJpegPrefix) ? 6 : 0;
    if (block.size() < start + 8 || !StartsLikeTiff(block.constData() + start)) return {};
    return block.mid(start);
}

}  // namespace imaging::decode
