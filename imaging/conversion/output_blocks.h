#pragma once
// What an output JPEG says about itself beyond its pixels: the size and
// resolution its EXIF states, and the profile and metadata blocks it
// carries. The whole-frame and the streamed conversions both take them from
// here, so their files match.

#include "imaging/conversion/conversion.h"

namespace imaging {

// An output of `width` x `height` pixels at xdpi x ydpi, as the JFIF header
// rounds the resolution.
metadata::OutputFacts OutputFactsFor(std::uint32_t width, std::uint32_t height, float xdpi, float ydpi);

// The blocks for a picture whose file holds `source`: its metadata as the
// policy keeps it, and its profile when it is kept unapplied.
PictureInfo OutputBlocksFor(const PictureInfo& source, const metadata::OutputFacts& facts,
                            metadata::MetadataPolicy policy, ColourHandling colour);

}  // namespace imaging
