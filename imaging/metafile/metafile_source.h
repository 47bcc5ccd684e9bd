#pragma once
// WMF and EMF pictures as a PictureSource: one page of one frame, sized
// and resolved as the metafile's header says, decoded by playing the
// records onto a white bitmap.

#include "imaging/core/picture_source.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace imaging {

// True when the first bytes (at least 44 of them for an EMF) look like a
// placeable WMF, a standard WMF or an EMF.
bool LooksLikeMetafile(const QByteArray& firstBytes);

// Reads the whole file and checks its header and record chain; the size
// is checked against `limits` before any bitmap is allocated.
Status OpenMetafileSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source);

// The same for bytes already in memory.
Status OpenMetafileSourceFromBytes(const QByteArray& bytes, const DecodeLimits& limits,
                                   std::unique_ptr<PictureSource>& source);

}  // namespace imaging
