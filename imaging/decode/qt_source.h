#pragma once
// Pictures Qt's image readers decode (PNG, BMP/DIB, GIF, ICO, TIFF, WebP
// and the rest of the installed plugins), chosen by content.

#include "imaging/core/picture_source.h"

namespace imaging::decode {

// UnknownImageFormat when no reader recognises the content.
Status OpenQtSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source);

}  // namespace imaging::decode
