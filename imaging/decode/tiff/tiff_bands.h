#pragma once
// The decoded samples of a TIFF page, one band of rows at a time: a strip
// (or, for planar pages, the same strip of every plane) or a row of tiles,
// with the tiles' columns laid side by side and the parts of edge tiles
// that lie outside the picture dropped. Every strip and tile must decode
// to its full size: a short read is a damaged file.

#include "imaging/decode/tiff/tiff_file.h"
#include "imaging/decode/tiff/tiff_page.h"

#include <cstdlib>
#include <memory>

namespace imaging::decode::tiff {

class TiffBands {
public:
    // Sizes the buffers for the current directory; OutOfMemory when a
    // strip or tile is larger than the limits allow.
    Status Start(TiffFile& file, const TiffPage& page, const DecodeLimits& limits);
    int bandHeight() const { return bandHeight_; }
    // Decodes rows [y, y + bandHeight()) (fewer at the bottom); y must be
    // a multiple of bandHeight().
    Status Read(int y);
    // Row r of the band in plane p (p is 0 for chunky pages).
    const std::uint8_t* Row(int plane, int r) const {
        return band_.get() + (static_cast<std::size_t>(plane) * bandHeight_ + r) * rowBytes_;
    }
    int planes() const { return planes_; }
    // The distance between two rows of a plane.
    std::size_t rowBytes() const { return rowBytes_; }

private:
    struct Free {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    using Block = std::unique_ptr<std::uint8_t[], Free>;
    static Block Allocate(std::size_t bytes);

    std::uint8_t* RowFor(int plane, int r) {
        return band_.get() + (static_cast<std::size_t>(plane) * bandHeight_ + r) * rowBytes_;
    }
    Status ReadStrips(int y, int rows);
    Status ReadTiles(int y, int rows);

    TiffFile* file_ = nullptr;
    const TiffPage* page_ = nullptr;
    bool tiled_ = false;
    int planes_ = 1;
    int bandHeight_ = 0;
    std::size_t rowBytes_ = 0;  // one row of one plane
    std::size_t bitsPerPixel_ = 0;  // in one plane
    int tileWidth_ = 0;
    std::size_t tileRowBytes_ = 0;
    std::size_t tileBytes_ = 0;
    Block band_;
    Block tile_;
};

}  // namespace imaging::decode::tiff
