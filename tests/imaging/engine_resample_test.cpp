// The bicubic resampler against a double-precision evaluation of the same
// filter, flat fields, size corner cases and transparency; and the same
// filter fed row by row while a JPEG decodes.
#include "imaging/encode/jpeg_writer.h"
#include "imaging/core/parallel.h"
#include "imaging/scale/resample.h"
#include "engine_test_support.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <random>

namespace {

using namespace imaging;

// The filter written out directly, in doubles: every output sample is the
// normalised sum over the widened kernel with clamped indices, per axis.
std::vector<double> ReferenceAxis(int srcLen, int dstLen, int i, int& first) {
    const double scale = static_cast<double>(srcLen) / dstLen;
    const double fs = std::max(1.0, scale);
    const double centre = (i + 0.5) * scale;
    const int lo = static_cast<int>(std::floor(centre - 2 * fs));
    const int hi = static_cast<int>(std::ceil(centre + 2 * fs));
    std::vector<double> w(static_cast<std::size_t>(srcLen), 0.0);
    double sum = 0;
    for (int j = lo; j <= hi; ++j) {
        const double k = KeysCubic((j + 0.5 - centre) / fs);
        w[static_cast<std::size_t>(std::clamp(j, 0, srcLen - 1))] += k;
        sum += k;
    }
    for (double& v : w) v /= sum;
    first = 0;
    return w;
}

std::vector<double> ReferenceScale(const PixelBuffer& src, int dw, int dh) {
    const int sw = src.width(), sh = src.height();
    std::vector<double> out(static_cast<std::size_t>(dw) * dh * 3, 0.0);
    std::vector<std::vector<double>> wx(static_cast<std::size_t>(dw)), wy(static_cast<std::size_t>(dh));
    int f = 0;
    for (int x = 0; x < dw; ++x) wx[static_cast<std::size_t>(x)] = ReferenceAxis(sw, dw, x, f);
    for (int y = 0; y < dh; ++y) wy[static_cast<std::size_t>(y)] = ReferenceAxis(sh, dh, y, f);
    for (int y = 0; y < dh; ++y)
        for (int sy = 0; sy < sh; ++sy) {
            const double a = wy[static_cast<std::size_t>(y)][static_cast<std::size_t>(sy)];
            if (a == 0) continue;
            for (int x = 0; x < dw; ++x)
                for (int sx = 0; sx < sw; ++sx) {
                    const double b = wx[static_cast<std::size_t>(x)][static_cast<std::size_t>(sx)];
                    if (b == 0) continue;
                    for (int c = 0; c < 3; ++c)
                        out[(static_cast<std::size_t>(y) * dw + x) * 3 + c] += a * b * src.row(sy)[3 * sx + c];
                }
        }
    return out;
}

PixelBuffer Noise(int w, int h, unsigned seed) {
    PixelBuffer p;
    p.Allocate(w, h, PixelLayout::Rgb8);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w * 3; ++x) p.row(y)[x] = static_cast<std::uint8_t>(rng() & 0xFF);
    return p;
}

PixelBuffer Scaled(const PixelBuffer& src, int w, int h) {
    PixelBuffer out;
    out.Allocate(w, h, PixelLayout::Rgb8);
    std::fill(out.data(), out.data() + out.byteSize(), std::uint8_t{0xFF});
    EXPECT_EQ(ResampleBicubic(src, {0, 0, src.width(), src.height()}, out, {0, 0, w, h}), Status::Ok);
    return out;
}

// Checks the resampler against the reference: every sample within half a
// level plus the float error, and rounded to nearest wherever the
// reference is not within that float error of a half.
void ExpectMatchesReference(const PixelBuffer& src, int w, int h) {
    SCOPED_TRACE(testing::Message() << src.width() << "x" << src.height() << " -> " << w << "x" << h);
    constexpr double kFloatError = 0.02;
    const PixelBuffer out = Scaled(src, w, h);
    const std::vector<double> ref = ReferenceScale(src, w, h);
    double worst = 0;
    int misrounded = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w * 3; ++x) {
            const double r = std::clamp(ref[static_cast<std::size_t>(y) * w * 3 + x], 0.0, 255.0);
            worst = std::max(worst, std::fabs(out.row(y)[x] - r));
            const bool nearHalf = std::fabs(r - std::floor(r) - 0.5) < kFloatError;
            if (!nearHalf && out.row(y)[x] != std::round(r)) ++misrounded;
        }
    EXPECT_LT(worst, 0.5 + kFloatError);
    EXPECT_EQ(misrounded, 0);
}

// The reference above evaluates the product's own kernel, so the kernel is
// pinned here to the values of Keys' cubic with a = -0.5.
TEST(EngineResample, KernelIsKeysCubicWithAMinusHalf) {
    EXPECT_DOUBLE_EQ(KeysCubic(0.0), 1.0);
    EXPECT_DOUBLE_EQ(KeysCubic(0.5), 0.5625);
    EXPECT_DOUBLE_EQ(KeysCubic(-0.5), 0.5625);
    EXPECT_DOUBLE_EQ(KeysCubic(1.0), 0.0);
    EXPECT_DOUBLE_EQ(KeysCubic(1.5), -0.0625);
    EXPECT_DOUBLE_EQ(KeysCubic(-1.5), -0.0625);
    EXPECT_DOUBLE_EQ(KeysCubic(2.0), 0.0);
    EXPECT_DOUBLE_EQ(KeysCubic(2.5), 0.0);
}

// Doubling 100 228 50 10 (one row): the first output pixel's centre sits at
// source 0.25, so the taps at distances 1.75, 0.75, 0.25 (the last two
// clamped onto pixel 0) weigh -0.0234375 + 0.2265625 + 0.8671875 =
// 1.0703125 for pixel 0, and 1.25 weighs -0.0703125 for pixel 1:
// 100 * 1.0703125 - 228 * 0.0703125 = 91. The last pixel mirrors it:
// 10 * 1.0703125 - 50 * 0.0703125 = 7.1875, rounded to 7.
TEST(EngineResample, EdgePixelsMatchHandComputedWeights) {
    const std::uint8_t levels[4] = {100, 228, 50, 10};
    PixelBuffer src;
    src.Allocate(4, 1, PixelLayout::Rgb8);
    for (int x = 0; x < 12; ++x) src.row(0)[x] = levels[x / 3];
    const PixelBuffer out = Scaled(src, 8, 1);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(out.row(0)[c], 91);
        EXPECT_EQ(out.row(0)[7 * 3 + c], 7);
    }
}

TEST(EngineResample, MatchesDoublePrecisionReferenceDownUpAndMixed) {
    const PixelBuffer src = Noise(61, 47, 7);
    // Within half a level plus the float error: the output is the
    // reference rounded, except where the reference sits at a half.
    ExpectMatchesReference(src, 20, 15);    // shrink 3x
    ExpectMatchesReference(src, 150, 110);  // enlarge
    ExpectMatchesReference(src, 97, 13);    // up on one axis, down on the other
    ExpectMatchesReference(src, 7, 3);      // strong shrink
}

TEST(EngineResample, FlatFieldStaysExactlyFlat) {
    for (int level : {0, 1, 127, 200, 254, 255}) {
        PixelBuffer src;
        src.Allocate(37, 23, PixelLayout::Rgb8);
        std::fill(src.data(), src.data() + src.byteSize(), static_cast<std::uint8_t>(level));
        for (auto [w, h] : {std::pair{11, 5}, {100, 90}, {37, 1}, {1, 23}, {3, 200}}) {
            const PixelBuffer out = Scaled(src, w, h);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w * 3; ++x) ASSERT_EQ(out.row(y)[x], level) << w << "x" << h;
        }
    }
}

TEST(EngineResample, SizeCornerCases) {
    const PixelBuffer one = Noise(1, 1, 3);
    const PixelBuffer big = Scaled(one, 5, 4);  // 1x1 up: every pixel the one
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 15; ++x) EXPECT_EQ(big.row(y)[x], one.row(0)[x % 3]);
    ExpectMatchesReference(Noise(9, 9, 4), 1, 1);     // everything into one pixel
    ExpectMatchesReference(Noise(1, 30, 5), 1, 7);    // 1xN
    ExpectMatchesReference(Noise(100, 1, 6), 50, 1);  // 100x1 -> 50x1
    ExpectMatchesReference(Noise(400, 2, 8), 3, 40);  // extreme ratios both ways
    ExpectMatchesReference(Noise(2, 300, 9), 200, 2);
}

TEST(EngineResample, RefusesEmptyAndOutsideRectangles) {
    const PixelBuffer src = Noise(10, 10, 1);
    PixelBuffer out;
    out.Allocate(5, 5, PixelLayout::Rgb8);
    EXPECT_NE(ResampleBicubic(src, {0, 0, 0, 10}, out, {0, 0, 5, 5}), Status::Ok);
    EXPECT_NE(ResampleBicubic(src, {5, 0, 6, 10}, out, {0, 0, 5, 5}), Status::Ok);
    EXPECT_NE(ResampleBicubic(src, {0, 0, 10, 10}, out, {0, 0, -5, 5}), Status::Ok);
}

TEST(EngineResample, DestinationOutsideTheBitmapIsClippedNotWritten) {
    const PixelBuffer src = Noise(8, 8, 2);
    PixelBuffer out;
    out.Allocate(6, 6, PixelLayout::Rgb8);
    std::fill(out.data(), out.data() + out.byteSize(), std::uint8_t{7});
    ASSERT_EQ(ResampleBicubic(src, {0, 0, 8, 8}, out, {3, 3, 8, 8}), Status::Ok);
    EXPECT_EQ(out.row(0)[0], 7);
    EXPECT_EQ(out.row(2)[3 * 5], 7);
    // The visible corner equals the same pixel of a full-size draw.
    const PixelBuffer full = Scaled(src, 8, 8);
    EXPECT_EQ(out.row(3)[9], full.row(0)[0]);
    EXPECT_EQ(out.row(5)[17], full.row(2)[8]);
}

TEST(EngineResample, TransparencyCompositesOverTheWhiteBitmap) {
    PixelBuffer src;
    src.Allocate(4, 4, PixelLayout::Rgba8);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            std::uint8_t* p = src.row(y) + 4 * x;
            // Left half transparent red (its colour must not show), right
            // half opaque black.
            p[0] = x < 2 ? 255 : 0;
            p[1] = 0;
            p[2] = 0;
            p[3] = x < 2 ? 0 : 255;
        }
    std::unique_ptr<GpBitmap> bitmap;
    ASSERT_EQ(GdipCreateBitmapFromScan0(8, 8, 0, PixelFormat24bppRGB, nullptr, bitmap), Status::Ok);
    ASSERT_EQ(ResampleBicubic(src, {0, 0, 4, 4}, bitmap->data().frame, {0, 0, 8, 8}), Status::Ok);
    EXPECT_EQ(engine_test::PixelAt(bitmap->data().frame, 0, 4), 0xFFFFFFu);
    EXPECT_EQ(engine_test::PixelAt(bitmap->data().frame, 7, 4), 0x000000u);
    // Transparent pixels carry no colour into the blend: half-way stays grey.
    const std::uint32_t mid = engine_test::PixelAt(bitmap->data().frame, 4, 4);
    EXPECT_EQ(mid >> 16, mid & 0xFF);
}

TEST(EngineResample, ResultDoesNotDependOnTheNumberOfThreads) {
    const PixelBuffer src = Noise(300, 301, 11);
    const PixelBuffer a = Scaled(src, 123, 77);
    SetWorkerLimit(1);
    const PixelBuffer b = Scaled(src, 123, 77);
    SetWorkerLimit(0);
    for (int y = 0; y < 77; ++y) ASSERT_TRUE(std::equal(a.row(y), a.row(y) + 369, b.row(y)));
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

TEST(EngineResample, StreamedJpegMatchesTheWholeFrameScaled) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("stream.jpg"));
    {
        // Smooth colour with noise on top: rows differ, so a row taken from
        // the wrong slot of the ring shows.
        PixelBuffer picture = Noise(413, 298, 5);
        for (int y = 0; y < 298; ++y)
            for (int x = 0; x < 413; ++x) {
                std::uint8_t* p = picture.row(y) + 3 * x;
                p[0] = static_cast<std::uint8_t>((x * 255 / 412 + p[0] / 8) & 0xFF);
                p[1] = static_cast<std::uint8_t>((y * 255 / 297 + p[1] / 8) & 0xFF);
                p[2] = static_cast<std::uint8_t>(((x + y) / 3 + p[2] / 8) & 0xFF);
            }
        std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.toLocal8Bit().constData(), "wb"));
        ASSERT_TRUE(f);
        ASSERT_TRUE(WriteJpeg(picture, JpegSettings{90, 96, 96}, f.get()));
    }
    struct Case {
        int w, h, minW, minH;
    } cases[] = {{97, 61, 0, 0}, {413, 100, 0, 0}, {130, 298, 0, 0}, {40, 30, 120, 90}, {1, 1, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        std::unique_ptr<GpImage> streamed, whole;
        ASSERT_EQ(LoadImageFrameScaled(path, 0, c.minW, c.minH, c.w, c.h, streamed), Status::Ok);
        ASSERT_EQ(LoadImageFrameForSize(path, 0, c.minW, c.minH, whole), Status::Ok);
        const PixelBuffer& s = streamed->data().frame;
        ASSERT_EQ(s.width(), c.w);
        ASSERT_EQ(s.height(), c.h);
        const PixelBuffer expected = Scaled(whole->data().frame, c.w, c.h);
        int worst = 0;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w * 3; ++x) worst = std::max(worst, std::abs(s.row(y)[x] - expected.row(y)[x]));
        EXPECT_EQ(worst, 0);
        float dpi = 0;
        EXPECT_EQ(GdipGetImageHorizontalResolution(streamed.get(), &dpi), Status::Ok);
        EXPECT_FLOAT_EQ(dpi, 96.0f);
    }
    // Enlarging is not streamed: the picture keeps its own size.
    std::unique_ptr<GpImage> larger;
    ASSERT_EQ(LoadImageFrameScaled(path, 0, 0, 0, 500, 200, larger), Status::Ok);
    EXPECT_EQ(larger->data().frame.width(), 413);
    EXPECT_EQ(larger->data().frame.height(), 298);
    // A file that is not there fails as the plain load does.
    std::unique_ptr<GpImage> missing;
    EXPECT_NE(LoadImageFrameScaled(dir.filePath(QStringLiteral("none.jpg")), 0, 0, 0, 10, 10, missing), Status::Ok);
    ASSERT_TRUE(missing);
    std::uint32_t width = 7;
    GdipGetImageWidth(missing.get(), &width);
    EXPECT_EQ(width, 0u);
}

}  // namespace
