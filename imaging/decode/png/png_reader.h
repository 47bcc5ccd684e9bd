#pragma once
// One pass of libpng over one PNG file: the header (size, layout, pHYs
// resolution, EXIF orientation, the ICC profile, EXIF and XMP bytes), then the
// rows, as 8-bit RGB or RGBA. libpng reports errors by longjmp; every call
// that can do so runs in a small guarded function with trivial locals, so
// no C++ destructor is ever jumped over.
//
// Samples are taken as stored: no gamma correction. 16-bit samples are
// scaled to 8 bits with rounding; palettes, grey and tRNS colour keys are
// expanded to RGB, with alpha where the file has any. A damaged critical
// chunk, a zlib error or a file cut short is an error. An ancillary chunk
// with a bad CRC is dropped (its pixels are intact), as viewers do.
// Animated PNGs read as their default image: the animation chunks are
// ancillary and skipped.

#include "imaging/core/picture_source.h"
#include "imaging/core/pixel_buffer.h"
#include "imaging/core/status.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace imaging::decode {

struct PngHeader {
    int width = 0;  // as stored, before the orientation is applied
    int height = 0;
    bool interlaced = false;
    PixelLayout layout = PixelLayout::Rgb8;  // Rgba8 when the file has alpha or tRNS
    int orientation = 1;
    float dpiX = 96;
    float dpiY = 96;
    QByteArray iccProfile;  // the iCCP chunk's profile, uncompressed
    QByteArray exif;        // the eXIf chunk (or ImageMagick's raw EXIF text), a TIFF stream
    QByteArray xmp;         // the XMP packet of the iTXt chunk
};

class PngReader {
public:
    PngReader();
    ~PngReader();
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;

    // Opens the file and reads everything up to the first image data. The
    // size is checked against `limits` before libpng allocates anything
    // for the picture (OutOfMemory), and libpng's own limits are set from
    // them too.
    Status Open(const QString& path, const DecodeLimits& limits);
    const PngHeader& header() const { return header_; }

    // Decodes up to `maxRows` further rows of a non-interlaced picture,
    // `stride` bytes apart. The rows read, or an error.
    Status ReadRows(std::uint8_t* base, std::size_t stride, int maxRows, int& rowsRead);
    // The whole picture (interlaced or not) into `out`, stored orientation.
    Status ReadImage(PixelBuffer& out);
    // Reads the chunks after the image data up to IEND, so that a file cut
    // short after its last row still fails.
    Status Finish();

private:
    struct State;
    std::unique_ptr<State> state_;
    PngHeader header_;
};

}  // namespace imaging::decode
