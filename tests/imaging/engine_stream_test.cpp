// The fast roads that must give the same bytes as the general ones: axes
// whose length does not change are copied, bands handed to a second thread
// arrive as they were sent, a frame that already is the output is saved
// without a bitmap, and a first look at a large JPEG is decoded small.
#include "imaging/conversion/conversion.h"
#include "imaging/encode/jpeg_writer.h"
#include "imaging/scale/band_relay.h"
#include "imaging/scale/resample.h"
#include "imaging/scale/resample_stream.h"
#include "engine_test_support.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>

namespace {

using namespace imaging;

PixelBuffer Noise(int w, int h, unsigned seed, PixelLayout layout = PixelLayout::Rgb8) {
    PixelBuffer p;
    p.Allocate(w, h, layout);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w * p.channels(); ++x) p.row(y)[x] = static_cast<std::uint8_t>(rng() & 0xFF);
    return p;
}

PixelBuffer Scaled(const PixelBuffer& src, int w, int h) {
    PixelBuffer out;
    out.Allocate(w, h, PixelLayout::Rgb8);
    std::fill(out.data(), out.data() + out.byteSize(), std::uint8_t{0xFF});
    EXPECT_EQ(ResampleBicubic(src, {0, 0, src.width(), src.height()}, out, {0, 0, w, h}), Status::Ok);
    return out;
}

bool SamePixels(const PixelBuffer& a, const PixelBuffer& b) {
    if (a.width() != b.width() || a.height() != b.height() || a.layout() != b.layout()) return false;
    const std::size_t row = static_cast<std::size_t>(a.width()) * a.channels();
    for (int y = 0; y < a.height(); ++y)
        if (!std::equal(a.row(y), a.row(y) + row, b.row(y))) return false;
    return true;
}

// The largest difference between a scaled buffer and the filter evaluated
// in doubles for one output sample, over a few samples spread out.
double WorstAgainstWeights(const PixelBuffer& src, const PixelBuffer& out) {
    const AxisWeights h = ComputeAxisWeights(0, src.width(), out.width(), 0, out.width());
    const AxisWeights v = ComputeAxisWeights(0, src.height(), out.height(), 0, out.height());
    double worst = 0;
    for (int y = 0; y < out.height(); y += 7)
        for (int x = 0; x < out.width(); x += 5)
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                for (int i = 0; i < v.taps; ++i)
                    for (int k = 0; k < h.taps; ++k)
                        sum += double{v.weights[static_cast<std::size_t>(y * v.taps + i)]} *
                               h.weights[static_cast<std::size_t>(x * h.taps + k)] *
                               src.row(v.start[static_cast<std::size_t>(y)] + i)[3 * (h.start[static_cast<std::size_t>(x)] + k) + c];
                worst = std::max(worst, std::abs(std::clamp(sum, 0.0, 255.0) - out.row(y)[3 * x + c]));
            }
    return worst;
}

TEST(EngineCopyAxes, OnlyAnAxisThatKeepsItsLengthIsACopy) {
    EXPECT_TRUE(ComputeAxisWeights(0, 100, 100, 0, 100).copy);
    // A window of the output (a clipped destination) still copies.
    EXPECT_TRUE(ComputeAxisWeights(0, 100, 100, 10, 30).copy);
    EXPECT_TRUE(ComputeAxisWeights(0, 1, 1, 0, 1).copy);
    EXPECT_FALSE(ComputeAxisWeights(0, 100, 50, 0, 50).copy);
    EXPECT_FALSE(ComputeAxisWeights(0, 100, 200, 0, 200).copy);
    EXPECT_FALSE(ComputeAxisWeights(0, 100, 99, 0, 99).copy);
    // A source rectangle of the output's length, shifted, copies from it.
    const AxisWeights shifted = ComputeAxisWeights(5, 40, 40, 0, 40);
    EXPECT_TRUE(shifted.copy);
    EXPECT_EQ(shifted.start.front(), 5);
}

TEST(EngineCopyAxes, KeptSizeGivesTheSourceAndOneKeptAxisScalesTheOther) {
    const PixelBuffer src = Noise(97, 61, 3);
    EXPECT_TRUE(SamePixels(Scaled(src, 97, 61), src));
    // One axis copied, the other scaled: still the filter's result.
    const PixelBuffer wide = Scaled(src, 97, 23);
    EXPECT_LE(WorstAgainstWeights(src, wide), 0.53);
    const PixelBuffer tall = Scaled(src, 31, 61);
    EXPECT_LE(WorstAgainstWeights(src, tall), 0.53);
    // A part of the source drawn at its own size is that part.
    PixelBuffer part;
    part.Allocate(20, 10, PixelLayout::Rgb8);
    ASSERT_EQ(ResampleBicubic(src, {30, 40, 20, 10}, part, {0, 0, 20, 10}), Status::Ok);
    for (int y = 0; y < 10; ++y) EXPECT_TRUE(std::equal(part.row(y), part.row(y) + 60, src.row(40 + y) + 90));
}

TEST(EngineCopyAxes, TransparencyIsStillCompositedAtTheSameSize) {
    PixelBuffer src = Noise(9, 7, 4, PixelLayout::Rgba8);
    src.row(0)[3] = 0;  // a transparent pixel shows the white under it
    const PixelBuffer out = Scaled(src, 9, 7);
    EXPECT_EQ(engine_test::PixelAt(out, 0, 0), 0xFFFFFFu);
}

// A sink that keeps what it is given and can refuse from a chosen band on.
class Recorder final : public RowSink {
public:
    int refuseFrom = -1;
    int bands = 0;
    PixelBuffer rows;
    bool Begin(int width, int height, PixelLayout layout) override { return rows.Allocate(width, height, layout); }
    bool Rows(int y, int count, const std::uint8_t* data, std::size_t stride) override {
        if (bands++ == refuseFrom) return false;
        const std::size_t row = static_cast<std::size_t>(rows.width()) * rows.channels();
        for (int i = 0; i < count; ++i) std::copy_n(data + stride * static_cast<std::size_t>(i), row, rows.row(y + i));
        return true;
    }
};

// Sends `frame` through `sink` in bands of varying height, rows padded.
bool SendInBands(const PixelBuffer& frame, RowSink& sink, unsigned seed) {
    if (!sink.Begin(frame.width(), frame.height(), frame.layout())) return false;
    std::mt19937 rng(seed);
    const std::size_t stride = frame.stride() + 5;
    std::vector<std::uint8_t> band;
    for (int y = 0; y < frame.height();) {
        const int count = std::min(frame.height() - y, 1 + static_cast<int>(rng() % 17));
        band.assign(stride * static_cast<std::size_t>(count), 0xAB);
        for (int i = 0; i < count; ++i) std::copy_n(frame.row(y + i), frame.stride(), band.data() + stride * i);
        if (!sink.Rows(y, count, band.data(), stride)) return false;
        y += count;
    }
    return true;
}

TEST(EngineBandRelay, BandsArriveInOrderAndWhole) {
    const PixelBuffer frame = Noise(53, 211, 8);
    Recorder recorder;
    BandRelay relay(recorder, 2);
    ASSERT_TRUE(SendInBands(frame, relay, 1));
    EXPECT_TRUE(relay.Finish());
    EXPECT_TRUE(SamePixels(recorder.rows, frame));
}

TEST(EngineBandRelay, ScalingOnTheRelayThreadGivesTheWholeFrameResult) {
    const PixelBuffer frame = Noise(301, 257, 9);
    for (const auto& [w, h] : {std::pair{100, 90}, std::pair{301, 257}, std::pair{301, 100}, std::pair{7, 257}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        StreamingResampler resampler(w, h);
        BandRelay relay(resampler);
        ASSERT_TRUE(SendInBands(frame, relay, static_cast<unsigned>(w)));
        ASSERT_TRUE(relay.Finish());
        PixelBuffer out;
        ASSERT_EQ(resampler.Take(out), Status::Ok);
        EXPECT_TRUE(SamePixels(out, Scaled(frame, w, h)));
    }
}

// Rows handed on to a sink behind the resampler are the rows it would
// keep: shrunk, enlarged (many output rows per batch of source rows, so
// several bands), kept, and transparent ones put over white.
TEST(EngineStreamingResampler, RowsHandedOnAreTheRowsKept) {
    for (const PixelLayout layout : {PixelLayout::Rgb8, PixelLayout::Rgba8}) {
        const PixelBuffer frame = Noise(301, 257, 21, layout);
        for (const auto& [w, h] : {std::pair{100, 90}, std::pair{640, 1100}, std::pair{301, 257}, std::pair{7, 600}}) {
            SCOPED_TRACE(testing::Message() << w << "x" << h << (layout == PixelLayout::Rgba8 ? " rgba" : " rgb"));
            Recorder recorder;
            StreamingResampler resampler(w, h, &recorder);
            ASSERT_TRUE(SendInBands(frame, resampler, 5));
            EXPECT_TRUE(resampler.Complete());
            EXPECT_TRUE(SamePixels(recorder.rows, Scaled(frame, w, h)));
            PixelBuffer kept;
            EXPECT_NE(resampler.Take(kept), Status::Ok);  // nothing is kept
            if (h > 2 * StreamingResampler::kOutputBandRows) {
                EXPECT_GE(recorder.bands, h / StreamingResampler::kOutputBandRows);
            }
        }
    }
}

TEST(EngineStreamingResampler, ASinkThatRefusesFailsTheDecode) {
    const PixelBuffer frame = Noise(120, 900, 22);
    Recorder recorder;
    recorder.refuseFrom = 1;
    StreamingResampler resampler(60, 450, &recorder);
    EXPECT_FALSE(SendInBands(frame, resampler, 6));
    EXPECT_FALSE(resampler.Complete());
    // A sink that cannot start refuses the frame at once.
    Recorder refusing;
    StreamingResampler zero(0, 10, &refusing);
    EXPECT_FALSE(zero.Begin(120, 900, PixelLayout::Rgb8));
}

TEST(EngineBandRelay, ARefusedBandStopsTheDecoderAndFails) {
    const PixelBuffer frame = Noise(40, 300, 10);
    Recorder recorder;
    recorder.refuseFrom = 3;
    BandRelay relay(recorder, 1);
    // The refusal reaches the sending side at a later band at the latest.
    EXPECT_FALSE(SendInBands(frame, relay, 2));
    EXPECT_FALSE(relay.Finish());
    // A refused start is the caller's answer at once.
    Recorder empty;
    BandRelay refusing(empty);
    EXPECT_FALSE(refusing.Begin(0, 10, PixelLayout::Rgb8));
    EXPECT_TRUE(refusing.Finish());
}

TEST(EngineBandRelay, AWholeFrameGoesStraightThrough) {
    // Larger than a band the relay copies: handed over on the caller's thread.
    const int height = static_cast<int>(BandRelay::kDirectBytes / (1000 * 3)) + 2;
    const PixelBuffer frame = Noise(1000, height, 12);
    Recorder recorder;
    BandRelay relay(recorder);
    ASSERT_TRUE(relay.Begin(frame.width(), frame.height(), frame.layout()));
    ASSERT_TRUE(relay.Rows(0, 1, frame.row(0), frame.stride()));
    ASSERT_TRUE(relay.Rows(1, height - 1, frame.row(1), frame.stride()));
    EXPECT_TRUE(relay.Finish());
    EXPECT_EQ(recorder.bands, 2);
    EXPECT_TRUE(SamePixels(recorder.rows, frame));
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

bool WriteJpegFile(const PixelBuffer& pixels, const QString& path, JpegSettings settings) {
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(QFile::encodeName(path).constData(), "wb"));
    return f && WriteJpeg(pixels, settings, f.get());
}

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(EngineFrameAsOutput, SavedWithoutABitmapGivesTheBitmapsBytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source = dir.filePath(QStringLiteral("source.jpg"));
    // Different densities: the output states the horizontal one twice, as
    // the bitmap it would have been drawn into does.
    ASSERT_TRUE(WriteJpegFile(Noise(64, 48, 13), source, JpegSettings{90, 300, 150}));
    std::unique_ptr<GpImage> picture;
    ASSERT_EQ(GdipLoadImageFromFile(source, picture), Status::Ok);

    ConversionInput in;
    in.picture = picture.get();
    in.outputWidth = 64;
    in.outputHeight = 48;
    in.quality = 88;
    in.outputPath = dir.filePath(QStringLiteral("out.jpg"));
    const ConversionResult result = ConvertPicture(in);
    ASSERT_TRUE(result.saved());
    EXPECT_TRUE(result.notices.empty());

    // The general road, by hand: the frame copied into a bitmap at the
    // picture's horizontal resolution, saved.
    const PixelBuffer& frame = picture->data().frame;
    std::unique_ptr<GpBitmap> bitmap;
    ASSERT_EQ(GdipCreateBitmapFromScan0(64, 48, static_cast<int>(frame.stride()), PixelFormat24bppRGB,
                                        const_cast<std::uint8_t*>(frame.data()), bitmap),
              Status::Ok);
    ASSERT_EQ(GdipBitmapSetResolution(bitmap.get(), 300, 300), Status::Ok);
    CLSID clsid{};
    std::uint32_t n = 0, size = 0;
    GdipGetImageEncodersSize(&n, &size);
    std::vector<ImageCodecInfo> codecs(n);
    GdipGetImageEncoders(n, size, codecs.data());
    clsid = codecs.at(0).Clsid;
    const std::uint32_t quality = 88;
    EncoderParameters params{};
    params.Count = 1;
    params.Parameter[0] = {EncoderQuality, 1, EncoderParameterValueType::Long, &quality};
    const QString expected = dir.filePath(QStringLiteral("expected.jpg"));
    ASSERT_EQ(GdipSaveImageToFile(bitmap.get(), expected, &clsid, &params), Status::Ok);
    EXPECT_EQ(FileBytes(in.outputPath), FileBytes(expected));

    // Any step that changes the pixels takes the general road: a turn of
    // 180 degrees is not the frame as it is.
    in.rotateAngle = 180;
    in.outputPath = dir.filePath(QStringLiteral("turned.jpg"));
    ASSERT_TRUE(ConvertPicture(in).saved());
    EXPECT_NE(FileBytes(in.outputPath), FileBytes(expected));
}

TEST(EngineFirstLook, ALargeJpegIsDecodedSmallAndASmallOneWhole) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString large = dir.filePath(QStringLiteral("large.jpg"));
    ASSERT_TRUE(WriteJpegFile(Noise(1600, 1200, 14), large, JpegSettings{80, 96, 96}));
    std::unique_ptr<GpImage> look;
    bool whole = true;
    ASSERT_EQ(LoadImageFirstLook(large, 160, 120, look, whole), Status::Ok);
    EXPECT_FALSE(whole);
    std::uint32_t w = 0, h = 0;
    GdipGetImageWidth(look.get(), &w);
    GdipGetImageHeight(look.get(), &h);
    EXPECT_EQ(w, 200u);  // 1/8, the smallest DCT scale at or above 160 x 120
    EXPECT_EQ(h, 150u);

    // Asked for at least its own size, it is the picture the full load gives.
    ASSERT_EQ(LoadImageFirstLook(large, 1600, 1200, look, whole), Status::Ok);
    EXPECT_TRUE(whole);
    std::unique_ptr<GpImage> full;
    ASSERT_EQ(GdipLoadImageFromFile(large, full), Status::Ok);
    EXPECT_TRUE(SamePixels(look->data().frame, full->data().frame));

    // A file that cannot be read fails as the full load does.
    EXPECT_NE(LoadImageFirstLook(dir.filePath(QStringLiteral("none.jpg")), 10, 10, look, whole), Status::Ok);
    EXPECT_FALSE(whole);
    GdipGetImageWidth(look.get(), &w);
    EXPECT_EQ(w, 0u);
}

}  // namespace
