#pragma once
// The GIF picture source (giflib): every image of the file is a frame of
// the time dimension, composited on the logical screen as viewers show it.

#include "imaging/core/picture_source.h"

#include <QString>

#include <memory>

namespace imaging::decode {

Status OpenGifSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source);

}  // namespace imaging::decode
