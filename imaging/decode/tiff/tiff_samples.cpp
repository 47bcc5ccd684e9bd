#include "imaging/decode/tiff/tiff_samples.h"

#include <cmath>
#include <cstring>

namespace imaging::decode::tiff {
namespace {

template <typename T>
T Load(const std::uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// `bits` bits starting at bit `first` of a most-significant-bit-first stream.
std::uint32_t BitsAt(const std::uint8_t* row, std::uint64_t first, int bits) {
    std::uint64_t v = 0;
    std::uint64_t byte = first / 8;
    int skip = static_cast<int>(first % 8);
    int need = bits + skip;
    int loaded = 0;
    while (loaded < need) {
        v = (v << 8) | row[byte++];
        loaded += 8;
    }
    v >>= loaded - need;
    return static_cast<std::uint32_t>(v & ((std::uint64_t{1} << bits) - 1));
}

std::uint8_t RoundToByte(double unit) {
    if (!(unit > 0.0)) return 0;  // also NaN
    if (unit >= 1.0) return 255;
    return static_cast<std::uint8_t>(unit * 255.0 + 0.5);
}

}  // namespace

float HalfToFloat(std::uint16_t half) {
    const int sign = half >> 15;
    const int exponent = (half >> 10) & 0x1F;
    const int mantissa = half & 0x3FF;
    float v;
    if (exponent == 0) v = std::ldexp(static_cast<float>(mantissa), -24);
    else if (exponent == 31) v = mantissa ? NAN : INFINITY;
    else v = std::ldexp(static_cast<float>(mantissa | 0x400), exponent - 25);
    return sign ? -v : v;
}

SampleReader::SampleReader(const TiffPage& page)
    : kind_(page.kind), bits_(page.bitsPerSample),
      // 64-bit samples are only ever floats, which do not use the range.
      maxValue_(page.bitsPerSample < 64 ? static_cast<double>((std::uint64_t{1} << page.bitsPerSample) - 1) : 0.0),
      floatMin_(page.floatMin),
      floatScale_(1.0 / (page.floatMax - page.floatMin)) {}

std::uint32_t SampleReader::Raw(const std::uint8_t* row, std::size_t index) const {
    switch (bits_) {
        case 8: return row[index];
        case 16: return Load<std::uint16_t>(row + index * 2);
        case 32: return Load<std::uint32_t>(row + index * 4);
        case 24: {
            const std::uint8_t* p = row + index * 3;
            return p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
        }
        default: return BitsAt(row, static_cast<std::uint64_t>(index) * bits_, bits_);
    }
}

std::uint8_t SampleReader::FromFloat(double v) const { return RoundToByte((v - floatMin_) * floatScale_); }

std::uint8_t SampleReader::Byte(const std::uint8_t* row, std::size_t index) const {
    if (kind_ == SampleKind::Float) {
        if (bits_ == 16) return FromFloat(HalfToFloat(Load<std::uint16_t>(row + index * 2)));
        if (bits_ == 32) return FromFloat(Load<float>(row + index * 4));
        return FromFloat(Load<double>(row + index * 8));
    }
    if (bits_ == 8 && kind_ == SampleKind::Unsigned) return row[index];
    std::uint32_t v = Raw(row, index);
    // Two's complement moved up by half the range: the lowest value is 0.
    if (kind_ == SampleKind::Signed) v ^= std::uint32_t{1} << (bits_ - 1);
    if (bits_ == 16) return static_cast<std::uint8_t>((v * 255u + 32767u) / 65535u);
    return RoundToByte(v / maxValue_);
}

}  // namespace imaging::decode::tiff
