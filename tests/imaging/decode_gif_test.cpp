// GIF through giflib: images past the logical screen are clipped, cut-short
// images are refused, transparency and disposal to the background as the
// viewer rules have it, interlaced images placed row by row, and images
// whose LZW code size is above 8.
// (decode_qt_test.cpp holds the older disposal and sequencing tests.)
#include "decode_test_pictures.h"

#include "tests/support/test_environment.h"

#include "imaging/decode/gif/gif_lzw.h"

#include <gif_lib.h>

using namespace imaging;
using namespace decode_test;
using imaging::decode::GifLzwDecoder;

namespace {

// 0 red, 1 green, 2 blue, 3 white.
const std::vector<Rgb> kColours = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};

class GifDecode : public ::testing::Test {
protected:
    QString folder = MakeTempFolder();
    QString Path(const QString& name) const { return folder + "/" + name; }

    QString Write(const QString& name, int width, int height, const std::vector<GifFrame>& frames) {
        WriteBytes(Path(name), MakeGif(width, height, kColours, frames));
        return Path(name);
    }

    std::unique_ptr<PictureSource> Open(const QString& path, Status expected = Status::Ok) {
        std::unique_ptr<PictureSource> source;
        EXPECT_EQ(OpenPictureSource(path, DecodeLimits{}, source), expected);
        return source;
    }
};

TEST_F(GifDecode, ImagesPastTheScreenAreClipped) {
    const QString path = Write("past.gif", 8, 8,
                               {SolidGifFrame(0, 0, 8, 8, 0), SolidGifFrame(4, 4, 8, 8, 1),
                                SolidGifFrame(10, 10, 2, 2, 2)});
    auto source = Open(path);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->Dimensions()[0].frameCount, 3u);
    PixelBuffer p;
    ASSERT_EQ(source->DecodeFrame(FrameDimensionTime, 1, p), Status::Ok);
    ASSERT_EQ(p.width(), 8);
    ASSERT_EQ(p.height(), 8);
    EXPECT_TRUE(Near(PixelAt(p, 2, 2), {255, 0, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 6, 2), {255, 0, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 4, 4), {0, 255, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 7, 7), {0, 255, 0}, 0));
    // An image wholly outside leaves the picture as it was.
    PixelBuffer outside;
    ASSERT_EQ(source->DecodeFrame(FrameDimensionTime, 2, outside), Status::Ok);
    ASSERT_EQ(outside.byteSize(), p.byteSize());
    EXPECT_EQ(std::memcmp(outside.data(), p.data(), p.byteSize()), 0);
}

TEST_F(GifDecode, StrayBytesBetweenImagesAreSkipped) {
    const QByteArray whole = MakeGif(8, 8, kColours, {SolidGifFrame(0, 0, 8, 8, 0), SolidGifFrame(2, 2, 4, 4, 1)});
    const QByteArray first = MakeGif(8, 8, kColours, {SolidGifFrame(0, 0, 8, 8, 0)});
    QByteArray stray = whole;
    stray.insert(first.size() - 1, QByteArray("GIF89a\x08\x00\x08\x00", 10));  // before the second image
    WriteBytes(Path("stray.gif"), stray);
    auto source = Open(Path("stray.gif"));
    ASSERT_TRUE(source);
    ASSERT_EQ(source->Dimensions()[0].frameCount, 2u);
    PixelBuffer p;
    ASSERT_EQ(source->DecodeFrame(FrameDimensionTime, 1, p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 3, 3), {0, 255, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {255, 0, 0}, 0));
}

TEST_F(GifDecode, CutShortImagesAreRefused) {
    GifFrame shortData = SolidGifFrame(0, 0, 16, 16, 1);
    shortData.indices.resize(100);  // the end code comes 156 pixels early
    auto source = Open(Write("early.gif", 16, 16, {SolidGifFrame(0, 0, 16, 16, 0), shortData}));
    ASSERT_TRUE(source);
    PixelBuffer p;
    EXPECT_EQ(source->DecodeFrame(FrameDimensionTime, 0, p), Status::Ok);
    EXPECT_NE(source->DecodeFrame(FrameDimensionTime, 1, p), Status::Ok);
    EXPECT_TRUE(p.empty());
    // After a failure the source starts over cleanly.
    EXPECT_EQ(source->DecodeFrame(FrameDimensionTime, 0, p), Status::Ok);

    const QByteArray whole = MakeGif(16, 16, kColours, {SolidGifFrame(0, 0, 16, 16, 0), SolidGifFrame(0, 0, 16, 16, 1)});
    const QByteArray first = MakeGif(16, 16, kColours, {SolidGifFrame(0, 0, 16, 16, 0)});
    // Cut inside the second image's data: the first frame still decodes.
    WriteBytes(Path("cut.gif"), whole.left(first.size() + 40));
    source = Open(Path("cut.gif"));
    ASSERT_TRUE(source);
    ASSERT_EQ(source->Dimensions()[0].frameCount, 2u);
    EXPECT_EQ(source->DecodeFrame(FrameDimensionTime, 0, p), Status::Ok);
    EXPECT_NE(source->DecodeFrame(FrameDimensionTime, 1, p), Status::Ok);
    // Cut inside the first image: nothing to show.
    WriteBytes(Path("cut0.gif"), whole.left(first.size() - 60));
    std::unique_ptr<PictureSource> none;
    EXPECT_NE(OpenPictureSource(Path("cut0.gif"), DecodeLimits{}, none), Status::Ok);
}

TEST_F(GifDecode, TransparencyFollowsTheFirstImage) {
    // A transparent index in the first image gives the picture alpha.
    GifFrame half = SolidGifFrame(0, 0, 4, 2, 1);
    half.transparentIndex = 0;
    half.indices = {0, 0, 1, 1, 0, 0, 1, 1};
    auto source = Open(Write("alpha.gif", 4, 2, {half}));
    ASSERT_TRUE(source);
    PixelBuffer p;
    ASSERT_EQ(source->DecodeFrame(FrameDimensionTime, 0, p), Status::Ok);
    ASSERT_EQ(p.layout(), PixelLayout::Rgba8);
    EXPECT_EQ(AlphaAt(p, 0, 0), 0);
    EXPECT_EQ(AlphaAt(p, 3, 1), 255);
    EXPECT_TRUE(Near(PixelAt(p, 3, 1), {0, 255, 0}, 0));

    // Without it the picture is opaque, and an area cleared to a later
    // transparent index shows white.
    GifFrame cleared = SolidGifFrame(0, 0, 4, 4, 1, 2);
    cleared.transparentIndex = 2;
    source = Open(Write("opaque.gif", 8, 8,
                        {SolidGifFrame(0, 0, 8, 8, 0), cleared, SolidGifFrame(4, 4, 4, 4, 2)}));
    ASSERT_TRUE(source);
    ASSERT_EQ(source->DecodeFrame(FrameDimensionTime, 2, p), Status::Ok);
    ASSERT_EQ(p.layout(), PixelLayout::Rgb8);
    EXPECT_TRUE(Near(PixelAt(p, 1, 1), {255, 255, 255}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 6, 1), {255, 0, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 6, 6), {0, 0, 255}, 0));
}

// Writes one interlaced image with giflib: row y holds index y % 4.
void WriteInterlacedGif(const QString& path, int width, int height) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(QFile::encodeName(path).constData(), false, &error);
    ASSERT_NE(gif, nullptr);
    GifColorType colours[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    ColorMapObject* map = GifMakeMapObject(4, colours);
    EXPECT_EQ(EGifPutScreenDesc(gif, width, height, 2, 0, map), GIF_OK);
    EXPECT_EQ(EGifPutImageDesc(gif, 0, 0, width, height, true, nullptr), GIF_OK);
    std::vector<GifPixelType> line(static_cast<std::size_t>(width));
    const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass]) {
            std::fill(line.begin(), line.end(), GifPixelType(y % 4));
            EXPECT_EQ(EGifPutLine(gif, line.data(), width), GIF_OK);
        }
    EXPECT_EQ(EGifCloseFile(gif, &error), GIF_OK);
    GifFreeMapObject(map);
}

TEST_F(GifDecode, InterlacedRowsArePlaced) {
    for (int height : {1, 2, 3, 5, 11, 17}) {
        SCOPED_TRACE(height);
        WriteInterlacedGif(Path("i.gif"), 3, height);
        PixelBuffer p;
        ASSERT_EQ(OpenAndDecode(Path("i.gif"), p), Status::Ok);
        ASSERT_EQ(p.height(), height);
        for (int y = 0; y < height; ++y) {
            const Rgb c = kColours[static_cast<std::size_t>(y % 4)];
            EXPECT_TRUE(Near(PixelAt(p, 2, y), c, 0)) << y;
        }
    }
}

// A one-image GIF whose LZW data starts at `minCodeSize` bits (above the
// format's 8); literal codes only, with a clear code often enough that
// the code width never grows.
QByteArray MakeWideCodeGif(int width, int height, int minCodeSize, const std::vector<std::uint16_t>& indices) {
    QByteArray b = MakeGif(width, height, kColours, {SolidGifFrame(0, 0, width, height, 0)});
    b.truncate(b.indexOf(char(0x2C), 13 + 3 * 256) + 10);  // up to the image descriptor
    b.append(char(minCodeSize));
    const int clear = 1 << minCodeSize, codeBits = minCodeSize + 1;
    QByteArray data;
    std::uint32_t bits = 0;
    int count = 0;
    const auto put = [&](int code) {
        bits |= std::uint32_t(code) << count;
        for (count += codeBits; count >= 8; count -= 8, bits >>= 8) data.append(char(bits & 0xFF));
    };
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (i % 100 == 0) put(clear);
        put(indices[i]);
    }
    put(clear + 1);
    if (count > 0) data.append(char(bits & 0xFF));
    for (qsizetype i = 0; i < data.size(); i += 255) {
        const QByteArray block = data.mid(i, 255);
        b.append(char(block.size())).append(block);
    }
    return b.append(char(0)).append(char(0x3B));
}

TEST_F(GifDecode, ImagesWithCodeSizesAboveEightAreDecoded) {
    std::vector<std::uint16_t> indices(12 * 10);
    for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = std::uint16_t(i % 3);
    indices[5] = 300;  // past any colour map: transparent white, shown white
    for (int codeSize : {9, 11}) {
        SCOPED_TRACE(codeSize);
        const QByteArray gif = MakeWideCodeGif(12, 10, codeSize, indices);
        WriteBytes(Path("wide.gif"), gif);
        PixelBuffer p;
        ASSERT_EQ(OpenAndDecode(Path("wide.gif"), p), Status::Ok);
        ASSERT_EQ(p.width(), 12);
        EXPECT_TRUE(Near(PixelAt(p, 4, 0), kColours[1], 0));
        EXPECT_TRUE(Near(PixelAt(p, 5, 0), {255, 255, 255}, 0));
        EXPECT_TRUE(Near(PixelAt(p, 11, 9), kColours[119 % 3], 0));
        // Cut inside the image data: refused.
        WriteBytes(Path("cut.gif"), gif.left(gif.size() - 40));
        EXPECT_NE(OpenAndDecode(Path("cut.gif"), p), Status::Ok);
    }
    // 12 bits is beyond what LZW codes can start at.
    WriteBytes(Path("twelve.gif"), MakeWideCodeGif(4, 4, 11, std::vector<std::uint16_t>(16, 1)).replace(13 + 768 + 18, 1, "\x0C"));
    PixelBuffer p;
    EXPECT_NE(OpenAndDecode(Path("twelve.gif"), p), Status::Ok);
}

TEST(GifLzw, CodesNotYetInTheTableAndInvalidCodes) {
    // Code size 2 (3-bit codes): clear, 1, then 6, the code about to be
    // added (1 followed by its own first index), then the end code.
    const std::uint8_t stream[] = {0x8C, 0x0B};
    GifLzwDecoder decoder(2, 3);
    ASSERT_TRUE(decoder.Feed(stream, sizeof stream));
    ASSERT_TRUE(decoder.complete());
    EXPECT_EQ(decoder.indices(), (std::vector<std::uint16_t>{1, 1, 1}));
    // clear, 1, then 7: past the next free code.
    const std::uint8_t invalid[] = {0xCC, 0x01};
    GifLzwDecoder bad(2, 3);
    EXPECT_FALSE(bad.Feed(invalid, sizeof invalid));
}

}  // namespace
