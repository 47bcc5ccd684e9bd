#pragma once
// JPEG XL through libjxl: one pass over the whole file that reads the
// header, the colour profiles and metadata boxes and counts the frames, and the decode of one
// frame as 8-bit RGB(A), upright and composited with the frames before it
// (libjxl's coalescing) as a viewer shows it.

#include "imaging/core/picture_source.h"

#include <QByteArray>

namespace imaging::decode::jxl {

struct Summary {
    int width = 0;  // upright, after the file's orientation
    int height = 0;
    bool alpha = false;
    bool grey = false;
    bool animation = false;
    bool usesOriginalProfile = false;  // samples stored in the file's colour space, not XYB
    std::uint32_t frames = 0;          // displayed frames
    QByteArray iccProfile;             // the file's own colour profile
    QByteArray pixelProfile;           // the decoded pixels' profile; empty for sRGB
    QByteArray exif;                   // the Exif box's TIFF structure
    QByteArray xmp;                    // the XMP packet of the "xml " box
};

// Reads the whole codestream once without decoding pixels. The size is
// checked against the limits as soon as the header is read; a file that
// ends early is an error.
Status Scan(const QByteArray& file, const DecodeLimits& limits, Summary& summary);

// Decodes displayed frame `index` into `out` (Rgb8, or Rgba8 with straight
// alpha). Anything short of a complete frame is an error.
Status DecodeFrame(const QByteArray& file, const Summary& summary, std::uint32_t index, PixelBuffer& out);

}  // namespace imaging::decode::jxl
