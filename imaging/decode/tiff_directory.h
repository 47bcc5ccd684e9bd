#pragma once
// A small reader of TIFF directories (classic TIFF, either byte order), for
// what the decoders need to know before choosing how to decode: whether a
// TIFF is a camera RAW (a Make or DNGVersion tag), the orientation and
// resolution tags (also inside JPEG's EXIF block), and whether every strip
// and tile the directories point at lies inside the file, which catches
// truncated RAW files that their decoder would fill with zeros.

#include <QIODevice>

namespace imaging::decode {

struct TiffSummary {
    bool valid = false;  // a classic TIFF header and a readable first directory
    bool hasMake = false;
    bool hasDngVersion = false;
    int orientation = 1;  // 1..8 as EXIF defines it
    double xResolution = 0;
    double yResolution = 0;
    int resolutionUnit = 2;  // 1 none, 2 inch, 3 centimetre
    // False when a strip or tile of any directory reaches past the end.
    bool imageDataWithinFile = true;
};

// Reads the first directory's tags, then walks the directory chain and the
// sub-directories for strips and tiles. Never reads outside the device.
TiffSummary ReadTiffSummary(QIODevice& device);

}  // namespace imaging::decode
