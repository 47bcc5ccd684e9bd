#pragma once
// The TIFF structure of an Exif block as the containers store it: ISO
// BMFF files (HEIF's Exif item, JPEG XL's Exif box) put a 32-bit offset to
// it first; WebP and PNG writers sometimes keep JPEG's "Exif\0\0" prefix;
// others store it bare. What a conversion keeps is the TIFF structure
// alone ("II*\0" or "MM\0*" first); anything else is not Exif.

#include <QByteArray>

namespace imaging::decode {

// An ISO BMFF Exif item or box: a big-endian 32-bit offset from its end to
// the TIFF header (0 in JPEG XL, usually 6, past "Exif\0\0", in HEIF).
// Empty when it does not hold a TIFF structure.
QByteArray TiffFromBmffExif(const QByteArray& item);

// A bare TIFF structure, or one after "Exif\0\0"; empty when neither.
QByteArray TiffFromExifBlock(const QByteArray& block);

}  // namespace imaging::decode
