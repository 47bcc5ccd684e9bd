// PNG through libpng: every colour type and depth to 8-bit RGB(A), tRNS
// colour keys (16-bit ones compared before scaling), interlacing, EXIF
// orientation, pHYs resolution, rows streamed while decoding, and damaged
// files refused. The pictures are written by libpng at test time.
#include "decode_test_pictures.h"
#include "frame_sink.h"

#include "imaging/decode/png/png_source.h"

#include "tests/support/test_environment.h"

#include <png.h>

#include <optional>

using namespace imaging;
using imaging::test::SamePixels;
using namespace decode_test;

namespace {

struct PngPicture {
    int width = 0, height = 0;
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<std::vector<std::uint8_t>> rows;  // packed as stored
    std::vector<png_color> palette;
    std::vector<png_byte> paletteAlpha;
    std::optional<png_color_16> colourKey;
    png_uint_32 physX = 0, physY = 0;
    int physUnit = -1;  // -1: no pHYs
    QByteArray exif;           // an eXIf chunk
    QByteArray rawProfileExif; // ImageMagick's text form of EXIF
    bool corruptTextChunk = false;
};

// A libpng error here aborts the test binary: the writer is test code.
void WritePng(const QString& path, const PngPicture& p) {
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    ASSERT_NE(file, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(p.width), png_uint_32(p.height), p.bitDepth, p.colorType,
                 p.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!p.palette.empty()) png_set_PLTE(png, info, p.palette.data(), int(p.palette.size()));
    if (!p.paletteAlpha.empty())
        png_set_tRNS(png, info, p.paletteAlpha.data(), int(p.paletteAlpha.size()), nullptr);
    if (p.colourKey) png_set_tRNS(png, info, nullptr, 0, &*p.colourKey);
    if (p.physUnit >= 0) png_set_pHYs(png, info, p.physX, p.physY, p.physUnit);
    QByteArray exif = p.exif;
    if (!exif.isEmpty()) png_set_eXIf_1(png, info, png_uint_32(exif.size()), reinterpret_cast<png_bytep>(exif.data()));
    QByteArray rawText = "\nexif\n" + QByteArray::number(p.rawProfileExif.size()).rightJustified(8) + "\n" +
                         p.rawProfileExif.toHex() + "\n";
    png_text text{};
    text.compression = PNG_TEXT_COMPRESSION_NONE;
    text.key = const_cast<char*>("Raw profile type exif");
    text.text = rawText.data();
    if (!p.rawProfileExif.isEmpty()) png_set_text(png, info, &text, 1);
    png_write_info(png, info);
    std::vector<png_bytep> rows;
    for (const auto& row : p.rows) rows.push_back(const_cast<png_bytep>(row.data()));
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

// Big-endian 16-bit samples.
void Put16(std::vector<std::uint8_t>& row, unsigned v) {
    row.push_back(std::uint8_t(v >> 8));
    row.push_back(std::uint8_t(v & 0xFF));
}

unsigned Scaled(unsigned v16) { return (v16 * 255u + 32767u) / 65535u; }

// A picture whose every pixel differs: red = x * 16, green = y * 8, blue 77.
PngPicture Gradient(int width, int height) {
    PngPicture p;
    p.width = width;
    p.height = height;
    for (int y = 0; y < height; ++y) {
        std::vector<std::uint8_t> row;
        for (int x = 0; x < width; ++x) {
            row.push_back(std::uint8_t(x * 16));
            row.push_back(std::uint8_t(y * 8));
            row.push_back(77);
        }
        p.rows.push_back(row);
    }
    return p;
}

// A TIFF stream (as eXIf holds it) with one tag: the orientation.
QByteArray ExifWithOrientation(int orientation) {
    QByteArray b("MM\0*\0\0\0\x08", 8);
    b.append("\0\x01", 2);                              // one entry
    b.append("\x01\x12\0\x03\0\0\0\x01", 8);            // Orientation, SHORT, 1
    b.append(char(0)).append(char(orientation)).append(2, '\0');
    b.append(4, '\0');                                   // no next directory
    return b;
}



class PngDecode : public ::testing::Test {
protected:
    QString folder = MakeTempFolder();
    QString Path(const QString& name) const { return folder + "/" + name; }

    QString Write(const PngPicture& picture, const QString& name) {
        WritePng(Path(name), picture);
        return Path(name);
    }

    std::unique_ptr<PictureSource> Open(const QString& path, Status expected = Status::Ok) {
        std::unique_ptr<PictureSource> source;
        EXPECT_EQ(OpenPictureSource(path, DecodeLimits{}, source), expected);
        return source;
    }

    PixelBuffer Decode(const QString& path) {
        PixelBuffer p;
        auto source = Open(path);
        if (source) {
            EXPECT_EQ(source->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
        }
        return p;
    }
};

TEST_F(PngDecode, SixteenBitColourKeyIsComparedBeforeScaling) {
    PngPicture p;
    p.width = 3;
    p.height = 1;
    p.bitDepth = 16;
    p.colourKey = png_color_16{0, 0x1234, 0x5678, 0x9ABC, 0};
    std::vector<std::uint8_t> row;
    for (unsigned v : {0x1234u, 0x5678u, 0x9ABCu}) Put16(row, v);  // the key: transparent
    for (unsigned v : {0x1235u, 0x5678u, 0x9ABCu}) Put16(row, v);  // same 8 bits, not the key
    for (unsigned v : {0xFFFFu, 0x8080u, 0x7F7Fu}) Put16(row, v);
    p.rows.push_back(row);

    const PixelBuffer out = Decode(Write(p, "key16.png"));
    ASSERT_EQ(out.layout(), PixelLayout::Rgba8);
    EXPECT_EQ(AlphaAt(out, 0, 0), 0);
    EXPECT_EQ(AlphaAt(out, 1, 0), 255);
    EXPECT_TRUE(Near(PixelAt(out, 1, 0), {int(Scaled(0x1235)), int(Scaled(0x5678)), int(Scaled(0x9ABC))}, 0));
    EXPECT_TRUE(Near(PixelAt(out, 2, 0), {255, 128, 127}, 0));  // rounded, not truncated
    EXPECT_EQ(AlphaAt(out, 2, 0), 255);
}

TEST_F(PngDecode, PaletteGreyAndAlphaExpandToRgba) {
    PngPicture pal;
    pal.width = 4;
    pal.height = 1;
    pal.colorType = PNG_COLOR_TYPE_PALETTE;
    pal.bitDepth = 2;
    pal.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 8, 7}};
    pal.paletteAlpha = {0, 128};  // entries 2 and 3 stay opaque
    pal.rows.push_back({0b00011011});
    PixelBuffer out = Decode(Write(pal, "pal.png"));
    ASSERT_EQ(out.layout(), PixelLayout::Rgba8);
    ASSERT_EQ(out.width(), 4);
    EXPECT_EQ(AlphaAt(out, 0, 0), 0);
    EXPECT_TRUE(Near(PixelAt(out, 1, 0), {0, 255, 0}, 0));
    EXPECT_EQ(AlphaAt(out, 1, 0), 128);
    EXPECT_EQ(AlphaAt(out, 3, 0), 255);
    EXPECT_TRUE(Near(PixelAt(out, 3, 0), {9, 8, 7}, 0));

    PngPicture greyAlpha;
    greyAlpha.width = 2;
    greyAlpha.height = 1;
    greyAlpha.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
    greyAlpha.rows.push_back({40, 200, 250, 30});
    out = Decode(Write(greyAlpha, "ga.png"));
    ASSERT_EQ(out.layout(), PixelLayout::Rgba8);
    EXPECT_TRUE(Near(PixelAt(out, 0, 0), {40, 40, 40}, 0));
    EXPECT_EQ(AlphaAt(out, 0, 0), 200);
    EXPECT_TRUE(Near(PixelAt(out, 1, 0), {250, 250, 250}, 0));
    EXPECT_EQ(AlphaAt(out, 1, 0), 30);

    PngPicture grey;  // 2-bit grey: levels 0, 85, 170, 255; no alpha
    grey.width = 4;
    grey.height = 1;
    grey.colorType = PNG_COLOR_TYPE_GRAY;
    grey.bitDepth = 2;
    grey.rows.push_back({0b00011011});
    out = Decode(Write(grey, "g2.png"));
    ASSERT_EQ(out.layout(), PixelLayout::Rgb8);
    for (int x = 0; x < 4; ++x) EXPECT_TRUE(Near(PixelAt(out, x, 0), {x * 85, x * 85, x * 85}, 0)) << x;
}

TEST_F(PngDecode, StreamedRowsAndInterlacedPicturesMatchTheWholeDecode) {
    PngPicture plain = Gradient(16, 37);
    PngPicture interlaced = plain;
    interlaced.interlaced = true;
    const QString plainPath = Write(plain, "plain.png");
    const QString interlacedPath = Write(interlaced, "adam7.png");
    const PixelBuffer whole = Decode(plainPath);
    ASSERT_FALSE(whole.empty());
    EXPECT_TRUE(Near(PixelAt(whole, 15, 36), {240, 36 * 8 % 256, 77}, 0));
    EXPECT_TRUE(SamePixels(whole, Decode(interlacedPath)));

    for (const QString& path : {plainPath, interlacedPath}) {
        SCOPED_TRACE(qPrintable(path));
        auto source = Open(path);
        ASSERT_TRUE(source);
        test::FrameSink sink;
        ASSERT_EQ(source->DecodeFrameRows(FrameDimensionPage, 0, 1, 1, sink), Status::Ok);
        EXPECT_TRUE(SamePixels(whole, sink.frame));
        // Plain rows come in several bands, while the rest is decoding.
        if (path == plainPath) {
            EXPECT_GT(sink.bands, 1);
        }
    }
}

TEST_F(PngDecode, ExifOrientationTurnsThePictureUpright) {
    PngPicture p = Gradient(4, 2);
    p.exif = ExifWithOrientation(6);
    auto source = Open(Write(p, "exif6.png"));
    ASSERT_TRUE(source);
    int w = 0, h = 0;
    ASSERT_EQ(source->FrameSize(FrameDimensionPage, 0, w, h), Status::Ok);
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 4);
    PixelBuffer out;
    ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 0, out), Status::Ok);
    ASSERT_EQ(out.width(), 2);
    ASSERT_EQ(out.height(), 4);
    // Orientation 6: upright (x, y) is stored (y, H-1-x).
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_TRUE(Near(PixelAt(out, x, y), {y * 16, (1 - x) * 8, 77}, 0)) << x << y;
    test::FrameSink sink;
    ASSERT_EQ(source->DecodeFrameRows(FrameDimensionPage, 0, 1, 1, sink), Status::Ok);
    EXPECT_TRUE(SamePixels(out, sink.frame));
    auto* png = dynamic_cast<decode::PngSource*>(source.get());
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(png->header().exif, ExifWithOrientation(6));

    // ImageMagick's text form of the same EXIF, with its "Exif" prefix.
    PngPicture text = Gradient(4, 2);
    text.rawProfileExif = QByteArray("Exif\0\0", 6) + ExifWithOrientation(8);
    source = Open(Write(text, "exif8.png"));
    ASSERT_TRUE(source);
    ASSERT_EQ(source->FrameSize(FrameDimensionPage, 0, w, h), Status::Ok);
    EXPECT_EQ(w, 2);
}

TEST_F(PngDecode, PhysStatesTheResolution) {
    PngPicture p = Gradient(2, 2);
    p.physUnit = PNG_RESOLUTION_METER;
    p.physX = 11811;  // 299.9994 DPI reads as 300
    p.physY = 4000;   // 101.6 DPI stays as it is
    auto source = Open(Write(p, "phys.png"));
    ASSERT_TRUE(source);
    EXPECT_FLOAT_EQ(source->HorizontalResolution(), 300);
    EXPECT_NEAR(source->VerticalResolution(), 101.6, 0.001);

    p.physUnit = PNG_RESOLUTION_UNKNOWN;  // an aspect ratio only
    source = Open(Write(p, "aspect.png"));
    ASSERT_TRUE(source);
    EXPECT_FLOAT_EQ(source->HorizontalResolution(), 96);
    EXPECT_FLOAT_EQ(source->VerticalResolution(), 96);
}

// The offset of a chunk's type in a PNG file, or -1.
int ChunkAt(const QByteArray& png, const char* type) {
    int at = 8;
    while (at + 8 <= png.size()) {
        const int length = (std::uint8_t(png[at]) << 24) | (std::uint8_t(png[at + 1]) << 16) |
                           (std::uint8_t(png[at + 2]) << 8) | std::uint8_t(png[at + 3]);
        if (png.mid(at + 4, 4) == type) return at + 4;
        at += 12 + length;
    }
    return -1;
}

TEST_F(PngDecode, DamagedPicturesAreRefusedNeverFilled) {
    PngPicture p = Gradient(16, 64);
    p.rawProfileExif = ExifWithOrientation(1);  // a text chunk before the pixels
    const QByteArray good = ReadBytes(Write(p, "good.png"));
    const int idat = ChunkAt(good, "IDAT");
    const int iend = ChunkAt(good, "IEND");
    ASSERT_GT(idat, 0);
    ASSERT_GT(iend, idat);

    std::vector<std::pair<const char*, QByteArray>> damaged;
    QByteArray crc = good;
    crc[iend - 5] = char(crc[iend - 5] ^ 0x01);  // the last byte of IDAT's CRC
    damaged.push_back({"idat crc", crc});
    QByteArray data = good;
    data[idat + 20] = char(data[idat + 20] ^ 0x40);
    damaged.push_back({"idat data", data});
    damaged.push_back({"half", good.left(good.size() / 2)});
    damaged.push_back({"no iend", good.left(iend - 4)});
    for (const auto& [what, bytes] : damaged) {
        SCOPED_TRACE(what);
        WriteBytes(Path("bad.png"), bytes);
        std::unique_ptr<PictureSource> source;
        if (OpenPictureSource(Path("bad.png"), DecodeLimits{}, source) != Status::Ok) continue;
        PixelBuffer out;
        EXPECT_NE(source->DecodeFrame(FrameDimensionPage, 0, out), Status::Ok);
        EXPECT_TRUE(out.empty());
        test::FrameSink sink;
        EXPECT_NE(source->DecodeFrameRows(FrameDimensionPage, 0, 1, 1, sink), Status::Ok);
    }

    // A damaged ancillary chunk is dropped; the pixels are intact.
    QByteArray text = good;
    const int textAt = ChunkAt(good, "tEXt");
    ASSERT_GT(textAt, 0);
    text[textAt + 6] = char(text[textAt + 6] ^ 0x01);
    WriteBytes(Path("text.png"), text);
    EXPECT_TRUE(SamePixels(Decode(Path("text.png")), Decode(Path("good.png"))));
}

TEST_F(PngDecode, LimitsApplyToTheStatedSize) {
    const QString path = Write(Gradient(20, 10), "small.png");
    DecodeLimits tight;
    tight.maxPixels = 199;
    std::unique_ptr<PictureSource> source;
    EXPECT_EQ(OpenPictureSource(path, tight, source), Status::OutOfMemory);
    tight.maxPixels = 200;
    tight.maxBytes = 599;  // three bytes a pixel
    EXPECT_EQ(OpenPictureSource(path, tight, source), Status::OutOfMemory);
    tight.maxBytes = 600;
    EXPECT_EQ(OpenPictureSource(path, tight, source), Status::Ok);
}

}  // namespace
