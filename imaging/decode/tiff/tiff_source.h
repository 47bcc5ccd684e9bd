#pragma once
// TIFF pictures through libtiff: every directory is a page.

#include "imaging/core/picture_source.h"

namespace imaging::decode {

// Reads the directory chain and the first page's tags; nothing is decoded
// until a frame is asked for.
Status OpenTiffSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source);

}  // namespace imaging::decode
