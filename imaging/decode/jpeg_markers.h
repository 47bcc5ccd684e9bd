#pragma once
// The profile and metadata a JPEG carries in its APPn segments, gathered
// from the markers libjpeg saved while it read the header.

#include "imaging/core/picture_source.h"

struct jpeg_marker_struct;

namespace imaging::decode {

// APP2 ICC_PROFILE chunks joined in sequence order (a chain with a chunk
// missing, doubled or numbered inconsistently gives no profile), the first
// APP1 Exif block, the first APP1 XMP packet, and the IPTC datasets of the
// Photoshop APP13 segment(s).
PictureInfo ReadJpegMarkers(const jpeg_marker_struct* markers);

}  // namespace imaging::decode
