#pragma once
// The colour profile and the Exif and XMP blocks of one HEIF image, and
// the resolution its Exif block states.

#include "imaging/core/picture_source.h"
#include "imaging/decode/embedded_metadata.h"

#include <libheif/heif.h>

namespace imaging::decode::heif {

EmbeddedMetadata ReadMetadata(const heif_image_handle* handle);

// What a page's metadata means for a conversion: its ICC profile, or one
// made from its nclx code points (none where those mean sRGB or cannot be
// represented), and its Exif and XMP blocks.
PictureInfo PictureInfoFrom(const EmbeddedMetadata& metadata);

struct Dpi {
    float x, y;
};

// XResolution/YResolution with their unit from an Exif TIFF structure;
// 96 where it states none.
Dpi ResolutionFromExif(const QByteArray& exifTiff);

}  // namespace imaging::decode::heif
