#pragma once
// BMP files with the old OS/2 1.x header (BITMAPCOREHEADER) whose colour
// table holds fewer entries than the depth allows. Qt's reader takes such
// a table as full and so reads the rows from the wrong place; these files
// are decoded by the metafile player's bitmap reader instead, with the
// table as long as the file makes it. Every other BMP stays with Qt.

#include "imaging/core/picture_source.h"

#include <QString>

#include <memory>

namespace imaging::decode {

Status OpenCoreBitmapSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source);

}  // namespace imaging::decode
