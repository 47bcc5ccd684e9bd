#include "imaging/decode/tiff/tiff_bands.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>

namespace imaging::decode::tiff {

TiffBands::Block TiffBands::Allocate(std::size_t bytes) {
    return Block(static_cast<std::uint8_t*>(std::malloc(std::max<std::size_t>(bytes, 1))));
}

Status TiffBands::Start(TiffFile& file, const TiffPage& page, const DecodeLimits& limits) {
    file_ = &file;
    page_ = &page;
    ::tiff* tif = file.handle();
    tiled_ = TIFFIsTiled(tif) != 0;
    planes_ = page.planar ? page.samplesPerPixel : 1;
    bitsPerPixel_ = static_cast<std::size_t>(page.bitsPerSample) * (page.planar ? 1 : page.samplesPerPixel);
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(page.width) * bitsPerPixel_ + 7) / 8;
    const auto maxBytes = static_cast<std::uint64_t>(limits.maxBytes);
    std::uint64_t bandHeight = 0;
    if (tiled_) {
        std::uint32_t tw = 0, th = 0;
        if (TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tw) != 1 || TIFFGetField(tif, TIFFTAG_TILELENGTH, &th) != 1 ||
            tw == 0 || th == 0 || (tw * bitsPerPixel_) % 8 != 0)
            return Status::GenericError;
        const std::uint64_t tileRowBytes = static_cast<std::uint64_t>(tw) * bitsPerPixel_ / 8;
        const std::uint64_t tileBytes = tileRowBytes * th;
        if (tileBytes > maxBytes || tileBytes != TIFFTileSize64(tif)) return tileBytes > maxBytes ? Status::OutOfMemory : Status::GenericError;
        tileWidth_ = static_cast<int>(std::min<std::uint32_t>(tw, 0x7FFFFFFF));
        tileRowBytes_ = static_cast<std::size_t>(tileRowBytes);
        tileBytes_ = static_cast<std::size_t>(tileBytes);
        bandHeight = th;
    } else {
        std::uint32_t rowsPerStrip = 0;
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        bandHeight = rowsPerStrip == 0 ? 1 : rowsPerStrip;
    }
    bandHeight = std::min<std::uint64_t>(bandHeight, static_cast<std::uint64_t>(page.height));
    if (rowBytes > maxBytes || rowBytes * bandHeight * planes_ > maxBytes) return Status::OutOfMemory;
    rowBytes_ = static_cast<std::size_t>(rowBytes);
    bandHeight_ = static_cast<int>(bandHeight);
    band_ = Allocate(rowBytes_ * bandHeight_ * planes_);
    if (tiled_) tile_ = Allocate(tileBytes_);
    if (!band_ || (tiled_ && !tile_)) return Status::OutOfMemory;
    return Status::Ok;
}

Status TiffBands::Read(int y) {
    const int rows = std::min(bandHeight_, page_->height - y);
    const Status s = tiled_ ? ReadTiles(y, rows) : ReadStrips(y, rows);
    return s == Status::Ok ? file_->status() : s;
}

namespace {

// An uncompressed strip or tile must hold every byte of its rows: libtiff
// reads an uncompressed strip straight from its offset, past a byte count
// that is too small, and so would hand over whatever follows in the file.
bool HoldsUncompressed(::tiff* tif, std::uint64_t byteCount, tmsize_t needed) {
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    return compression != COMPRESSION_NONE || byteCount >= static_cast<std::uint64_t>(needed);
}

}  // namespace

Status TiffBands::ReadStrips(int y, int rows) {
    ::tiff* tif = file_->handle();
    const auto bytes = static_cast<tmsize_t>(rowBytes_ * rows);
    for (int p = 0; p < planes_; ++p) {
        const std::uint32_t strip = TIFFComputeStrip(tif, static_cast<std::uint32_t>(y), static_cast<std::uint16_t>(p));
        if (strip >= TIFFNumberOfStrips(tif)) return Status::GenericError;
        if (!HoldsUncompressed(tif, TIFFGetStrileByteCount(tif, strip), bytes)) return Status::GenericError;
        if (TIFFReadEncodedStrip(tif, strip, RowFor(p, 0), bytes) != bytes) return Status::GenericError;
    }
    return Status::Ok;
}

Status TiffBands::ReadTiles(int y, int rows) {
    ::tiff* tif = file_->handle();
    for (int p = 0; p < planes_; ++p) {
        for (int x = 0; x < page_->width; x += tileWidth_) {
            const std::uint32_t tile = TIFFComputeTile(tif, static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                                                       0, static_cast<std::uint16_t>(p));
            if (tile >= TIFFNumberOfTiles(tif)) return Status::GenericError;
            const auto bytes = static_cast<tmsize_t>(tileBytes_);
            if (!HoldsUncompressed(tif, TIFFGetStrileByteCount(tif, tile), bytes)) return Status::GenericError;
            if (TIFFReadEncodedTile(tif, tile, tile_.get(), bytes) != bytes) return Status::GenericError;
            const std::size_t offset = static_cast<std::size_t>(x) * bitsPerPixel_ / 8;
            const std::size_t count = std::min(tileRowBytes_, rowBytes_ - offset);
            for (int r = 0; r < rows; ++r)
                std::memcpy(RowFor(p, r) + offset, tile_.get() + static_cast<std::size_t>(r) * tileRowBytes_, count);
        }
    }
    return Status::Ok;
}

}  // namespace imaging::decode::tiff
