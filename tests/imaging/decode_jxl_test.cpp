// JPEG XL pictures through libjxl, made at test time by cjxl: lossless and
// lossy colours, grey, alpha, the orientation of a transcoded JPEG,
// animations as time frames, the container signature, damaged files and
// size limits.
#include "decode_encoder_tools.h"

#include "imaging/decode/file_signature.h"
#include "imaging/decode/jxl/jxl_source.h"

using namespace imaging;
using namespace decode_test;

namespace {

class JxlDecode : public EncoderToolTest {
protected:
    // cjxl of `input` with extra options (-d 0: lossless); empty without cjxl.
    QString Jxl(const QString& input, const QString& name, const QStringList& options) {
        const QString tool = Tool("cjxl");
        if (tool.isEmpty()) return {};
        const QString out = Path(name);
        EXPECT_TRUE(Run(tool, QStringList{input, out} + options));
        return out;
    }
};

#define SKIP_WITHOUT_CJXL(path) \
    if ((path).isEmpty()) GTEST_SKIP() << "cjxl is not installed (scripts/setup-debian.sh installs libjxl-tools)"

TEST_F(JxlDecode, LosslessAndLossyPicturesDecodeAsOnePage) {
    const QString png = SavePng(BlockImage(64, 48), "blocks.png");
    const QString lossless = Jxl(png, "lossless.jxl", {"-d", "0"});
    SKIP_WITHOUT_CJXL(lossless);
    auto source = Open(lossless);
    ASSERT_TRUE(source);
    PixelBuffer p;
    ASSERT_NO_FATAL_FAILURE(ExpectOneRgbPage(*source, 64, 48, p));
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(Near(PixelAt(p, 16 + 32 * (i % 2), 12 + 24 * (i / 2)), kBlocks[i], 0));
    EXPECT_TRUE(Near(PixelAt(p, 63, 47), kBlocks[3], 0));
    const auto* jxl = dynamic_cast<const decode::JxlSource*>(source.get());
    ASSERT_TRUE(jxl);
    EXPECT_FALSE(jxl->IccProfile().isEmpty());
    EXPECT_EQ(source->DecodeFrame(FrameDimensionPage, 1, p), Status::InvalidParameter);

    const QString lossy = Jxl(png, "lossy.jxl", {"-q", "95"});
    ASSERT_EQ(OpenAndDecode(lossy, p), Status::Ok);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(Near(BlockMean(p, i % 2, i / 2), kBlocks[i], 4)) << "block " << i;
}

TEST_F(JxlDecode, GreyAndAlphaComeAsRgbAndStraightRgba) {
    QImage grey(16, 8, QImage::Format_Grayscale8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) grey.setPixel(x, y, qRgb(x * 16, x * 16, x * 16));
    const QString greyJxl = Jxl(SavePng(grey, "grey.png"), "grey.jxl", {"-d", "0"});
    SKIP_WITHOUT_CJXL(greyJxl);
    PixelBuffer p;
    ASSERT_EQ(OpenAndDecode(greyJxl, p), Status::Ok);
    EXPECT_EQ(p.layout(), PixelLayout::Rgb8);
    EXPECT_TRUE(Near(PixelAt(p, 5, 3), {80, 80, 80}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 15, 7), {240, 240, 240}, 0));

    const QString alpha = Jxl(SavePng(BlockImage(64, 48, true), "alpha.png"), "alpha.jxl", {"-d", "0"});
    ASSERT_EQ(OpenAndDecode(alpha, p), Status::Ok);
    ASSERT_EQ(p.layout(), PixelLayout::Rgba8);
    EXPECT_TRUE(Near(PixelAt(p, 8, 40), kBlocks[2], 0));
    EXPECT_EQ(AlphaAt(p, 8, 40), 255);
    EXPECT_EQ(AlphaAt(p, 56, 8), 0);
}

// cjxl keeps a JPEG's Exif orientation (6: a quarter turn clockwise to
// stand upright) in the JPEG XL header; libjxl turns the picture by it.
TEST_F(JxlDecode, OrientationIsApplied) {
    const QString jpeg = Path("o6.jpg");
    JpegOptions options;
    options.app1 = MakeExif(6);
    ASSERT_TRUE(WriteJpeg(jpeg, 64, 48, [](int x, int y) { return kBlocks[(x >= 32) + 2 * (y >= 24)]; }, options));
    const QString jxl = Jxl(jpeg, "o6.jxl", {});
    SKIP_WITHOUT_CJXL(jxl);
    auto source = Open(jxl);
    ASSERT_TRUE(source);
    int w = 0, h = 0;
    ASSERT_EQ(source->FrameSize(FrameDimensionPage, 0, w, h), Status::Ok);
    EXPECT_EQ(w, 48);
    EXPECT_EQ(h, 64);
    PixelBuffer p;
    ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
    ASSERT_EQ(p.width(), 48);
    // Clockwise: the bottom left block comes to the top left.
    EXPECT_TRUE(Near(PixelAt(p, 8, 8), kBlocks[2], 8));
    EXPECT_TRUE(Near(PixelAt(p, 40, 8), kBlocks[0], 8));
    EXPECT_TRUE(Near(PixelAt(p, 40, 56), kBlocks[1], 8));
}

// An animation (from a GIF whose later frames cover only part of the
// canvas) is a series of time frames, each the whole picture at that moment.
TEST_F(JxlDecode, AnimationFramesAreWholeTimeFrames) {
    const std::vector<Rgb> palette = {{255, 0, 0}, {0, 0, 255}, {0, 255, 0}};
    const QByteArray gif = MakeGif(16, 8, palette,
                                   {SolidGifFrame(0, 0, 16, 8, 0), SolidGifFrame(8, 0, 8, 8, 1),
                                    SolidGifFrame(0, 4, 8, 4, 2)});
    WriteBytes(Path("anim.gif"), gif);
    const QString jxl = Jxl(Path("anim.gif"), "anim.jxl", {"-d", "0"});
    SKIP_WITHOUT_CJXL(jxl);
    auto source = Open(jxl);
    ASSERT_TRUE(source);
    ASSERT_EQ(source->Dimensions()[0].id, FrameDimensionTime);
    ASSERT_EQ(source->Dimensions()[0].frameCount, 3u);
    PixelBuffer p;
    ASSERT_EQ(source->DecodeFrame(FrameDimensionTime, 2, p), Status::Ok);
    ASSERT_EQ(p.width(), 16);
    EXPECT_TRUE(Near(PixelAt(p, 2, 2), {255, 0, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 12, 2), {0, 0, 255}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 2, 6), {0, 255, 0}, 0));
    ASSERT_EQ(source->DecodeFrame(FrameDimensionTime, 1, p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 2, 6), {255, 0, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 12, 6), {0, 0, 255}, 0));
    EXPECT_EQ(source->DecodeFrame(FrameDimensionPage, 0, p), Status::InvalidParameter);
}

TEST_F(JxlDecode, DamagedAndOversizedFilesAreRefused) {
    const QString png = SavePng(BlockImage(256, 192), "blocks.png");
    const QString bare = Jxl(png, "bare.jxl", {"-q", "95"});
    SKIP_WITHOUT_CJXL(bare);
    const QString boxed = Jxl(png, "boxed.jxl", {"-q", "95", "--container=1"});
    ASSERT_EQ(decode::SniffFileKind(ReadBytes(boxed)), decode::FileKind::JpegXl);
    ASSERT_EQ(decode::SniffFileKind(ReadBytes(bare)), decode::FileKind::JpegXl);
    ExpectTruncationsRefused(bare);
    ExpectTruncationsRefused(boxed);
    const QByteArray whole = ReadBytes(bare);
    WriteBytes(Path("short.jxl"), whole.left(whole.size() - 1));
    PixelBuffer p;
    EXPECT_NE(OpenAndDecode(Path("short.jxl"), p), Status::Ok);

    DecodeLimits small;
    small.maxSide = 200;
    Open(bare, Status::OutOfMemory, small);
}

}  // namespace
