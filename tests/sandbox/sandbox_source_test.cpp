// A picture decoded by the worker comes back exactly as the decoders give it
// in-process: dimensions, resolution, metadata, whole frames, shrunk frames
// and streamed rows.
#include "imaging/decode/open_picture_source.h"
#include "imaging/sandbox/sandboxed_source.h"
#include "imaging/sandbox/worker_failure.h"
#include "tests/imaging/decode_test_pictures.h"
#include "tests/support/test_environment.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace imaging;
using decode_test::Rgb;

Rgb Pattern(int x, int y) { return {(x * 7) % 256, (y * 5) % 256, (x + y) % 256}; }

// Rows as a sink receives them, checked for order, kept for comparison.
class RecordingSink : public RowSink {
public:
    bool Begin(int width, int height, PixelLayout layout) override {
        ++begins;
        return frame.Allocate(width, height, layout);
    }
    bool Rows(int y, int count, const std::uint8_t* data, std::size_t stride) override {
        if (y != nextY) outOfOrder = true;
        nextY = y + count;
        ++bands;
        const std::size_t rowBytes = static_cast<std::size_t>(frame.width()) * frame.channels();
        for (int i = 0; i < count; ++i) std::memcpy(frame.row(y + i), data + stride * i, rowBytes);
        return stopAfter < 0 || bands < stopAfter;
    }
    PixelBuffer frame;
    int begins = 0, bands = 0, nextY = 0, stopAfter = -1;
    bool outOfOrder = false;
};

::testing::AssertionResult SamePixels(const PixelBuffer& a, const PixelBuffer& b) {
    if (a.empty() || a.width() != b.width() || a.height() != b.height() || a.layout() != b.layout())
        return ::testing::AssertionFailure() << "sizes differ: " << a.width() << "x" << a.height() << " vs "
                                             << b.width() << "x" << b.height();
    const std::size_t rowBytes = static_cast<std::size_t>(a.width()) * a.channels();
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.row(y), b.row(y), rowBytes) != 0) return ::testing::AssertionFailure() << "row " << y;
    return ::testing::AssertionSuccess();
}

struct Pair {
    std::unique_ptr<PictureSource> local, worker;
};

Pair OpenBoth(const QString& path) {
    Pair p;
    EXPECT_EQ(OpenPictureSource(path, DecodeLimits{}, p.local), Status::Ok);
    EXPECT_EQ(OpenSandboxedPictureSource(path, DecodeLimits{}, p.worker), Status::Ok);
    return p;
}

TEST(SandboxedSource, AnswersLikeTheDecoderInProcess) {
    const QString path = MakeTempFolder() + "/photo.jpg";
    decode_test::JpegOptions options;
    options.app1 = QByteArray("Exif\0\0", 6) + decode_test::MakeExif(1);
    options.densityUnit = 1;
    options.xDensity = 300;
    options.yDensity = 150;
    ASSERT_TRUE(decode_test::WriteJpeg(path, 320, 200, Pattern, options));
    Pair p = OpenBoth(path);
    ASSERT_TRUE(p.local && p.worker);

    ASSERT_EQ(p.worker->Dimensions().size(), p.local->Dimensions().size());
    EXPECT_EQ(p.worker->Dimensions()[0].id, p.local->Dimensions()[0].id);
    EXPECT_EQ(p.worker->Dimensions()[0].frameCount, p.local->Dimensions()[0].frameCount);
    EXPECT_EQ(p.local->HorizontalResolution(), 300.0f);
    EXPECT_EQ(p.worker->HorizontalResolution(), p.local->HorizontalResolution());
    EXPECT_EQ(p.worker->VerticalResolution(), p.local->VerticalResolution());
    EXPECT_FALSE(p.worker->Info().exif.empty());
    EXPECT_EQ(p.worker->Info().exif, p.local->Info().exif);
    EXPECT_EQ(p.worker->Info().iccProfile, p.local->Info().iccProfile);
    EXPECT_EQ(p.worker->Info().profileApplied, p.local->Info().profileApplied);
    EXPECT_EQ(decode_test::StatedSize(*p.worker), QSize(320, 200));

    const GUID page = p.local->Dimensions()[0].id;
    PixelBuffer local, worker;
    ASSERT_EQ(p.local->DecodeFrame(page, 0, local), Status::Ok);
    ASSERT_EQ(p.worker->DecodeFrame(page, 0, worker), Status::Ok);
    EXPECT_TRUE(SamePixels(worker, local));
    // Shrunk on the way (DCT scaling), still the same.
    ASSERT_EQ(p.local->DecodeFrameForSize(page, 0, 80, 50, local), Status::Ok);
    ASSERT_EQ(p.worker->DecodeFrameForSize(page, 0, 80, 50, worker), Status::Ok);
    EXPECT_LT(worker.width(), 320);
    EXPECT_TRUE(SamePixels(worker, local));
    EXPECT_EQ(sandbox::LastWorkerFailure().kind, sandbox::WorkerFailureKind::None);
}

TEST(SandboxedSource, StreamsAFrameLargerThanItsRingInOrder) {
    // 3000 x 2400 RGB is about 21 MB: several rounds of the worker's ring.
    const QString path = MakeTempFolder() + "/large.jpg";
    ASSERT_TRUE(decode_test::WriteJpeg(path, 3000, 2400, Pattern));
    Pair p = OpenBoth(path);
    ASSERT_TRUE(p.local && p.worker);
    const GUID page = p.local->Dimensions()[0].id;
    RecordingSink local, worker;
    ASSERT_EQ(p.local->DecodeFrameRows(page, 0, 3000, 2400, local), Status::Ok);
    ASSERT_EQ(p.worker->DecodeFrameRows(page, 0, 3000, 2400, worker), Status::Ok);
    EXPECT_EQ(worker.begins, 1);
    EXPECT_GT(worker.bands, 4);
    EXPECT_FALSE(worker.outOfOrder);
    EXPECT_EQ(worker.nextY, 2400);
    EXPECT_TRUE(SamePixels(worker.frame, local.frame));
}

TEST(SandboxedSource, ASinkThatStopsLeavesTheWorkerReadyForTheNextFrame) {
    const QString path = MakeTempFolder() + "/stop.jpg";
    ASSERT_TRUE(decode_test::WriteJpeg(path, 2000, 2000, Pattern));
    std::unique_ptr<PictureSource> source;
    ASSERT_EQ(OpenSandboxedPictureSource(path, DecodeLimits{}, source), Status::Ok);
    const GUID page = source->Dimensions()[0].id;
    RecordingSink stopping;
    stopping.stopAfter = 1;
    EXPECT_EQ(source->DecodeFrameRows(page, 0, 2000, 2000, stopping), Status::Aborted);
    EXPECT_EQ(stopping.bands, 1);
    PixelBuffer frame;
    EXPECT_EQ(source->DecodeFrame(page, 0, frame), Status::Ok);
    EXPECT_EQ(frame.width(), 2000);
}

TEST(SandboxedSource, FramesOfAnAnimationAndBadFramesComeBackAsInProcess) {
    const QString path = MakeTempFolder() + "/anim.gif";
    const std::vector<Rgb> palette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    decode_test::WriteBytes(path, decode_test::MakeGif(16, 8, palette,
                                                       {decode_test::SolidGifFrame(0, 0, 16, 8, 1),
                                                        decode_test::SolidGifFrame(4, 2, 4, 4, 2),
                                                        decode_test::SolidGifFrame(0, 0, 8, 8, 3)}));
    Pair p = OpenBoth(path);
    ASSERT_TRUE(p.local && p.worker);
    const FrameDimension d = p.local->Dimensions()[0];
    EXPECT_EQ(p.worker->Dimensions()[0].frameCount, d.frameCount);
    for (std::uint32_t i = 0; i < d.frameCount; ++i) {
        PixelBuffer local, worker;
        ASSERT_EQ(p.local->DecodeFrame(d.id, i, local), Status::Ok);
        ASSERT_EQ(p.worker->DecodeFrame(d.id, i, worker), Status::Ok);
        EXPECT_TRUE(SamePixels(worker, local)) << "frame " << i;
    }
    PixelBuffer none;
    EXPECT_EQ(p.worker->DecodeFrame(d.id, d.frameCount, none), p.local->DecodeFrame(d.id, d.frameCount, none));
    EXPECT_TRUE(none.empty());
}

TEST(SandboxedSource, RefusalsAreTheDecodersOwn) {
    const QString folder = MakeTempFolder();
    decode_test::WriteBytes(folder + "/notes.txt", "just some words, not a picture");
    std::unique_ptr<PictureSource> source;
    sandbox::ClearWorkerFailure();
    EXPECT_EQ(OpenSandboxedPictureSource(folder + "/notes.txt", DecodeLimits{}, source), Status::UnknownImageFormat);
    EXPECT_EQ(OpenSandboxedPictureSource(folder + "/missing.jpg", DecodeLimits{}, source), Status::FileNotFound);
    EXPECT_EQ(OpenSandboxedPictureSource(folder, DecodeLimits{}, source), Status::FileNotFound);
    EXPECT_FALSE(source);
    // A picture over the limits is refused by the decoder, not by a crash.
    const QString big = folder + "/big.jpg";
    ASSERT_TRUE(decode_test::WriteJpeg(big, 400, 400, Pattern));
    DecodeLimits tight;
    tight.maxPixels = 100 * 100;
    EXPECT_EQ(OpenSandboxedPictureSource(big, tight, source), Status::OutOfMemory);
    EXPECT_EQ(sandbox::LastWorkerFailure().kind, sandbox::WorkerFailureKind::None);
}

}  // namespace
