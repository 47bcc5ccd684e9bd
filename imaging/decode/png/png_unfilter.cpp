// The Sub, Average and Paeth filters predict each byte from the pixel to
// its left, so a row is rebuilt pixel after pixel. With SSE2 a whole pixel
// of 3 or 4 bytes goes through one register at a time, which is what makes
// Average and Paeth rows, the common ones in photographs, cheap.
#include "imaging/decode/png/png_unfilter.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace imaging::decode {
namespace {

enum : std::uint8_t { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

void Sub(const std::uint8_t* in, std::uint8_t* out, std::size_t n, std::size_t bpp) {
    std::memcpy(out, in, bpp < n ? bpp : n);
    for (std::size_t i = bpp; i < n; ++i) out[i] = std::uint8_t(in[i] + out[i - bpp]);
}

void Up(const std::uint8_t* __restrict in, const std::uint8_t* __restrict prior, std::uint8_t* __restrict out,
        std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = std::uint8_t(in[i] + prior[i]);
}

void AverageBytes(const std::uint8_t* in, const std::uint8_t* prior, std::uint8_t* out, std::size_t n,
                  std::size_t bpp) {
    for (std::size_t i = 0; i < bpp && i < n; ++i) out[i] = std::uint8_t(in[i] + (prior[i] >> 1));
    for (std::size_t i = bpp; i < n; ++i) out[i] = std::uint8_t(in[i] + ((out[i - bpp] + prior[i]) >> 1));
}

std::uint8_t PaethPredictor(int a, int b, int c) {
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    if (pa <= pb && pa <= pc) return std::uint8_t(a);
    return std::uint8_t(pb <= pc ? b : c);
}

void PaethBytes(const std::uint8_t* in, const std::uint8_t* prior, std::uint8_t* out, std::size_t n,
                std::size_t bpp) {
    // With no pixel to the left, the predictor is the byte above.
    for (std::size_t i = 0; i < bpp && i < n; ++i) out[i] = std::uint8_t(in[i] + prior[i]);
    for (std::size_t i = bpp; i < n; ++i)
        out[i] = std::uint8_t(in[i] + PaethPredictor(out[i - bpp], prior[i], prior[i - bpp]));
}

#if defined(__SSE2__)

// Pixels go through 4-byte moves. For 3-byte pixels the fourth byte is the
// next pixel's: harmless on loads, and on stores it is rewritten by the
// next pixel. The row's last pixel moves byte by byte, so that nothing
// past the row is touched.
__m128i Load4(const std::uint8_t* p) {
    std::int32_t v;
    std::memcpy(&v, p, 4);
    return _mm_cvtsi32_si128(v);
}

__m128i LoadLast3(const std::uint8_t* p) { return _mm_cvtsi32_si128(p[0] | (p[1] << 8) | (p[2] << 16)); }

void Store4(std::uint8_t* p, __m128i v) {
    const std::int32_t x = _mm_cvtsi128_si32(v);
    std::memcpy(p, &x, 4);
}

void StoreLast3(std::uint8_t* p, __m128i v) {
    const auto x = static_cast<std::uint32_t>(_mm_cvtsi128_si32(v));
    p[0] = std::uint8_t(x);
    p[1] = std::uint8_t(x >> 8);
    p[2] = std::uint8_t(x >> 16);
}

template <std::size_t bpp>
__m128i LoadPixel(const std::uint8_t* p, bool last) {
    return bpp == 3 && last ? LoadLast3(p) : Load4(p);
}

template <std::size_t bpp>
void StorePixel(std::uint8_t* p, __m128i v, bool last) {
    if (bpp == 3 && last)
        StoreLast3(p, v);
    else
        Store4(p, v);
}

template <std::size_t bpp>
void AverageSse2(const std::uint8_t* in, const std::uint8_t* prior, std::uint8_t* out, std::size_t n) {
    const __m128i one = _mm_set1_epi8(1);
    __m128i left = _mm_setzero_si128();
    for (std::size_t i = 0; i + bpp <= n; i += bpp) {
        const __m128i b = LoadPixel<bpp>(prior + i, i + 4 > n);
        // _mm_avg_epu8 rounds up; the filter rounds down.
        const __m128i avg = _mm_sub_epi8(_mm_avg_epu8(left, b), _mm_and_si128(_mm_xor_si128(left, b), one));
        left = _mm_add_epi8(LoadPixel<bpp>(in + i, i + 4 > n), avg);
        StorePixel<bpp>(out + i, left, i + 4 > n);
    }
}

// The predictor on 16-bit lanes: p = a + b - c, and the neighbour nearest
// to p wins, a before b before c on ties.
template <std::size_t bpp>
void PaethSse2(const std::uint8_t* in, const std::uint8_t* prior, std::uint8_t* out, std::size_t n) {
    const __m128i zero = _mm_setzero_si128();
    __m128i a = zero, c = zero;
    for (std::size_t i = 0; i + bpp <= n; i += bpp) {
        const __m128i b = _mm_unpacklo_epi8(LoadPixel<bpp>(prior + i, i + 4 > n), zero);
        const __m128i pa = _mm_sub_epi16(b, c);  // p - a
        const __m128i pb = _mm_sub_epi16(a, c);  // p - b
        const __m128i pc = _mm_add_epi16(pa, pb);
        const __m128i absA = _mm_max_epi16(pa, _mm_sub_epi16(zero, pa));
        const __m128i absB = _mm_max_epi16(pb, _mm_sub_epi16(zero, pb));
        const __m128i absC = _mm_max_epi16(pc, _mm_sub_epi16(zero, pc));
        const __m128i useA = _mm_and_si128(_mm_cmplt_epi16(absA, _mm_add_epi16(absB, _mm_set1_epi16(1))),
                                           _mm_cmplt_epi16(absA, _mm_add_epi16(absC, _mm_set1_epi16(1))));
        const __m128i useB = _mm_cmplt_epi16(absB, _mm_add_epi16(absC, _mm_set1_epi16(1)));
        const __m128i bOrC = _mm_or_si128(_mm_and_si128(useB, b), _mm_andnot_si128(useB, c));
        const __m128i pred = _mm_or_si128(_mm_and_si128(useA, a), _mm_andnot_si128(useA, bOrC));
        const __m128i x = _mm_add_epi8(LoadPixel<bpp>(in + i, i + 4 > n), _mm_packus_epi16(pred, zero));
        StorePixel<bpp>(out + i, x, i + 4 > n);
        a = _mm_unpacklo_epi8(x, zero);
        c = b;
    }
}

#endif

}  // namespace

bool UnfilterRow(std::uint8_t filterType, int bytesPerPixel, const std::uint8_t* filtered,
                 const std::uint8_t* prior, std::uint8_t* out, std::size_t rowBytes) {
    const auto bpp = static_cast<std::size_t>(bytesPerPixel);
    switch (filterType) {
    case kNone: std::memcpy(out, filtered, rowBytes); return true;
    case kSub: Sub(filtered, out, rowBytes, bpp); return true;
    case kUp: Up(filtered, prior, out, rowBytes); return true;
    default: break;
    }
#if defined(__SSE2__)
    if (bpp == 3 && filterType == kAverage) return AverageSse2<3>(filtered, prior, out, rowBytes), true;
    if (bpp == 4 && filterType == kAverage) return AverageSse2<4>(filtered, prior, out, rowBytes), true;
    if (bpp == 3 && filterType == kPaeth) return PaethSse2<3>(filtered, prior, out, rowBytes), true;
    if (bpp == 4 && filterType == kPaeth) return PaethSse2<4>(filtered, prior, out, rowBytes), true;
#endif
    switch (filterType) {
    case kAverage: AverageBytes(filtered, prior, out, rowBytes, bpp); return true;
    case kPaeth: PaethBytes(filtered, prior, out, rowBytes, bpp); return true;
    default: return false;
    }
}

}  // namespace imaging::decode
