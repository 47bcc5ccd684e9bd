// The separable bicubic resampler (see resample.h for its conventions).
#include "imaging/scale/resample.h"

#include "imaging/core/parallel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace imaging {

double KeysCubic(double x) {
    constexpr double a = -0.5;
    x = std::fabs(x);
    if (x < 1.0) return ((a + 2.0) * x - (a + 3.0)) * x * x + 1.0;
    if (x < 2.0) return ((a * x - 5.0 * a) * x + 8.0 * a) * x - 4.0 * a;
    return 0.0;
}

namespace {

// The source indices one output pixel reads, with their weights, before
// they are packed to the axis' common tap count.
struct PixelTaps {
    int first = 0;
    std::vector<double> weights;  // for first, first + 1, ...
};

PixelTaps TapsFor(double centre, double filterScale, int lo, int hi) {
    const double support = 2.0 * filterScale;
    const int from = static_cast<int>(std::floor(centre - support));
    const int to = static_cast<int>(std::ceil(centre + support));
    const int firstIndex = std::clamp(from, lo, hi);
    const int lastIndex = std::clamp(to, lo, hi);
    PixelTaps taps;
    taps.first = firstIndex;
    taps.weights.assign(static_cast<std::size_t>(lastIndex - firstIndex + 1), 0.0);
    double sum = 0.0;
    for (int j = from; j <= to; ++j) {
        const double w = KeysCubic((j + 0.5 - centre) / filterScale);
        if (w == 0.0) continue;
        // Indices past an edge fold onto the edge pixel.
        taps.weights[static_cast<std::size_t>(std::clamp(j, lo, hi) - firstIndex)] += w;
        sum += w;
    }
    if (sum != 0.0) {
        for (double& w : taps.weights) w /= sum;
    }
    // Trim zero weights at both ends so the packed window is as short as
    // the filter allows.
    std::size_t begin = 0;
    std::size_t end = taps.weights.size();
    while (end > begin + 1 && taps.weights[end - 1] == 0.0) --end;
    while (begin + 1 < end && taps.weights[begin] == 0.0) ++begin;
    taps.weights = std::vector<double>(taps.weights.begin() + static_cast<std::ptrdiff_t>(begin),
                                       taps.weights.begin() + static_cast<std::ptrdiff_t>(end));
    taps.first += static_cast<int>(begin);
    return taps;
}

bool IsCopy(const AxisWeights& axis) {
    if (axis.taps != 1) return false;
    for (std::size_t i = 0; i < axis.start.size(); ++i) {
        if (axis.weights[i] != 1.0f) return false;
        if (i > 0 && axis.start[i] != axis.start[i - 1] + 1) return false;
    }
    return true;
}

}  // namespace

AxisWeights ComputeAxisWeights(int srcBegin, int srcLength, int dstLength, int first, int count) {
    AxisWeights axis;
    if (srcLength <= 0 || dstLength <= 0 || count <= 0) return axis;
    const double scale = static_cast<double>(srcLength) / dstLength;
    const double filterScale = std::max(scale, 1.0);
    const int lo = srcBegin;
    const int hi = srcBegin + srcLength - 1;
    std::vector<PixelTaps> all(static_cast<std::size_t>(count));
    std::size_t taps = 1;
    for (int i = 0; i < count; ++i) {
        const double centre = srcBegin + (first + i + 0.5) * scale;
        all[static_cast<std::size_t>(i)] = TapsFor(centre, filterScale, lo, hi);
        taps = std::max(taps, all[static_cast<std::size_t>(i)].weights.size());
    }
    axis.taps = static_cast<int>(taps);
    axis.start.resize(static_cast<std::size_t>(count));
    axis.weights.assign(static_cast<std::size_t>(count) * taps, 0.0f);
    for (int i = 0; i < count; ++i) {
        const PixelTaps& t = all[static_cast<std::size_t>(i)];
        // Every window holds `taps` indices inside the source; a shorter
        // one is shifted back from the far edge and padded with zeros.
        const int start = std::max(lo, std::min(t.first, hi - axis.taps + 1));
        axis.start[static_cast<std::size_t>(i)] = start;
        float* w = axis.weights.data() + static_cast<std::size_t>(i) * taps;
        for (std::size_t k = 0; k < t.weights.size(); ++k)
            w[static_cast<std::size_t>(t.first - start) + k] = static_cast<float>(t.weights[k]);
    }
    axis.copy = IsCopy(axis);
    return axis;
}

namespace {

// acc[i] (+)= w * row[i]: one tap of the vertical pass over plain samples,
// a loop the compiler vectorises.
__attribute__((target_clones("avx2", "default"))) void AccumulateRow(float* acc, const std::uint8_t* row,
                                                                       std::size_t n, float w, bool first) {
    if (first) {
        for (std::size_t i = 0; i < n; ++i) acc[i] = w * static_cast<float>(row[i]);
    } else {
        for (std::size_t i = 0; i < n; ++i) acc[i] += w * static_cast<float>(row[i]);
    }
}

// The same over straight-alpha RGBA pixels, premultiplying on the way.
void AccumulatePremultipliedRow(float* acc, const std::uint8_t* row, std::size_t pixels, float w, bool first) {
    constexpr float inv255 = 1.0f / 255.0f;
    for (std::size_t p = 0; p < pixels; ++p) {
        const float a = static_cast<float>(row[4 * p + 3]);
        const float wa = w * a * inv255;
        float* out = acc + 4 * p;
        if (first) {
            out[0] = wa * row[4 * p];
            out[1] = wa * row[4 * p + 1];
            out[2] = wa * row[4 * p + 2];
            out[3] = w * a;
        } else {
            out[0] += wa * row[4 * p];
            out[1] += wa * row[4 * p + 1];
            out[2] += wa * row[4 * p + 2];
            out[3] += w * a;
        }
    }
}

inline std::uint8_t RoundToByte(float v) {
    v = std::clamp(v + 0.5f, 0.0f, 255.0f);
    return static_cast<std::uint8_t>(static_cast<int>(v));
}

// Four floats in one vector register (SSE on x86-64, whatever the target
// has elsewhere).
typedef float Float4 __attribute__((vector_size(16)));

inline Float4 Load4(const float* p) {
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The horizontal pass over an opaque row: each tap adds one pixel's three
// channels (and, unused, the next pixel's red: the row has a spare float
// at its end) in one vector operation.
__attribute__((target_clones("avx2", "default"))) void HorizontalRgb(const float* acc, int accOrigin,
                                                                       const AxisWeights& ax, std::uint8_t* out,
                                                                       int count) {
    const int taps = ax.taps;
    for (int x = 0; x < count; ++x) {
        const float* w = ax.weights.data() + static_cast<std::size_t>(x) * static_cast<std::size_t>(taps);
        const float* p = acc + static_cast<std::size_t>(ax.start[static_cast<std::size_t>(x)] - accOrigin) * 3;
        // Four independent sums, so the additions overlap.
        Float4 s0 = {0, 0, 0, 0}, s1 = s0, s2 = s0, s3 = s0;
        int k = 0;
        for (; k + 4 <= taps; k += 4) {
            s0 += Load4(p + 3 * k) * w[k];
            s1 += Load4(p + 3 * k + 3) * w[k + 1];
            s2 += Load4(p + 3 * k + 6) * w[k + 2];
            s3 += Load4(p + 3 * k + 9) * w[k + 3];
        }
        for (; k < taps; ++k) s0 += Load4(p + 3 * k) * w[k];
        const Float4 sum = (s0 + s1) + (s2 + s3);
        out[3 * x] = RoundToByte(sum[0]);
        out[3 * x + 1] = RoundToByte(sum[1]);
        out[3 * x + 2] = RoundToByte(sum[2]);
    }
}

// The horizontal pass over premultiplied RGBA, composited over `out`.
void HorizontalComposite(const float* acc, int accOrigin, const AxisWeights& ax, std::uint8_t* out, int count) {
    const int taps = ax.taps;
    for (int x = 0; x < count; ++x) {
        const float* w = ax.weights.data() + static_cast<std::size_t>(x) * static_cast<std::size_t>(taps);
        const float* p = acc + static_cast<std::size_t>(ax.start[static_cast<std::size_t>(x)] - accOrigin) * 4;
        float c[4] = {0, 0, 0, 0};
        for (int k = 0; k < taps; ++k) {
            for (int ch = 0; ch < 4; ++ch) c[ch] += w[k] * p[4 * k + ch];
        }
        const float rest = 1.0f - std::clamp(c[3], 0.0f, 255.0f) / 255.0f;
        for (int ch = 0; ch < 3; ++ch) out[3 * x + ch] = RoundToByte(c[ch] + rest * out[3 * x + ch]);
    }
}

}  // namespace

namespace {

// The rounding HorizontalRgb does, for a copy axis: acc's samples from
// column `from` are the output's.
void RoundRow(const float* acc, std::size_t from, std::uint8_t* out, int count) {
    const float* p = acc + from * 3;
    const std::size_t n = static_cast<std::size_t>(count) * 3;
    for (std::size_t i = 0; i < n; ++i) out[i] = RoundToByte(p[i]);
}

}  // namespace

void ScaleOneRow(PixelLayout layout, const std::uint8_t* const* rows, const float* weights, int taps,
                 std::size_t span, const AxisWeights& horizontal, int spanBegin, float* acc, std::uint8_t* out,
                 int outWidth) {
    const bool alpha = layout == PixelLayout::Rgba8;
    const std::size_t from = horizontal.copy ? static_cast<std::size_t>(horizontal.start.front() - spanBegin) : 0;
    if (!alpha && horizontal.copy && taps == 1 && weights[0] == 1.0f) {
        std::memcpy(out, rows[0] + from * 3, static_cast<std::size_t>(outWidth) * 3);
        return;
    }
    bool first = true;
    for (int k = 0; k < taps; ++k) {
        if (weights[k] == 0.0f) continue;
        if (alpha) {
            AccumulatePremultipliedRow(acc, rows[k], span, weights[k], first);
        } else {
            AccumulateRow(acc, rows[k], span * 3, weights[k], first);
        }
        first = false;
    }
    if (first) std::fill(acc, acc + span * (alpha ? 4 : 3), 0.0f);
    if (alpha) {
        HorizontalComposite(acc, spanBegin, horizontal, out, outWidth);
    } else if (horizontal.copy) {
        RoundRow(acc, from, out, outWidth);
    } else {
        HorizontalRgb(acc, spanBegin, horizontal, out, outWidth);
    }
}

void SourceSpan(const AxisWeights& horizontal, int& begin, int& end) {
    begin = horizontal.start.front();
    end = horizontal.start.back() + horizontal.taps;
    for (int s : horizontal.start) {
        begin = std::min(begin, s);
        end = std::max(end, s + horizontal.taps);
    }
}

namespace {

struct Plan {
    const PixelBuffer* src;
    PixelBuffer* dst;
    AxisWeights horizontal;
    AxisWeights vertical;
    int outX0, outY0;      // first visible output pixel, in dst coordinates
    int outWidth;          // visible output columns
    int spanBegin, spanEnd;  // source columns the horizontal pass reads
};

void ScaleRows(const Plan& plan, int rowBegin, int rowEnd) {
    const PixelBuffer& src = *plan.src;
    const int ch = src.channels();
    const std::size_t span = static_cast<std::size_t>(plan.spanEnd - plan.spanBegin);
    // One spare float: the horizontal pass loads four at a time.
    std::vector<float> acc(span * static_cast<std::size_t>(ch) + 1, 0.0f);
    const int taps = plan.vertical.taps;
    std::vector<const std::uint8_t*> rows(static_cast<std::size_t>(taps));
    for (int r = rowBegin; r < rowEnd; ++r) {
        const float* w = plan.vertical.weights.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(taps);
        const int start = plan.vertical.start[static_cast<std::size_t>(r)];
        for (int k = 0; k < taps; ++k)
            rows[static_cast<std::size_t>(k)] = src.row(start + k) + static_cast<std::size_t>(plan.spanBegin) * ch;
        std::uint8_t* out = plan.dst->row(plan.outY0 + r) + static_cast<std::size_t>(plan.outX0) * 3;
        ScaleOneRow(src.layout(), rows.data(), w, taps, span, plan.horizontal, plan.spanBegin, acc.data(), out,
                    plan.outWidth);
    }
}

}  // namespace

Status ResampleBicubic(const PixelBuffer& src, const IntRect& srcRect, PixelBuffer& dst, const IntRect& dstRect) {
    if (src.empty() || dst.empty() || dst.layout() != PixelLayout::Rgb8) return Status::InvalidParameter;
    if (srcRect.width <= 0 || srcRect.height <= 0 || dstRect.width <= 0 || dstRect.height <= 0)
        return Status::InvalidParameter;
    if (srcRect.x < 0 || srcRect.y < 0 || srcRect.x > src.width() - srcRect.width ||
        srcRect.y > src.height() - srcRect.height)
        return Status::InvalidParameter;
    // The visible part of the destination rectangle (64-bit: rectangles may
    // reach past the int range at their far edge).
    const std::int64_t x0 = std::max<std::int64_t>(dstRect.x, 0);
    const std::int64_t y0 = std::max<std::int64_t>(dstRect.y, 0);
    const std::int64_t x1 = std::min<std::int64_t>(std::int64_t{dstRect.x} + dstRect.width, dst.width());
    const std::int64_t y1 = std::min<std::int64_t>(std::int64_t{dstRect.y} + dstRect.height, dst.height());
    if (x0 >= x1 || y0 >= y1) return Status::Ok;

    Plan plan;
    plan.src = &src;
    plan.dst = &dst;
    plan.outX0 = static_cast<int>(x0);
    plan.outY0 = static_cast<int>(y0);
    plan.outWidth = static_cast<int>(x1 - x0);
    const int outHeight = static_cast<int>(y1 - y0);
    plan.horizontal = ComputeAxisWeights(srcRect.x, srcRect.width, dstRect.width, static_cast<int>(x0 - dstRect.x),
                                         plan.outWidth);
    plan.vertical =
        ComputeAxisWeights(srcRect.y, srcRect.height, dstRect.height, static_cast<int>(y0 - dstRect.y), outHeight);
    SourceSpan(plan.horizontal, plan.spanBegin, plan.spanEnd);
    ParallelFor(outHeight, 16, [&plan](int begin, int end) { ScaleRows(plan, begin, end); });
    return Status::Ok;
}

}  // namespace imaging
