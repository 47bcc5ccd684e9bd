#pragma once
// Camera RAW pictures through LibRaw: camera white balance, sRGB, 8 bits per
// channel, full size, turned upright as the camera recorded it.

#include "imaging/core/picture_source.h"

namespace imaging::decode {

// UnknownImageFormat when LibRaw does not take the file for a RAW picture
// (a plain TIFF, say), so the caller can hand it to another reader.
Status OpenRawSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source);

}  // namespace imaging::decode
