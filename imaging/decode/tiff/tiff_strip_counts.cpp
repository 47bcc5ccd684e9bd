#include "imaging/decode/tiff/tiff_strip_counts.h"

#include "imaging/decode/tiff/tiff_raw_ifd.h"

#include <QFile>

#include <tiffio.h>

#include <algorithm>

namespace imaging::decode::tiff {
namespace {

// The strips or tiles as the directory states them, before libtiff
// estimates their sizes or cuts a single large strip into smaller ones.
struct StatedStrips {
    RawTiffHeader header;
    const RawEntry* offsets = nullptr;
    const RawEntry* counts = nullptr;
    std::uint64_t rowsPerStrip = 0;
    std::vector<RawEntry> entries;
};

bool ReadStated(QFile& device, ::tiff* tif, const TiffPage& page, StatedStrips& s) {
    const bool tiled = TIFFIsTiled(tif);
    const std::uint16_t offsetTag = tiled ? TIFFTAG_TILEOFFSETS : TIFFTAG_STRIPOFFSETS;
    const std::uint16_t countTag = tiled ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS;
    const auto size = static_cast<std::uint64_t>(device.size());
    const RawValueLimits limits{size, 2 * size + 8, {offsetTag, countTag, TIFFTAG_ROWSPERSTRIP}};
    if (!ReadRawTiffHeader(device, s.header) ||
        !ReadRawIfd(device, s.header, TIFFCurrentDirOffset(tif), limits, s.entries))
        return false;
    s.offsets = FindRawEntry(s.entries, offsetTag);
    s.counts = FindRawEntry(s.entries, countTag);
    s.rowsPerStrip = static_cast<std::uint64_t>(page.height);
    if (const RawEntry* rps = FindRawEntry(s.entries, TIFFTAG_ROWSPERSTRIP))
        RawUnsigned(s.header, *rps, 0, s.rowsPerStrip);
    s.rowsPerStrip = std::clamp<std::uint64_t>(s.rowsPerStrip, 1, static_cast<std::uint64_t>(page.height));
    return s.offsets && s.counts && s.offsets->count == s.counts->count && s.counts->count > 0;
}

// libtiff kept the stated counts: nothing was estimated in this directory.
bool Unchanged(::tiff* tif, const StatedStrips& s) {
    if (s.counts->count != TIFFNumberOfStrips(tif)) return false;
    for (std::uint32_t i = 0; i < TIFFNumberOfStrips(tif); ++i) {
        std::uint64_t stated = 0;
        if (!RawUnsigned(s.header, *s.counts, i, stated) || stated != TIFFGetStrileByteCount(tif, i)) return false;
    }
    return true;
}

// The bytes stated strip (or tile) `index` needs.
std::uint64_t NeededBytes(::tiff* tif, const TiffPage& page, const StatedStrips& s, std::uint64_t index) {
    if (TIFFIsTiled(tif)) return static_cast<std::uint64_t>(TIFFTileSize64(tif));
    const auto height = static_cast<std::uint64_t>(page.height);
    const std::uint64_t perPlane = (height + s.rowsPerStrip - 1) / s.rowsPerStrip;
    const std::uint64_t first = (index % perPlane) * s.rowsPerStrip;
    return std::min(s.rowsPerStrip, height - first) * static_cast<std::uint64_t>(TIFFScanlineSize64(tif));
}

}  // namespace

Status CheckEstimatedCounts(TiffFile& file, const TiffPage& page) {
    if (!file.estimated()) return Status::Ok;
    ::tiff* tif = file.handle();
    QFile device(file.path());
    StatedStrips stated;
    if (!device.open(QIODevice::ReadOnly) || !ReadStated(device, tif, page, stated)) return Status::GenericError;
    // The guess may have been made for another directory read on the way.
    if (Unchanged(tif, stated)) return Status::Ok;
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    if (compression != COMPRESSION_NONE) return Status::GenericError;
    const auto fileSize = static_cast<std::uint64_t>(device.size());
    for (std::uint64_t i = 0; i < stated.counts->count; ++i) {
        std::uint64_t count = 0, offset = 0;
        if (!RawUnsigned(stated.header, *stated.counts, i, count) ||
            !RawUnsigned(stated.header, *stated.offsets, i, offset))
            return Status::GenericError;
        const std::uint64_t needed = NeededBytes(tif, page, stated, i);
        if (count < needed || offset > fileSize || needed > fileSize - offset) return Status::GenericError;
    }
    return Status::Ok;
}

}  // namespace imaging::decode::tiff
