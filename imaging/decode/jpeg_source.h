#pragma once
// JPEG pictures through libjpeg-turbo: one page, presented upright, and
// decoded smaller for free (DCT scaling) when the caller will shrink it.

#include "imaging/core/picture_source.h"

namespace imaging::decode {

Status OpenJpegSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source);

// The smallest n (1..8) for which decoding at n/8 still gives at least
// minWidth x minHeight of the upright picture.
int JpegScaleNumeratorFor(int storedWidth, int storedHeight, int orientation, int minWidth, int minHeight);

}  // namespace imaging::decode
