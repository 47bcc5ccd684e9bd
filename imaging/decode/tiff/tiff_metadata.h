#pragma once
// The first page's colour profile and descriptive metadata, read from its
// directory as the file stores them: the ICC profile (tag 34675), the XMP
// packet (700), the IPTC datasets (33723), and an EXIF block made of the
// descriptive tags of the directory (ImageDescription, Make, Model,
// Software, DateTime, Artist, Copyright) and the entries of its EXIF
// directory, written as a small TIFF structure of their own as a JPEG's
// APP1 holds one. Every block is bounded in size; a malformed one, or a
// profile of another colour space than the page's, is left out.

#include "imaging/core/picture_source.h"
#include "imaging/decode/tiff/tiff_page.h"

#include <QIODevice>

namespace imaging::decode::tiff {

// Reads the blocks of the directory at `ifdOffset` of the TIFF in `device`.
PictureInfo ReadTiffMetadata(QIODevice& device, std::uint64_t ifdOffset, const TiffPage& page);

}  // namespace imaging::decode::tiff
