#pragma once
// Pages in colour models libtiff converts itself (YCbCr, old-style JPEG,
// CIELab, LogLuv): decoded through libtiff's RGBA interface into a raster
// in stored order, then copied out as Rgb8, or as Rgba8 with straight
// alpha when the page has alpha.

#include "imaging/decode/tiff/tiff_file.h"
#include "imaging/decode/tiff/tiff_page.h"

namespace imaging::decode::tiff {

Status ReadRgbaPage(TiffFile& file, const TiffPage& page, PixelBuffer& out);

}  // namespace imaging::decode::tiff
