#pragma once
// Whether libtiff's estimate of a directory's strip byte counts can be
// used. libtiff replaces counts it finds bogus (too large for the file,
// zero, unequal strips) by the size the rows need. That is safe only for
// uncompressed strips whose stated count was at least what the rows need
// (a writer that wrote too large a number) and whose rows lie within the
// file. A count of zero or one too small means the data is missing or cut
// short: decoding the estimate would show whatever bytes follow.

#include "imaging/decode/tiff/tiff_file.h"
#include "imaging/decode/tiff/tiff_page.h"

namespace imaging::decode::tiff {

// Ok when the current directory's counts were not estimated or the
// estimate is safe; GenericError otherwise.
Status CheckEstimatedCounts(TiffFile& file, const TiffPage& page);

}  // namespace imaging::decode::tiff
