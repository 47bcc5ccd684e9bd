#pragma once
// Icons (ICO) and cursors (CUR): every entry of the directory is a page,
// in the directory's order; each is a PNG or a bitmap with its mask.

#include "imaging/core/picture_source.h"

#include <QString>

#include <memory>

namespace imaging::decode {

// Reads the file and its directory and decodes the first entry, which
// proves the file readable. UnknownImageFormat when it is no icon or cursor.
Status OpenIcoSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source);

}  // namespace imaging::decode
