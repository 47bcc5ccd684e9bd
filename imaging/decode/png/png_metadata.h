#pragma once
// The colour profile and metadata blocks of a PNG, from the chunks libpng
// read before the image data: iCCP (libpng inflates it, bounded by the
// chunk limit the reader sets), eXIf, XMP in the iTXt chunk keyed
// "XML:com.adobe.xmp", and ImageMagick's "Raw profile type ..." text
// chunks for files written without the proper chunks. Of the chunks after
// the image data only eXIf is looked for. Anything malformed is left out.

#include "imaging/core/picture_source.h"

#include <QByteArray>
#include <QString>

#include <png.h>

namespace imaging::decode {

struct PngBlocks {
    QByteArray iccProfile;
    QByteArray exif;  // as stored: a TIFF stream, or "Exif\0\0" and one
    QByteArray xmp;
};

// Call after png_read_info.
PngBlocks ReadPngBlocks(png_structp png, png_infop info);

// The first eXIf chunk of the file at `path` wherever it lies, found by
// walking the chunk headers (CRC checked, at most the bound in size).
// libpng's header reading stops at the image data, where ImageMagick puts
// eXIf, and drops a block that starts with "Exif\0\0", as ImageMagick
// sometimes writes it. Empty when there is none.
QByteArray ReadExifChunk(const QString& path);

// ImageMagick's text form of a profile: a newline, the profile's name, its
// length in decimal, then its bytes as hexadecimal digits over several
// lines. Empty when the text does not hold as many bytes as it states.
QByteArray DecodeRawProfile(const QByteArray& text);

// The blocks as a conversion takes them: Exif as a bare TIFF stream (a
// leading "Exif\0\0" removed; dropped when no TIFF header follows).
PictureInfo PictureInfoFrom(const PngBlocks& blocks);

}  // namespace imaging::decode
