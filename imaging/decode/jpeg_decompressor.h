#pragma once
// One pass of libjpeg-turbo over one JPEG file: the header (size, colour
// space, density, EXIF orientation and resolution), then one decode at a
// DCT scale of n/8 into RGB rows. libjpeg reports errors by longjmp; every
// call that can do so runs in a small guarded function with trivial locals,
// so no C++ destructor is ever jumped over. Warnings of damaged data count
// as errors: a truncated JPEG must fail, not turn grey at the bottom.

#include "imaging/core/status.h"
#include "imaging/core/picture_source.h"

#include <QString>

#include <memory>

namespace imaging::decode {

struct JpegHeader {
    int width = 0;   // as stored, before the orientation is applied
    int height = 0;
    int orientation = 1;
    float dpiX = 96;
    float dpiY = 96;
    bool progressive = false;
    bool cmyk = false;  // CMYK or YCCK, converted to RGB here
    // The profile and metadata segments; for CMYK with a usable profile,
    // profileApplied is set: the rows come out converted through it.
    PictureInfo info;
};

// The side libjpeg produces when it decodes `side` pixels at n/8.
constexpr int JpegScaledSide(int side, int numerator) {
    return static_cast<int>((static_cast<long long>(side) * numerator + 7) / 8);
}

class JpegDecompressor {
public:
    JpegDecompressor();
    ~JpegDecompressor();
    JpegDecompressor(const JpegDecompressor&) = delete;
    JpegDecompressor& operator=(const JpegDecompressor&) = delete;

    // Opens the file and reads its header.
    Status Open(const QString& path);
    const JpegHeader& header() const { return header_; }
    // Decoding band by band: Start checks the size of the picture at
    // numerator/8 (1..8) against `limits` and begins; ReadRows decodes up
    // to maxRows further rows (RGB, `stride` bytes apart); Finish reads to
    // the end marker, so a file cut short after its last row still fails.
    Status Start(int numerator, const DecodeLimits& limits, int& width, int& height);
    Status ReadRows(std::uint8_t* base, std::size_t stride, int maxRows, int& rowsRead);
    Status Finish();
    // After Start: passes over the next `count` rows without producing
    // them. Only the entropy decoder runs, so damage is still found.
    Status SkipRows(int count);
    // After Start: the rows one row of MCUs makes at the chosen scale; a
    // skip that ends on a multiple of it avoids decoding a partial row.
    int RowsPerMcuRow() const;

private:
    struct State;
    std::unique_ptr<State> state_;
    JpegHeader header_;
};

}  // namespace imaging::decode
