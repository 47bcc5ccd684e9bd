#pragma once
// The lists of what is kept, one function per kind of block.

#include "imaging/metadata/output_metadata.h"

#include <cstdint>
#include <string>

namespace imaging::metadata {

// An EXIF tag of IFD0 ("Image"), the Exif IFD ("Photo") or the GPS IFD
// ("GPSInfo"); every other group (thumbnail, maker notes, interop) goes.
bool KeepExifTag(const std::string& group, std::uint16_t tag, MetadataPolicy policy);
// An XMP property by its Exiv2 key ("Xmp.dc.title", "Xmp.dc.subject[1]").
bool KeepXmpKey(const std::string& key, MetadataPolicy policy);
// An IPTC dataset by record and number.
bool KeepIptcDataset(std::uint16_t record, std::uint16_t dataset, MetadataPolicy policy);

}  // namespace imaging::metadata
