#pragma once
// The rows of a started JPEG decompressor, into a whole frame or band by
// band into a sink. A whole frame of a large sequential picture is decoded
// on two threads (see jpeg_lower_part.h), with the same rows as on one.

#include "imaging/core/picture_source.h"
#include "imaging/core/pixel_buffer.h"
#include "imaging/core/status.h"

#include <QString>

namespace imaging::decode {

class JpegDecompressor;

// What the decompressor was opened on and started with, for the second
// decompressor to do the same.
struct JpegPass {
    QString path;
    int numerator = 8;
    DecodeLimits limits;
    int width = 0;  // the size Start gave
    int height = 0;
};

// Every row into `out` (allocated here, Rgb8), then the end of the file.
Status DecodeJpegFrame(JpegDecompressor& started, const JpegPass& pass, PixelBuffer& out);
// Every row to `sink` in order, in bands, then the end of the file.
Status StreamJpegRows(JpegDecompressor& started, const JpegPass& pass, RowSink& sink);

}  // namespace imaging::decode
