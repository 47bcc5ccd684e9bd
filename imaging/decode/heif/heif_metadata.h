#pragma once
// The colour profile and the Exif and XMP blocks of one HEIF image, and
// the resolution its Exif block states.

#include "imaging/decode/embedded_metadata.h"

#include <libheif/heif.h>

namespace imaging::decode::heif {

EmbeddedMetadata ReadMetadata(const heif_image_handle* handle);

// HEIF's Exif item starts with a 32-bit big-endian offset from its end to
// the TIFF header (usually 6, past "Exif\0\0"). Returns the TIFF structure,
// or an empty array when the item does not hold one.
QByteArray ExifTiffFromItem(const QByteArray& item);

struct Dpi {
    float x, y;
};

// XResolution/YResolution with their unit from an Exif TIFF structure;
// 96 where it states none.
Dpi ResolutionFromExif(const QByteArray& exifTiff);

}  // namespace imaging::decode::heif
