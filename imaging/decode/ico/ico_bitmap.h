#pragma once
// A bitmap entry of an icon or cursor: a BITMAPINFOHEADER whose height
// covers two images, the colour rows (1, 4, 8, 16, 24 or 32 bits a pixel)
// and below them a 1-bit AND mask whose set bits are transparent. The
// colour rows are decoded by the metafile player's bitmap reader; the mask
// becomes the alpha channel (32-bit pixels keep their own alpha when they
// carry any).
//
// Which size is believed: the entry's own header (its width and half its
// height) when the rows it implies lie within the file, else the
// directory's size when those do. A header or directory that claims more
// rows than the file holds is never read past the file's end.

#include "imaging/core/picture_source.h"
#include "imaging/decode/ico/ico_directory.h"

#include <cstddef>
#include <cstdint>

namespace imaging::decode::ico {

// The size DecodeIcoBitmap would deliver, without decoding the rows.
Status MeasureIcoBitmap(const std::uint8_t* data, std::size_t available, const IcoEntry& entry, int& width,
                        int& height);

// `data` holds the bytes from the entry's offset to the end of the file.
// Delivers Rgba8.
Status DecodeIcoBitmap(const std::uint8_t* data, std::size_t available, const IcoEntry& entry,
                       const DecodeLimits& limits, PixelBuffer& out);

}  // namespace imaging::decode::ico
