#pragma once
// The colour profile and metadata of a WebP file, read from its RIFF
// container ("ICCP", "EXIF" and "XMP " chunks) without decoding the
// picture. Every chunk's size is checked against the container and the
// file; reading stops at the first chunk that does not fit, keeping what
// came before. A file that is not a WebP container gives nothing.

#include "imaging/core/picture_source.h"

#include <QIODevice>
#include <QString>

namespace imaging::decode {

PictureInfo ReadWebpChunks(QIODevice& file);
PictureInfo ReadWebpChunks(const QString& path);

}  // namespace imaging::decode
