#include "imaging/decode/tiff/tiff_raw_ifd.h"

#include <algorithm>

namespace imaging::decode::tiff {
namespace {

// Directories with more entries than this are taken as damaged.
constexpr std::uint64_t kMaxEntries = 4096;

std::uint64_t Unsigned(const RawTiffHeader& h, const std::uint8_t* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) {
        const int shift = h.bigEndian ? 8 * (bytes - 1 - i) : 8 * i;
        v |= static_cast<std::uint64_t>(p[i]) << shift;
    }
    return v;
}

bool ReadAt(QIODevice& device, std::uint64_t offset, std::uint64_t size, std::vector<std::uint8_t>& bytes) {
    const auto fileSize = static_cast<std::uint64_t>(device.size());
    if (offset > fileSize || size > fileSize - offset || !device.seek(static_cast<qint64>(offset))) return false;
    bytes.resize(static_cast<std::size_t>(size));
    return size == 0 || device.read(reinterpret_cast<char*>(bytes.data()), static_cast<qint64>(size)) ==
                            static_cast<qint64>(size);
}

}  // namespace

int RawTypeSize(std::uint16_t type) {
    switch (type) {
        case 1: case 2: case 6: case 7: return 1;
        case 3: case 8: return 2;
        case 4: case 9: case 11: case 13: return 4;
        case 5: case 10: case 12: case 16: case 17: case 18: return 8;
        default: return 0;
    }
}

bool ReadRawTiffHeader(QIODevice& device, RawTiffHeader& header) {
    std::vector<std::uint8_t> b;
    if (!ReadAt(device, 0, 8, b)) return false;
    if (b[0] == 'I' && b[1] == 'I') header.bigEndian = false;
    else if (b[0] == 'M' && b[1] == 'M') header.bigEndian = true;
    else return false;
    const std::uint64_t magic = Unsigned(header, b.data() + 2, 2);
    if (magic == 42) {
        header.bigTiff = false;
        header.firstIfd = Unsigned(header, b.data() + 4, 4);
        return true;
    }
    if (magic != 43 || !ReadAt(device, 0, 16, b) || Unsigned(header, b.data() + 4, 2) != 8) return false;
    header.bigTiff = true;
    header.firstIfd = Unsigned(header, b.data() + 8, 8);
    return true;
}

bool ReadRawIfd(QIODevice& device, const RawTiffHeader& header, std::uint64_t offset, const RawValueLimits& limits,
                std::vector<RawEntry>& entries) {
    entries.clear();
    const int countBytes = header.bigTiff ? 8 : 2;
    const int entryBytes = header.bigTiff ? 20 : 12;
    const int inlineBytes = header.bigTiff ? 8 : 4;
    std::vector<std::uint8_t> b;
    if (!ReadAt(device, offset, static_cast<std::uint64_t>(countBytes), b)) return false;
    const std::uint64_t n = Unsigned(header, b.data(), countBytes);
    if (n > kMaxEntries || !ReadAt(device, offset + static_cast<std::uint64_t>(countBytes), n * entryBytes, b))
        return false;
    const std::vector<std::uint8_t> table = b;
    std::uint64_t budget = limits.totalBytes;
    for (std::uint64_t i = 0; i < n; ++i) {
        const std::uint8_t* e = table.data() + i * static_cast<std::uint64_t>(entryBytes);
        RawEntry entry;
        entry.tag = static_cast<std::uint16_t>(Unsigned(header, e, 2));
        entry.type = static_cast<std::uint16_t>(Unsigned(header, e + 2, 2));
        entry.count = Unsigned(header, e + 4, header.bigTiff ? 8 : 4);
        const std::uint8_t* field = e + (header.bigTiff ? 12 : 8);
        const int size = RawTypeSize(entry.type);
        const bool wanted = limits.tags.empty() ||
                            std::find(limits.tags.begin(), limits.tags.end(), entry.tag) != limits.tags.end();
        const std::uint64_t cap = std::min(limits.valueBytes, budget);
        const bool fits = wanted && size != 0 && entry.count <= cap / static_cast<std::uint64_t>(size);
        const std::uint64_t bytes = fits ? entry.count * static_cast<std::uint64_t>(size) : 0;
        budget -= bytes;
        if (fits && bytes <= static_cast<std::uint64_t>(inlineBytes)) {
            entry.value.assign(field, field + bytes);
        } else if (fits && !ReadAt(device, Unsigned(header, field, inlineBytes), bytes, entry.value)) {
            entry.value.clear();
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

const RawEntry* FindRawEntry(const std::vector<RawEntry>& entries, std::uint16_t tag) {
    const auto it = std::find_if(entries.begin(), entries.end(), [&](const RawEntry& e) { return e.tag == tag; });
    return it == entries.end() ? nullptr : &*it;
}

bool RawUnsigned(const RawTiffHeader& header, const RawEntry& entry, std::uint64_t index, std::uint64_t& value) {
    const int size = RawTypeSize(entry.type);
    const bool integer = entry.type == 1 || entry.type == 3 || entry.type == 4 || entry.type == 13 ||
                         entry.type == 16 || entry.type == 18;
    if (!integer || index >= entry.count || (index + 1) * static_cast<std::uint64_t>(size) > entry.value.size())
        return false;
    value = Unsigned(header, entry.value.data() + index * static_cast<std::uint64_t>(size), size);
    return true;
}

}  // namespace imaging::decode::tiff
