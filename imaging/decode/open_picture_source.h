#pragma once
// The one door into the decoders: the file's content (never its name) picks
// JPEG, camera RAW, a metafile, or Qt's readers.

#include "imaging/core/picture_source.h"
#include "imaging/core/status.h"

#include <QString>

#include <memory>

namespace imaging {

Status OpenPictureSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source);

}  // namespace imaging
