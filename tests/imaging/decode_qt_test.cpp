// Pictures read through Qt's readers: PNG, BMP, GIF animations, TIFF pages,
// icons; 16-bit depth, alpha, resolution, routing by content, damaged
// files and decompression bombs.
#include "decode_test_pictures.h"

#include "tests/support/test_environment.h"

#include <QImage>
#include <QImageWriter>

#include <cstring>
#include <memory>
#include <vector>


using namespace imaging;
using namespace decode_test;

namespace {

class QtDecode : public ::testing::Test {
protected:
    QString folder = MakeTempFolder();
    QString Path(const QString& name) const { return folder + "/" + name; }

    std::unique_ptr<PictureSource> Open(const QString& path, Status expected = Status::Ok) {
        std::unique_ptr<PictureSource> source;
        EXPECT_EQ(OpenPictureSource(path, DecodeLimits{}, source), expected);
        return source;
    }

    static QString Fixture(const char* name) { return QStringLiteral(TESS_DECODE_TEST_DATA "/") + name; }

    QString Save(const QImage& image, const QString& name, const char* format) {
        const QString path = Path(name);
        QImageWriter writer(path, format);
        EXPECT_TRUE(writer.write(image)) << qPrintable(writer.errorString());
        return path;
    }
};

QImage TwoColourImage(QImage::Format format, QColor left, QColor right, int w = 20, int h = 10) {
    QImage image(w, h, format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixelColor(x, y, x < w / 2 ? left : right);
    return image;
}

TEST_F(QtDecode, PngRgbAndRgbaDecodeToTheirPixels) {
    const QString rgb = Save(TwoColourImage(QImage::Format_RGB32, QColor(10, 20, 30), QColor(200, 150, 100)),
                             "rgb.png", "png");
    PixelBuffer p;
    auto source = Open(rgb);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->Dimensions()[0].id, FrameDimensionPage);
    EXPECT_EQ(source->Dimensions()[0].frameCount, 1u);
    ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
    EXPECT_EQ(p.layout(), PixelLayout::Rgb8);
    EXPECT_EQ(p.width(), 20);
    EXPECT_EQ(p.height(), 10);
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {10, 20, 30}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 19, 9), {200, 150, 100}, 0));
    // A second decode of the same frame gives the same picture.
    PixelBuffer again;
    ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 0, again), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(again, 19, 9), {200, 150, 100}, 0));

    const QString rgba = Save(TwoColourImage(QImage::Format_ARGB32, QColor(255, 0, 0, 128), QColor(0, 0, 255, 255)),
                              "rgba.png", "png");
    ASSERT_EQ(OpenAndDecode(rgba, p), Status::Ok);
    EXPECT_EQ(p.layout(), PixelLayout::Rgba8);
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {255, 0, 0}, 0));  // straight, not premultiplied
    EXPECT_EQ(AlphaAt(p, 0, 0), 128);
    EXPECT_EQ(AlphaAt(p, 19, 0), 255);
}

TEST_F(QtDecode, SixteenBitPicturesKeepTheirBrightness) {
    QImage deep(8, 4, QImage::Format_RGBX64);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) deep.setPixelColor(x, y, QColor::fromRgba64(x < 4 ? 0xFFFF : 0x8080, 0x4040, 0x0000));
    PixelBuffer p;
    ASSERT_EQ(OpenAndDecode(Save(deep, "deep.png", "png"), p), Status::Ok);
    EXPECT_EQ(p.layout(), PixelLayout::Rgb8);
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {255, 64, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 7, 0), {128, 64, 0}, 0));

    QImage grey(8, 4, QImage::Format_Grayscale16);
    grey.fill(QColor::fromRgba64(0xC0C0, 0xC0C0, 0xC0C0));
    ASSERT_EQ(OpenAndDecode(Save(grey, "grey16.png", "png"), p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 3, 3), {192, 192, 192}, 0));

    QImage deepAlpha(4, 4, QImage::Format_RGBA64);
    deepAlpha.fill(QColor::fromRgba64(0xFFFF, 0x8080, 0x0000, 0x8080));
    ASSERT_EQ(OpenAndDecode(Save(deepAlpha, "deepalpha.png", "png"), p), Status::Ok);
    EXPECT_EQ(p.layout(), PixelLayout::Rgba8);
    EXPECT_TRUE(Near(PixelAt(p, 1, 1), {255, 128, 0}, 1));
    EXPECT_NEAR(AlphaAt(p, 1, 1), 128, 1);
}

TEST_F(QtDecode, BmpDecodesAndPngResolutionIsRead) {
    PixelBuffer p;
    ASSERT_EQ(OpenAndDecode(Save(TwoColourImage(QImage::Format_RGB32, Qt::black, QColor(1, 2, 3)), "a.bmp", "bmp"), p),
              Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 0, 9), {0, 0, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 19, 0), {1, 2, 3}, 0));

    QImage stated = TwoColourImage(QImage::Format_RGB32, Qt::red, Qt::blue);
    stated.setDotsPerMeterX(11811);  // 300 DPI
    stated.setDotsPerMeterY(2835);   // 72 DPI
    auto source = Open(Save(stated, "dpi.png", "png"));
    ASSERT_TRUE(source);
    EXPECT_FLOAT_EQ(source->HorizontalResolution(), 300);
    EXPECT_FLOAT_EQ(source->VerticalResolution(), 72);

    // A BMP that states no resolution (zero pixels per metre) reads 96.
    QByteArray bmp = ReadBytes(Save(TwoColourImage(QImage::Format_RGB32, Qt::red, Qt::blue), "zero.bmp", "bmp"));
    for (int i = 38; i < 46; ++i) bmp[i] = 0;
    WriteBytes(Path("zero.bmp"), bmp);
    source = Open(Path("zero.bmp"));
    ASSERT_TRUE(source);
    EXPECT_FLOAT_EQ(source->HorizontalResolution(), 96);
    EXPECT_FLOAT_EQ(source->VerticalResolution(), 96);
}

// A BMP of 2 x 2 pixels with a 40-byte info header: rows as given (bottom
// up unless the height is negative), `extra` between header and pixels.
QByteArray MakeBmp(int height, int bits, int compression, const QByteArray& extra, const QByteArray& pixels) {
    auto le = [](QByteArray& b, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b.append(char((v >> (8 * i)) & 0xFF));
    };
    QByteArray b("BM");
    le(b, std::uint32_t(14 + 40 + extra.size() + pixels.size()), 4);
    le(b, 0, 4);
    le(b, std::uint32_t(14 + 40 + extra.size()), 4);
    le(b, 40, 4);
    le(b, 2, 4);
    le(b, std::uint32_t(height), 4);
    le(b, 1, 2);
    le(b, std::uint32_t(bits), 2);
    le(b, std::uint32_t(compression), 4);
    le(b, std::uint32_t(pixels.size()), 4);
    le(b, 0, 4);
    le(b, 0, 4);
    le(b, 0, 4);
    le(b, 0, 4);
    return b + extra + pixels;
}

TEST_F(QtDecode, BmpVariantsDecode) {
    PixelBuffer p;
    // Run-length encoded 8-bit and an OS/2 core header (made with ImageMagick).
    for (const char* name : {"rle8.bmp", "os2.bmp"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(OpenAndDecode(Fixture(name), p), Status::Ok);
        EXPECT_EQ(p.width(), 8);
        EXPECT_EQ(p.height(), 4);
        EXPECT_TRUE(Near(PixelAt(p, 1, 0), {255, 0, 0}, 0));
        EXPECT_TRUE(Near(PixelAt(p, 6, 3), {0, 0, 255}, 0));
    }
    // Top-down 24-bit: the first row stored is the top one. B, G, R order.
    const QByteArray topDown = QByteArray("\x00\x00\xFF\x00\xFF\x00\0\0", 8) + QByteArray("\xFF\x00\x00\xFF\xFF\xFF\0\0", 8);
    WriteBytes(Path("topdown.bmp"), MakeBmp(-2, 24, 0, {}, topDown));
    ASSERT_EQ(OpenAndDecode(Path("topdown.bmp"), p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {255, 0, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 1, 0), {0, 255, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 0, 1), {0, 0, 255}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 1, 1), {255, 255, 255}, 0));
    // 16-bit bit-fields, 5-6-5: bottom row red, white; top row blue, green.
    const QByteArray masks("\x00\xF8\0\0\xE0\x07\0\0\x1F\x00\0\0", 12);
    const QByteArray rgb565("\x00\xF8\xFF\xFF\x1F\x00\xE0\x07", 8);
    WriteBytes(Path("565.bmp"), MakeBmp(2, 16, 3, masks, rgb565));
    ASSERT_EQ(OpenAndDecode(Path("565.bmp"), p), Status::Ok);
    // Qt widens 5 and 6 bits by shifting (31 -> 248), hence the tolerance.
    EXPECT_TRUE(Near(PixelAt(p, 0, 1), {255, 0, 0}, 7));
    EXPECT_TRUE(Near(PixelAt(p, 1, 1), {255, 255, 255}, 7));
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {0, 0, 255}, 7));
    EXPECT_TRUE(Near(PixelAt(p, 1, 0), {0, 255, 0}, 7));
    // The same with its last row missing.
    WriteBytes(Path("short.bmp"), MakeBmp(-2, 24, 0, {}, topDown.left(8)));
    EXPECT_NE(OpenAndDecode(Path("short.bmp"), p), Status::Ok);
}

// Pixels an RLE bitmap skips come out as colour 0, never as whatever the
// memory held before (freed blocks of that size are filled first).
TEST_F(QtDecode, PixelsAnRleBitmapSkipsAreColourZero) {
    QByteArray palette(256 * 4, '\0');
    palette[0] = 30, palette[1] = 20, palette[2] = 10;  // index 0: (10, 20, 30)
    palette[6] = char(0xFF);                             // index 1: red
    // Bottom row: one red pixel, then the line ends; the top row is never
    // reached (end of bitmap).
    const QByteArray rle("\x01\x01\x00\x00\x00\x01", 6);
    WriteBytes(Path("skips.bmp"), MakeBmp(2, 8, 1, palette, rle));
    for (int round = 0; round < 3; ++round) {
        for (std::size_t bytes : {8, 16, 32, 64}) {
            std::vector<std::unique_ptr<char[]>> dirty;
            for (int i = 0; i < 32; ++i) {
                dirty.push_back(std::make_unique<char[]>(bytes));
                std::memset(dirty.back().get(), 0xAB, bytes);
            }
        }
        PixelBuffer p;
        ASSERT_EQ(OpenAndDecode(Path("skips.bmp"), p), Status::Ok);
        EXPECT_TRUE(Near(PixelAt(p, 0, 1), {255, 0, 0}, 0));
        EXPECT_TRUE(Near(PixelAt(p, 1, 1), {10, 20, 30}, 0));
        EXPECT_TRUE(Near(PixelAt(p, 0, 0), {10, 20, 30}, 0));
        EXPECT_TRUE(Near(PixelAt(p, 1, 0), {10, 20, 30}, 0));
    }
}

TEST_F(QtDecode, ContentDecidesTheFormatNotTheName) {
    const QString png = Save(TwoColourImage(QImage::Format_RGB32, Qt::red, Qt::green), "real.png", "png");
    const QString disguised = Path("photo.jpg");
    ASSERT_TRUE(QFile::copy(png, disguised));
    PixelBuffer p;
    ASSERT_EQ(OpenAndDecode(disguised, p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {255, 0, 0}, 0));

    const QString noName = Path("picture");
    ASSERT_TRUE(WriteJpeg(noName, 16, 16, [](int, int) { return Rgb{0, 0, 255}; }));
    ASSERT_EQ(OpenAndDecode(noName, p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 8, 8), {0, 0, 255}, 4));
}

TEST_F(QtDecode, UnknownAndMissingContentFails) {
    WriteBytes(Path("text.png"), "this is not a picture at all, just some words\n");
    Open(Path("text.png"), Status::UnknownImageFormat);
    WriteBytes(Path("empty.bmp"), QByteArray());
    Open(Path("empty.bmp"), Status::UnknownImageFormat);
    Open(Path("missing.png"), Status::FileNotFound);
    Open(folder, Status::FileNotFound);
}

// The palette of the GIF tests: 0 red, 1 green, 2 blue, 3 white.
const std::vector<Rgb> kPalette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};

TEST_F(QtDecode, GifFramesAreCompositedAsAViewerShowsThem) {
    std::vector<GifFrame> frames;
    frames.push_back(SolidGifFrame(0, 0, 8, 8, 0));        // 0: all red
    frames.push_back(SolidGifFrame(0, 0, 4, 4, 1, 2));     // 1: green corner, then cleared
    frames.push_back(SolidGifFrame(4, 4, 4, 4, 2, 3));     // 2: blue corner, then restored
    frames.push_back(SolidGifFrame(4, 0, 4, 4, 3));        // 3: white corner
    WriteBytes(Path("anim.gif"), MakeGif(8, 8, kPalette, frames));

    auto source = Open(Path("anim.gif"));
    ASSERT_TRUE(source);
    ASSERT_EQ(source->Dimensions().size(), 1u);
    EXPECT_EQ(source->Dimensions()[0].id, FrameDimensionTime);
    EXPECT_EQ(source->Dimensions()[0].frameCount, 4u);
    EXPECT_FLOAT_EQ(source->HorizontalResolution(), 96);

    PixelBuffer p;
    ASSERT_EQ(source->DecodeFrame(FrameDimensionTime, 1, p), Status::Ok);
    EXPECT_EQ(p.width(), 8);
    EXPECT_TRUE(Near(PixelAt(p, 1, 1), {0, 255, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 6, 6), {255, 0, 0}, 0));  // frame 0 shows through

    ASSERT_EQ(source->DecodeFrame(FrameDimensionTime, 2, p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 6, 6), {0, 0, 255}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 6, 1), {255, 0, 0}, 0));
    // Frame 1's corner was restored to the background: no green remains.
    EXPECT_FALSE(Near(PixelAt(p, 1, 1), {0, 255, 0}, 0) && AlphaAt(p, 1, 1) == 255);

    ASSERT_EQ(source->DecodeFrame(FrameDimensionTime, 3, p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 6, 1), {255, 255, 255}, 0));
    EXPECT_FALSE(Near(PixelAt(p, 6, 6), {0, 0, 255}, 0) && AlphaAt(p, 6, 6) == 255);  // restored to previous

    // Going back starts again from the first frame.
    ASSERT_EQ(source->DecodeFrame(FrameDimensionTime, 0, p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 1, 1), {255, 0, 0}, 0));
    ASSERT_EQ(source->DecodeFrame(FrameDimensionTime, 1, p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 1, 1), {0, 255, 0}, 0));
    EXPECT_NE(source->DecodeFrame(FrameDimensionTime, 4, p), Status::Ok);
    EXPECT_NE(source->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
}

TEST_F(QtDecode, TiffPagesAndIconImagesAreFrames) {
    auto tiff = Open(Fixture("three_pages.tif"));
    ASSERT_TRUE(tiff);
    EXPECT_EQ(tiff->Dimensions()[0].id, FrameDimensionPage);
    ASSERT_EQ(tiff->Dimensions()[0].frameCount, 3u);
    const Rgb pages[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    PixelBuffer p;
    for (std::uint32_t i : {2u, 0u, 1u}) {
        ASSERT_EQ(tiff->DecodeFrame(FrameDimensionPage, i, p), Status::Ok);
        EXPECT_EQ(p.width(), 6);
        EXPECT_EQ(p.height(), 4);
        EXPECT_TRUE(Near(PixelAt(p, 3, 2), pages[i], 0)) << i;
    }

    auto icon = Open(Fixture("two_images.ico"));
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->Dimensions()[0].id, FrameDimensionPage);
    ASSERT_EQ(icon->Dimensions()[0].frameCount, 2u);
    ASSERT_EQ(icon->DecodeFrame(FrameDimensionPage, 1, p), Status::Ok);
    EXPECT_EQ(p.width(), 32);
    EXPECT_TRUE(Near(PixelAt(p, 5, 5), {0, 0, 255}, 0));
    int w = 0, h = 0;
    ASSERT_EQ(icon->FrameSize(FrameDimensionPage, 1, w, h), Status::Ok);
    EXPECT_EQ(w, 32);
    ASSERT_EQ(icon->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
    EXPECT_EQ(p.width(), 16);
    EXPECT_TRUE(Near(PixelAt(p, 5, 5), {255, 0, 0}, 0));
}

TEST_F(QtDecode, TruncatedFilesOfEveryFormatFail) {
    QImage noisy(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) noisy.setPixel(x, y, qRgb((x * 37) & 255, (y * 91) & 255, (x * y) & 255));
    std::vector<QString> files = {Save(noisy, "n.png", "png"), Save(noisy, "n.bmp", "bmp"),
                                  Save(noisy, "n.tif", "tiff"), Save(noisy, "n.webp", "webp")};
    std::vector<GifFrame> frames = {SolidGifFrame(0, 0, 32, 32, 0), SolidGifFrame(0, 0, 32, 32, 1)};
    frames[1].indices[100] = 2;
    WriteBytes(Path("n.gif"), MakeGif(32, 32, kPalette, frames));
    files.push_back(Path("n.gif"));
    for (const QString& file : files) {
        SCOPED_TRACE(qPrintable(file));
        const QByteArray whole = ReadBytes(file);
        PixelBuffer p;
        ASSERT_EQ(OpenAndDecode(file, p), Status::Ok);
        for (double part : {0.5, 0.9}) {
            WriteBytes(Path("cut"), whole.left(int(whole.size() * part)));
            std::unique_ptr<PictureSource> source;
            const Status opened = OpenPictureSource(Path("cut"), DecodeLimits{}, source);
            bool allFramesDecoded = opened == Status::Ok;
            if (source)
                for (std::uint32_t i = 0; i < source->Dimensions()[0].frameCount; ++i)
                    allFramesDecoded = allFramesDecoded &&
                                       source->DecodeFrame(source->Dimensions()[0].id, i, p) == Status::Ok;
            EXPECT_FALSE(allFramesDecoded) << part;
        }
    }
}

std::uint32_t Crc32(const QByteArray& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (char c : bytes) {
        crc ^= static_cast<std::uint8_t>(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void AppendPngChunk(QByteArray& png, const QByteArray& typeAndData) {
    const std::uint32_t length = static_cast<std::uint32_t>(typeAndData.size() - 4);
    for (int s = 24; s >= 0; s -= 8) png.append(char((length >> s) & 0xFF));
    png.append(typeAndData);
    const std::uint32_t crc = Crc32(typeAndData);
    for (int s = 24; s >= 0; s -= 8) png.append(char((crc >> s) & 0xFF));
}

// A PNG of a few dozen bytes whose header claims width x height.
QByteArray PngClaiming(std::uint32_t width, std::uint32_t height) {
    QByteArray ihdr("IHDR");
    for (std::uint32_t v : {width, height})
        for (int s = 24; s >= 0; s -= 8) ihdr.append(char((v >> s) & 0xFF));
    ihdr.append("\x08\x02\x00\x00\x00", 5);
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    AppendPngChunk(png, ihdr);
    AppendPngChunk(png, QByteArray("IDAT\x78\x9c\x63\x00\x00", 9));
    AppendPngChunk(png, QByteArray("IEND"));
    return png;
}

TEST_F(QtDecode, DecompressionBombsFailBeforeAllocating) {
    WriteBytes(Path("bomb.png"), PngClaiming(100000, 100000));
    Open(Path("bomb.png"), Status::OutOfMemory);
    WriteBytes(Path("wide.png"), PngClaiming(60000, 60000));
    Open(Path("wide.png"), Status::OutOfMemory);

    std::vector<GifFrame> frames = {SolidGifFrame(0, 0, 2, 2, 0)};
    WriteBytes(Path("bomb.gif"), MakeGif(65535, 65535, kPalette, frames));
    Open(Path("bomb.gif"), Status::OutOfMemory);

    // A real picture above a caller's tighter cap is refused the same way.
    DecodeLimits tight;
    tight.maxPixels = 199;
    const QString small = Save(TwoColourImage(QImage::Format_RGB32, Qt::red, Qt::blue), "small.png", "png");
    std::unique_ptr<PictureSource> source;
    EXPECT_EQ(OpenPictureSource(small, tight, source), Status::OutOfMemory);
    tight.maxPixels = 200;
    EXPECT_EQ(OpenPictureSource(small, tight, source), Status::Ok);
}

}  // namespace
