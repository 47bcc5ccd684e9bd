#pragma once
// High-quality bicubic scaling of a pixel buffer into a 24-bit RGB buffer.
//
// Conventions: pixel centres sit at +0.5, so output pixel i of an axis that
// maps a source length S onto an output length D samples the source at
// (i + 0.5) * S / D. The kernel is Keys' cubic convolution with a = -0.5
// (Catmull-Rom); when shrinking, its support of 2 is widened by the scale
// factor, so the filter also low-passes (anti-aliasing). Samples outside the
// source rectangle repeat its edge pixels. The weights of every output
// pixel are normalised to sum 1, so a flat field stays exactly flat.
//
// The two axes are separable: each output row first combines the source
// rows it needs (vertical pass, over only the source columns the row will
// read), then each output pixel combines that row's columns (horizontal
// pass). Both passes run in single-precision floating point and the result
// is rounded once, to nearest; the error against a double-precision
// evaluation of the same filter stays below 0.02 of a level. Rows are split
// over the cores; the result does not depend on how.
//
// Straight-alpha sources are premultiplied, scaled, and composited over the
// destination's pixels.

#include "imaging/core/status.h"
#include "imaging/core/pixel_buffer.h"

#include <vector>

namespace imaging {

struct IntRect {
    int x, y, width, height;
};

// Scales srcRect of `src` into dstRect of `dst` (Rgb8); the part of dstRect
// outside `dst` is left out. InvalidParameter for empty rectangles or a
// source rectangle not inside the source.
Status ResampleBicubic(const PixelBuffer& src, const IntRect& srcRect, PixelBuffer& dst, const IntRect& dstRect);

// The weights one axis uses: output pixel i reads `taps` consecutive source
// indices from start[i], weighted by weights[i * taps + k].
// `copy` is set when every output pixel reads exactly one source index,
// weighted 1, the next index after its neighbour's (an axis whose length
// does not change): scaling it in floats gives back the very bytes, so the
// row functions copy it instead.
struct AxisWeights {
    int taps = 0;
    std::vector<int> start;
    std::vector<float> weights;
    bool copy = false;
};

// Weights for the output pixels [first, first + count) of an axis mapping
// source indices [srcBegin, srcBegin + srcLength) onto dstLength pixels.
AxisWeights ComputeAxisWeights(int srcBegin, int srcLength, int dstLength, int first, int count);

// The source columns [begin, end) an axis' output pixels read.
void SourceSpan(const AxisWeights& horizontal, int& begin, int& end);

// One output row of both passes: rows[k] is source row start + k (the
// vertical window of this output row), already advanced to column
// spanBegin and `span` columns long; weights[k] are its vertical weights.
// `acc` holds span * channels + 1 floats. Opaque rows are written to `out`;
// straight-alpha rows are composited over what `out` holds. An opaque row
// whose axes are copies (one vertical tap of weight 1, a copy horizontal
// axis) is copied byte for byte.
void ScaleOneRow(PixelLayout layout, const std::uint8_t* const* rows, const float* weights, int taps,
                 std::size_t span, const AxisWeights& horizontal, int spanBegin, float* acc, std::uint8_t* out,
                 int outWidth);

// Keys' cubic convolution kernel, a = -0.5.
double KeysCubic(double x);

}  // namespace imaging
