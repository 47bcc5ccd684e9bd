#pragma once
// Which of a source's metadata goes into the output, and in what form: the
// EXIF, XMP and IPTC blocks that describe the photo (when and how it was
// taken, by whom, its title and keywords), rewritten for the output
// picture. Anything malformed is dropped silently; nothing here fails a
// conversion.

#include "imaging/core/picture_source.h"

namespace imaging::metadata {

enum class MetadataPolicy {
    Descriptive,   // what describes the photo; no location, serial numbers,
                   // owner, maker notes or thumbnail
    WithLocation,  // the same plus GPS, serial numbers and owner
    None,          // nothing at all
};

// Facts about the output picture that its EXIF states.
struct OutputFacts {
    int width = 0;  // as written, after any rotation
    int height = 0;
    int xdpi = 96;
    int ydpi = 96;
};

// The blocks to write (exif, xmp, iptc; the profile is left empty). EXIF
// gets Orientation 1 (the pixels are upright), the output's pixel size and
// resolution. A block that is absent from the source, or cannot be read,
// stays empty.
PictureInfo OutputMetadata(const PictureInfo& source, MetadataPolicy policy, const OutputFacts& facts);

}  // namespace imaging::metadata
