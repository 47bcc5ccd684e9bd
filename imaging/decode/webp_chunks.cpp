#include "imaging/decode/webp_chunks.h"

#include "imaging/decode/exif_payload.h"

#include <QFile>

#include <algorithm>
#include <cstring>

namespace imaging::decode {
namespace {

// Larger metadata chunks are skipped.
constexpr std::uint32_t kMaxChunkBytes = 64u * 1024 * 1024;

std::uint32_t Le32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<std::uint32_t>(u[3]) << 24);
}

std::vector<std::uint8_t> Bytes(const QByteArray& b) { return std::vector<std::uint8_t>(b.begin(), b.end()); }

// Where the chunk's data goes, or null for chunks not kept (and for a
// second chunk of a kind already read).
std::vector<std::uint8_t>* TargetFor(const char* type, PictureInfo& info) {
    std::vector<std::uint8_t>* target = nullptr;
    if (std::memcmp(type, "ICCP", 4) == 0) target = &info.iccProfile;
    else if (std::memcmp(type, "EXIF", 4) == 0) target = &info.exif;
    else if (std::memcmp(type, "XMP ", 4) == 0) target = &info.xmp;
    return target && target->empty() ? target : nullptr;
}

}  // namespace

PictureInfo ReadWebpChunks(QIODevice& file) {
    PictureInfo info;
    char header[12];
    if (!file.seek(0) || file.read(header, 12) != 12 || std::memcmp(header, "RIFF", 4) != 0 ||
        std::memcmp(header + 8, "WEBP", 4) != 0)
        return info;
    // The container's end as it states it, but never past the file's.
    const qint64 end = std::min<qint64>(8 + static_cast<qint64>(Le32(header + 4)), file.size());
    qint64 at = 12;
    char chunk[8];
    while (at + 8 <= end) {
        if (!file.seek(at) || file.read(chunk, 8) != 8) break;
        const std::uint32_t size = Le32(chunk + 4);
        const qint64 next = at + 8 + size + (size & 1);  // chunks are padded to even sizes
        if (at + 8 + static_cast<qint64>(size) > end) break;
        std::vector<std::uint8_t>* target = TargetFor(chunk, info);
        if (target && size > 0 && size <= kMaxChunkBytes) {
            const QByteArray data = file.read(size);
            if (data.size() != static_cast<qsizetype>(size)) break;
            *target = Bytes(target == &info.exif ? TiffFromExifBlock(data) : data);
        }
        at = next;
    }
    return info;
}

PictureInfo ReadWebpChunks(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return ReadWebpChunks(file);
}

}  // namespace imaging::decode
