#pragma once
// Reading one sample of a decoded TIFF row and bringing it to 8 bits.
// libtiff hands rows over with 16-, 24-, 32- and 64-bit samples in the
// machine's byte order; other depths are a bit stream, most significant
// bit first. Scaling rules, chosen to match ImageMagick's renderings:
//   unsigned integers  0 .. 2^bits-1 -> 0..255, rounded (12-bit and 32-bit
//                      grey included: the full range of the depth, not the
//                      range the picture happens to use)
//   signed integers    -2^(bits-1) .. 2^(bits-1)-1 -> 0..255, so zero is
//                      middle grey (Pillow clips negatives to black instead)
//   floating point     the stated SMinSampleValue..SMaxSampleValue, else
//                      0..1, clamped; NaN is black

#include "imaging/decode/tiff/tiff_page.h"

#include <cstddef>
#include <cstdint>

namespace imaging::decode::tiff {

class SampleReader {
public:
    explicit SampleReader(const TiffPage& page);

    // Sample `index` of `row` (counted in samples) as stored, for palette
    // indices. Only for unsigned integer samples.
    std::uint32_t Raw(const std::uint8_t* row, std::size_t index) const;
    // Sample `index` of `row` scaled to 0..255.
    std::uint8_t Byte(const std::uint8_t* row, std::size_t index) const;

private:
    std::uint8_t FromFloat(double v) const;

    SampleKind kind_;
    int bits_;
    double maxValue_;  // of the unsigned range
    double floatMin_;
    double floatScale_;
};

// IEEE 754 half precision to float.
float HalfToFloat(std::uint16_t half);

}  // namespace imaging::decode::tiff
