#pragma once
// Device-independent bitmaps as metafile records carry them: a
// BITMAPINFOHEADER (or the older BITMAPCOREHEADER, or the V4/V5 headers),
// a colour table and the pixel rows. Decoded here, with every size checked
// against the bytes given, into a QImage the player can draw.

#include "imaging/metafile/byte_reader.h"

#include <QImage>

#include <cstdint>
#include <optional>
#include <vector>

namespace imaging::metafile {

struct DibRequest {
    // How the colour table is to be read: RGBQUADs, or 16-bit indices into
    // the palette currently selected (DIB_PAL_COLORS).
    bool paletteIndices = false;
    const std::vector<QRgb>* palette = nullptr;
    // Keep the alpha channel of 32-bit pixels (only alpha blending uses it;
    // every other blit treats the fourth byte as padding).
    bool keepAlpha = false;
    // Largest number of pixels accepted; a bigger bitmap is refused.
    std::int64_t maxPixels = 64'000'000;
};

struct Dib {
    QImage image;           // top row first, whatever the file's row order
    bool bottomUp = true;   // the file stored its rows bottom-up
};

// `info` holds the header and colour table, `bits` the rows. nullopt when
// the bitmap is malformed, truncated, too large or of an unknown kind.
std::optional<Dib> DecodeDib(const ByteReader& info, const ByteReader& bits, const DibRequest& request);

// A packed DIB (header, colour table and rows back to back), as WMF records
// and pattern brushes hold it.
std::optional<Dib> DecodePackedDib(const ByteReader& packed, const DibRequest& request);

}  // namespace imaging::metafile
