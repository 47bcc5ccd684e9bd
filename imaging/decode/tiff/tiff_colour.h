#pragma once
// One row of TIFF samples to one row of Rgb8 or Rgba8 pixels, by the
// page's colour model. CMYK without a profile is turned into RGB the
// plain way other readers do, R = 255 (1-C)(1-K) and likewise for G and B.
// Premultiplied alpha is undone, as our pixels carry straight alpha.

#include "imaging/decode/tiff/tiff_page.h"
#include "imaging/decode/tiff/tiff_samples.h"

namespace imaging::decode::tiff {

// `planes` holds one row per sample when the page is planar, else one row
// of interleaved samples. Writes page.width pixels of page.layout() to `out`.
void ConvertRow(const TiffPage& page, const SampleReader& reader, const std::uint8_t* const* planes,
                std::uint8_t* out);

// The page's decoded rows are already pixels of page.layout(), byte for
// byte: 8-bit interleaved RGB, or RGBA with straight alpha last.
bool RowsArePixels(const TiffPage& page);

}  // namespace imaging::decode::tiff
