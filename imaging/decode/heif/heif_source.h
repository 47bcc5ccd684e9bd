#pragma once
// HEIF pictures (HEIC, AVIF and the rest of the family) through libheif.
// Every top-level image is a page, the primary image first, each turned
// upright by the file's own rotation, mirroring and crop.

#include "imaging/core/picture_source.h"
#include "imaging/decode/embedded_metadata.h"

namespace imaging::decode {

class HeifSource : public PictureSource {
public:
    // The colour profile, Exif and XMP of page `index` (empty beyond the
    // last page).
    virtual const EmbeddedMetadata& Metadata(std::uint32_t index) const = 0;
};

// UnknownImageFormat when libheif cannot decode the file's codec.
Status OpenHeifSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source);

}  // namespace imaging::decode
