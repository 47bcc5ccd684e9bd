#pragma once
// Directory entries as the file stores them, read without libtiff: for the
// values libtiff changes or interprets on its way in (strip byte counts it
// re-estimates, metadata blocks it gives types of its own), and for
// copying entries into a new TIFF structure. Classic TIFF and BigTIFF,
// either byte order; nothing is read outside the file.

#include <QIODevice>

#include <cstdint>
#include <vector>

namespace imaging::decode::tiff {

struct RawTiffHeader {
    bool bigEndian = false;
    bool bigTiff = false;
    std::uint64_t firstIfd = 0;
};

struct RawEntry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint64_t count = 0;
    // The value's bytes in the file's byte order; empty when the value was
    // larger than the caller allowed or lay outside the file.
    std::vector<std::uint8_t> value;
};

// Bytes of one value of a TIFF field type; 0 for an unknown type.
int RawTypeSize(std::uint16_t type);

bool ReadRawTiffHeader(QIODevice& device, RawTiffHeader& header);

// Which values ReadRawIfd reads; the others are left empty.
struct RawValueLimits {
    std::uint64_t valueBytes = 0;  // of one value
    std::uint64_t totalBytes = 0;  // of all values read together
    std::vector<std::uint16_t> tags;  // only these; empty for every tag
};

// The entries of the directory at `offset`, with the values the limits
// allow. False when the directory itself is not in the file.
bool ReadRawIfd(QIODevice& device, const RawTiffHeader& header, std::uint64_t offset, const RawValueLimits& limits,
                std::vector<RawEntry>& entries);

// The entry with `tag`, or null.
const RawEntry* FindRawEntry(const std::vector<RawEntry>& entries, std::uint16_t tag);

// Value `index` of a BYTE, SHORT, LONG, LONG8 or IFD entry; false when the
// entry holds no such value.
bool RawUnsigned(const RawTiffHeader& header, const RawEntry& entry, std::uint64_t index, std::uint64_t& value);

}  // namespace imaging::decode::tiff
