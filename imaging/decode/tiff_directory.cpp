// The TIFF directory walk. Every offset is checked against the device's size
// and every directory is visited once, so a crafted file can neither make
// the reader run past its data nor loop.
#include "imaging/decode/tiff_directory.h"

#include <cstdint>
#include <set>
#include <vector>

namespace imaging::decode {
namespace {

enum Tag : std::uint16_t {
    kStripOffsets = 273,
    kOrientation = 274,
    kMake = 271,
    kStripByteCounts = 279,
    kXResolution = 282,
    kYResolution = 283,
    kResolutionUnit = 296,
    kTileOffsets = 324,
    kTileByteCounts = 325,
    kSubIfds = 330,
    kDngVersion = 50706,
};

constexpr int kMaxDirectories = 256;
constexpr std::uint32_t kMaxEntries = 4096;
constexpr std::uint32_t kMaxArray = 4'000'000;

struct Entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::uint32_t valueField = 0;  // the raw 4 bytes, in file byte order
    qint64 valueOffset = 0;        // where the values are
};

int TypeSize(std::uint16_t type) {
    switch (type) {
        case 1: case 2: case 6: case 7: return 1;
        case 3: case 8: return 2;
        case 4: case 9: case 11: case 13: return 4;
        case 5: case 10: case 12: return 8;
        default: return 0;
    }
}

class Reader {
public:
    explicit Reader(QIODevice& device) : device_(device), size_(device.size()) {}

    bool ReadHeader(std::uint32_t& firstIfd) {
        unsigned char h[8];
        if (!ReadAt(0, h, 8)) return false;
        if (h[0] == 'I' && h[1] == 'I') little_ = true;
        else if (h[0] == 'M' && h[1] == 'M') little_ = false;
        else return false;
        if (U16(h + 2) != 42) return false;
        firstIfd = U32(h + 4);
        return true;
    }

    bool ReadEntries(qint64 offset, std::vector<Entry>& entries, std::uint32_t& next) {
        unsigned char countBytes[2];
        if (!ReadAt(offset, countBytes, 2)) return false;
        const std::uint32_t count = U16(countBytes);
        if (count == 0 || count > kMaxEntries) return false;
        std::vector<unsigned char> raw(count * 12 + 4);
        if (!ReadAt(offset + 2, raw.data(), static_cast<qint64>(count) * 12)) return false;
        // A missing next-directory pointer ends the chain.
        if (!ReadAt(offset + 2 + count * 12, raw.data() + count * 12, 4)) std::fill_n(raw.data() + count * 12, 4, 0);
        entries.clear();
        for (std::uint32_t i = 0; i < count; ++i) {
            const unsigned char* e = raw.data() + i * 12;
            Entry entry{U16(e), U16(e + 2), U32(e + 4), U32(e + 8), 0};
            const std::uint64_t bytes = static_cast<std::uint64_t>(TypeSize(entry.type)) * entry.count;
            entry.valueOffset = bytes <= 4 ? offset + 2 + i * 12 + 8 : static_cast<qint64>(entry.valueField);
            entries.push_back(entry);
        }
        next = U32(raw.data() + count * 12);
        return true;
    }

    // The entry's values as unsigned integers (SHORT, LONG or IFD).
    bool Integers(const Entry& e, std::vector<std::uint64_t>& out) {
        const int size = TypeSize(e.type);
        if ((e.type != 3 && e.type != 4 && e.type != 13) || e.count > kMaxArray) return false;
        std::vector<unsigned char> raw(static_cast<std::size_t>(size) * e.count);
        if (!ReadAt(e.valueOffset, raw.data(), static_cast<qint64>(raw.size()))) return false;
        out.resize(e.count);
        for (std::uint32_t i = 0; i < e.count; ++i)
            out[i] = size == 2 ? U16(raw.data() + i * 2) : U32(raw.data() + i * 4);
        return true;
    }

    double Rational(const Entry& e) {
        if (e.type != 5 || e.count < 1) return 0;
        unsigned char raw[8];
        if (!ReadAt(e.valueOffset, raw, 8)) return 0;
        const std::uint32_t den = U32(raw + 4);
        return den ? static_cast<double>(U32(raw)) / den : 0;
    }

    qint64 size() const { return size_; }

private:
    bool ReadAt(qint64 offset, void* out, qint64 length) {
        if (offset < 0 || length < 0 || offset > size_ || length > size_ - offset) return false;
        if (!device_.seek(offset)) return false;
        return device_.read(static_cast<char*>(out), length) == length;
    }
    std::uint16_t U16(const unsigned char* p) const {
        return static_cast<std::uint16_t>(little_ ? p[0] | p[1] << 8 : p[0] << 8 | p[1]);
    }
    std::uint32_t U32(const unsigned char* p) const {
        return little_ ? p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24
                       : static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
    }

    QIODevice& device_;
    qint64 size_;
    bool little_ = true;
};

const Entry* Find(const std::vector<Entry>& entries, std::uint16_t tag) {
    for (const Entry& e : entries)
        if (e.tag == tag) return &e;
    return nullptr;
}

// False when a pair of offset/byte-count arrays points past the end.
bool PiecesWithin(Reader& reader, const std::vector<Entry>& entries, std::uint16_t offsetsTag,
                  std::uint16_t countsTag) {
    const Entry* offsets = Find(entries, offsetsTag);
    const Entry* counts = Find(entries, countsTag);
    if (!offsets || !counts) return true;
    std::vector<std::uint64_t> o, c;
    if (!reader.Integers(*offsets, o) || !reader.Integers(*counts, c)) return true;
    for (std::size_t i = 0; i < o.size() && i < c.size(); ++i)
        if (o[i] + c[i] > static_cast<std::uint64_t>(reader.size())) return false;
    return true;
}

void ReadFirstDirectoryTags(Reader& reader, const std::vector<Entry>& entries, TiffSummary& summary) {
    summary.hasMake = Find(entries, kMake) != nullptr;
    summary.hasDngVersion = Find(entries, kDngVersion) != nullptr;
    std::vector<std::uint64_t> values;
    if (const Entry* e = Find(entries, kOrientation); e && reader.Integers(*e, values) && !values.empty() &&
                                                      values[0] >= 1 && values[0] <= 8)
        summary.orientation = static_cast<int>(values[0]);
    if (const Entry* e = Find(entries, kResolutionUnit); e && reader.Integers(*e, values) && !values.empty())
        summary.resolutionUnit = static_cast<int>(values[0]);
    if (const Entry* e = Find(entries, kXResolution)) summary.xResolution = reader.Rational(*e);
    if (const Entry* e = Find(entries, kYResolution)) summary.yResolution = reader.Rational(*e);
}

}  // namespace

TiffSummary ReadTiffSummary(QIODevice& device) {
    TiffSummary summary;
    Reader reader(device);
    std::uint32_t first = 0;
    if (!reader.ReadHeader(first)) return summary;

    std::vector<qint64> pending{first};
    std::set<qint64> visited;
    std::vector<Entry> entries;
    while (!pending.empty() && static_cast<int>(visited.size()) < kMaxDirectories) {
        const qint64 offset = pending.back();
        pending.pop_back();
        if (offset == 0 || !visited.insert(offset).second) continue;
        std::uint32_t next = 0;
        if (!reader.ReadEntries(offset, entries, next)) continue;
        if (offset == first) {
            summary.valid = true;
            ReadFirstDirectoryTags(reader, entries, summary);
        }
        if (!PiecesWithin(reader, entries, kStripOffsets, kStripByteCounts) ||
            !PiecesWithin(reader, entries, kTileOffsets, kTileByteCounts))
            summary.imageDataWithinFile = false;
        std::vector<std::uint64_t> subs;
        if (const Entry* e = Find(entries, kSubIfds); e && reader.Integers(*e, subs))
            for (std::uint64_t s : subs) pending.push_back(static_cast<qint64>(s));
        pending.push_back(next);
    }
    return summary;
}

}  // namespace imaging::decode
