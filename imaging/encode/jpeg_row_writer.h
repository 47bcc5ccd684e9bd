#pragma once
// A baseline JPEG (4:2:0, JFIF density in dots per inch) written with
// libjpeg-turbo row by row into an open stream, so a picture can be encoded
// while it is still being decoded. The whole-buffer writer (jpeg_writer.h)
// is built on it, so both write the very same files.

#include "imaging/core/picture_source.h"

#include <cstdint>
#include <cstdio>
#include <memory>

namespace imaging {

struct JpegSettings {
    int quality = 75;  // 1 to 100, as libjpeg takes it
    int xdpi = 96;
    int ydpi = 96;
};

class JpegRowWriter {
public:
    JpegRowWriter();
    ~JpegRowWriter();
    JpegRowWriter(const JpegRowWriter&) = delete;
    JpegRowWriter& operator=(const JpegRowWriter&) = delete;

    // Writes the headers of a width x height RGB picture: the JFIF header,
    // then the blocks that are not empty: exif as APP1 "Exif", xmp as APP1
    // XMP, iccProfile as APP2 ICC_PROFILE chunks, iptc as an APP13
    // Photoshop resource; a block too large for its segment is left out
    // (profileApplied is not looked at). False when the encoder reports an
    // error, writing to the stream included.
    bool Start(int width, int height, const JpegSettings& settings, std::FILE* out,
               const PictureInfo& blocks = PictureInfo{});
    // The next `count` rows, width x 3 bytes each (R, G, B); libjpeg only
    // reads them. False after any error, or for rows beyond the height.
    bool Write(const std::uint8_t* const* rows, int count);
    // Ends the picture once every row was written. False otherwise or when
    // the encoder reports an error.
    bool Finish();

    struct Compressor;  // libjpeg's state, known only to the encoder's source

private:
    std::unique_ptr<Compressor> c_;
    bool failed_ = false;
};

}  // namespace imaging
