#include "imaging/decode/tiff/tiff_camera.h"

#include "imaging/decode/tiff/tiff_raw_ifd.h"
#include "imaging/decode/tiff_directory.h"

#include <QFile>

#include <algorithm>
#include <array>

namespace imaging::decode::tiff {
namespace {

constexpr std::uint16_t kNewSubfileType = 254, kCompression = 259, kPhotometric = 262, kSubIfds = 330;
// Colour filter array, linear raw.
constexpr std::array<std::uint64_t, 2> kRawPhotometric = {32803, 34892};
// Makers' own compressions (Sony, Nikon, Pentax, Kodak and others).
constexpr std::array<std::uint64_t, 6> kRawCompression = {32767, 32769, 32770, 34713, 65000, 65535};

bool FirstValue(const RawTiffHeader& header, const std::vector<RawEntry>& entries, std::uint16_t tag,
                std::uint64_t& value) {
    const RawEntry* e = FindRawEntry(entries, tag);
    return e && RawUnsigned(header, *e, 0, value);
}

template <std::size_t N>
bool OneOf(const std::array<std::uint64_t, N>& list, std::uint64_t value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

bool FirstDirectoryHoldsRawData(QIODevice& device) {
    RawTiffHeader header;
    std::vector<RawEntry> entries;
    const RawValueLimits limits{8, 64, {kNewSubfileType, kCompression, kPhotometric, kSubIfds}};
    if (!ReadRawTiffHeader(device, header) || !ReadRawIfd(device, header, header.firstIfd, limits, entries))
        return false;
    std::uint64_t value = 0;
    if (FindRawEntry(entries, kSubIfds)) return true;
    if (FirstValue(header, entries, kNewSubfileType, value) && (value & 1)) return true;  // a reduced preview
    if (FirstValue(header, entries, kPhotometric, value) && OneOf(kRawPhotometric, value)) return true;
    return FirstValue(header, entries, kCompression, value) && OneOf(kRawCompression, value);
}

}  // namespace imaging::decode::tiff

namespace imaging::decode {

bool TiffLooksLikeCameraRaw(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const TiffSummary summary = ReadTiffSummary(file);
    if (!summary.valid) return false;
    return summary.hasDngVersion || (summary.hasMake && tiff::FirstDirectoryHoldsRawData(file));
}

}  // namespace imaging::decode
