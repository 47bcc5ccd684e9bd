// What decoders hand over besides the pixels: ImageMagick's text form of
// profiles, Exif blocks in their containers' wrappings, the chunks of a
// WebP container (odd sizes, metadata after the image, sizes that lie),
// and the chunks of a PNG that hold a profile, Exif and XMP.
#include "decode_test_pictures.h"

#include "imaging/colour/coded_profile.h"
#include "imaging/decode/exif_payload.h"
#include "imaging/decode/png/png_metadata.h"
#include "imaging/decode/webp_chunks.h"

#include "tests/support/test_environment.h"

#include <QBuffer>

#include <png.h>

using namespace imaging;
using namespace decode_test;

namespace {

std::vector<std::uint8_t> Bytes(const QByteArray& b) { return std::vector<std::uint8_t>(b.begin(), b.end()); }

QByteArray Tiff() { return MakeExif(3).mid(6); }

QByteArray RawProfileText(const char* name, const QByteArray& bytes, qsizetype statedLength) {
    QByteArray hex = bytes.toHex();
    for (qsizetype at = 72; at < hex.size(); at += 73) hex.insert(at, '\n');  // ImageMagick's lines
    return "\n" + QByteArray(name) + "\n" + QByteArray::number(statedLength).rightJustified(8) + "\n" + hex + "\n";
}

TEST(RawProfileText, GivesExactlyTheStatedBytes) {
    const QByteArray profile = QByteArray("Exif\0\0", 6) + Tiff() + QByteArray(100, '\x5A');
    EXPECT_EQ(decode::DecodeRawProfile(RawProfileText("exif", profile, profile.size())), profile);
    EXPECT_EQ(decode::DecodeRawProfile(RawProfileText("exif", profile.toUpper(), profile.size())), profile.toUpper());
    // Fewer digits than stated, a digit that is not one, no length, a length
    // beyond any chunk: nothing.
    EXPECT_TRUE(decode::DecodeRawProfile(RawProfileText("exif", profile, profile.size() + 1)).isEmpty());
    QByteArray damaged = RawProfileText("exif", profile, profile.size());
    damaged[damaged.size() - 3] = 'g';
    EXPECT_TRUE(decode::DecodeRawProfile(damaged).isEmpty());
    EXPECT_TRUE(decode::DecodeRawProfile("\nexif\n").isEmpty());
    EXPECT_TRUE(decode::DecodeRawProfile("\nexif\n 99999999999\n00").isEmpty());
    EXPECT_TRUE(decode::DecodeRawProfile({}).isEmpty());
}

TEST(ExifPayload, TheTiffStructureIsFoundOrNothing) {
    const QByteArray tiff = Tiff();
    auto offset = [](std::uint32_t v) {
        return QByteArray(1, char(v >> 24)) + char((v >> 16) & 0xFF) + char((v >> 8) & 0xFF) + char(v & 0xFF);
    };
    EXPECT_EQ(decode::TiffFromBmffExif(offset(0) + tiff), tiff);  // JPEG XL's usual form
    EXPECT_EQ(decode::TiffFromBmffExif(offset(6) + QByteArray("Exif\0\0", 6) + tiff), tiff);  // HEIF's
    EXPECT_EQ(decode::TiffFromBmffExif(offset(0) + QByteArray("Exif\0\0", 6) + tiff), tiff);  // a wrong offset
    EXPECT_TRUE(decode::TiffFromBmffExif(offset(0xFFFFFFF0u) + tiff.mid(4)).isEmpty());
    EXPECT_TRUE(decode::TiffFromBmffExif(offset(tiff.size() - 4) + tiff).isEmpty());  // past the end
    EXPECT_TRUE(decode::TiffFromBmffExif(offset(0)).isEmpty());

    EXPECT_EQ(decode::TiffFromExifBlock(tiff), tiff);
    EXPECT_EQ(decode::TiffFromExifBlock(QByteArray("Exif\0\0", 6) + tiff), tiff);
    EXPECT_TRUE(decode::TiffFromExifBlock("Exif\0\0garbage garbage").isEmpty());
    EXPECT_TRUE(decode::TiffFromExifBlock("II*").isEmpty());
}

// ---- WebP ----

QByteArray Le32(std::uint32_t v) {
    return QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF) + char((v >> 16) & 0xFF) + char(v >> 24);
}

QByteArray Chunk(const char* type, const QByteArray& data) {
    QByteArray c = QByteArray(type, 4) + Le32(std::uint32_t(data.size())) + data;
    if (data.size() % 2) c.append('\0');
    return c;
}

QByteArray Riff(const QByteArray& chunks, qsizetype extraStated = 0) {
    return "RIFF" + Le32(std::uint32_t(4 + chunks.size() + extraStated)) + "WEBP" + chunks;
}

PictureInfo ChunksOf(QByteArray file) {
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    return decode::ReadWebpChunks(buffer);
}

TEST(WebpChunks, ProfileAndMetadataAreFoundAroundTheImage) {
    const QByteArray icc(333, '\x11');  // odd: the chunk is padded
    const QByteArray xmp("<x:xmpmeta/>");
    const QByteArray chunks = Chunk("VP8X", QByteArray(10, '\0')) + Chunk("ICCP", icc) +
                              Chunk("ANMF", QByteArray(1001, '\x22')) + Chunk("ANMF", QByteArray(20, '\x23')) +
                              Chunk("EXIF", QByteArray("Exif\0\0", 6) + Tiff()) + Chunk("XMP ", xmp) +
                              Chunk("ICCP", QByteArray(40, '\x33'));  // a second profile is not taken
    const PictureInfo info = ChunksOf(Riff(chunks));
    EXPECT_EQ(info.iccProfile, Bytes(icc));
    EXPECT_EQ(info.exif, Bytes(Tiff()));
    EXPECT_EQ(info.xmp, Bytes(xmp));
    EXPECT_FALSE(info.profileApplied);
}

TEST(WebpChunks, SizesThatLieEndTheReading) {
    const QByteArray icc(64, '\x11');
    const QByteArray head = Chunk("VP8X", QByteArray(10, '\0')) + Chunk("ICCP", icc);
    // A chunk claiming more than the file holds: what came before stays.
    QByteArray liar = QByteArray("XMP ", 4) + Le32(1'000'000) + "<x:xmpmeta/>";
    PictureInfo info = ChunksOf(Riff(head + liar));
    EXPECT_EQ(info.iccProfile, Bytes(icc));
    EXPECT_TRUE(info.xmp.empty());
    // The container stating more than the file, or less than its chunks.
    info = ChunksOf(Riff(head + Chunk("XMP ", "<x/>"), 5000));
    EXPECT_EQ(info.xmp, Bytes("<x/>"));
    info = ChunksOf(Riff(head + Chunk("XMP ", "<x/>"), -12));
    EXPECT_EQ(info.iccProfile, Bytes(icc));
    EXPECT_TRUE(info.xmp.empty());
    // An Exif chunk without a TIFF structure, not a WebP file, no file.
    EXPECT_TRUE(ChunksOf(Riff(head + Chunk("EXIF", "Exif\0\0nonsense!"))).exif.empty());
    EXPECT_TRUE(ChunksOf(QByteArray("RIFF\x10\0\0\0WAVEfmt ", 16)).iccProfile.empty());
    EXPECT_TRUE(ChunksOf({}).iccProfile.empty());
    EXPECT_TRUE(decode::ReadWebpChunks(QStringLiteral("/nonexistent/picture.webp")).iccProfile.empty());
}

// ---- PNG ----

struct TaggedPng {
    std::vector<std::uint8_t> icc;
    QByteArray exif;       // eXIf
    QByteArray rawExif;    // ImageMagick's text form of Exif, with its prefix
    QByteArray xmp;        // iTXt
    QByteArray trailingExif;  // eXIf after the image data
    bool srgbChunks = false;  // sRGB, gAMA and cHRM
};

void WriteTaggedPng(const QString& path, const TaggedPng& t) {
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    ASSERT_NE(file, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, 4, 2, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!t.icc.empty())
        png_set_iCCP(png, info, "test", PNG_COMPRESSION_TYPE_BASE, t.icc.data(), png_uint_32(t.icc.size()));
    if (t.srgbChunks) png_set_sRGB_gAMA_and_cHRM(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    QByteArray exif = t.exif;
    if (!exif.isEmpty()) png_set_eXIf_1(png, info, png_uint_32(exif.size()), reinterpret_cast<png_bytep>(exif.data()));
    QByteArray raw = RawProfileText("exif", t.rawExif, t.rawExif.size());
    QByteArray xmp = t.xmp;
    std::vector<png_text> texts;
    if (!t.rawExif.isEmpty())
        texts.push_back({PNG_TEXT_COMPRESSION_zTXt, const_cast<char*>("Raw profile type exif"), raw.data(), 0, 0,
                         nullptr, nullptr});
    if (!t.xmp.isEmpty())
        texts.push_back({PNG_ITXT_COMPRESSION_NONE, const_cast<char*>("XML:com.adobe.xmp"), xmp.data(), 0, 0,
                         nullptr, nullptr});
    if (!texts.empty()) png_set_text(png, info, texts.data(), int(texts.size()));
    png_write_info(png, info);
    std::vector<std::uint8_t> row(12, 99);
    for (int y = 0; y < 2; ++y) png_write_row(png, row.data());
    QByteArray trailing = t.trailingExif;
    if (!trailing.isEmpty())
        png_set_eXIf_1(png, info, png_uint_32(trailing.size()), reinterpret_cast<png_bytep>(trailing.data()));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

class PngInfo : public ::testing::Test {
protected:
    QString folder = MakeTempFolder();

    PictureInfo InfoOf(const TaggedPng& tagging) {
        const QString path = folder + "/tagged.png";
        WriteTaggedPng(path, tagging);
        std::unique_ptr<PictureSource> source;
        EXPECT_EQ(OpenPictureSource(path, DecodeLimits{}, source), Status::Ok);
        return source ? source->Info() : PictureInfo{};
    }
};

TEST_F(PngInfo, ProfileExifAndXmpReachTheConversion) {
    TaggedPng t;
    t.icc = colour::ProfileFromCodePoints(12, 13);  // Display P3
    ASSERT_FALSE(t.icc.empty());
    t.exif = Tiff();
    t.xmp = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"/>";
    const PictureInfo info = InfoOf(t);
    EXPECT_EQ(info.iccProfile, t.icc);
    EXPECT_EQ(info.exif, Bytes(Tiff()));
    EXPECT_EQ(info.xmp, Bytes(t.xmp));
    EXPECT_FALSE(info.profileApplied);
}

TEST_F(PngInfo, ImageMagicksTextFormLosesItsPrefix) {
    TaggedPng t;
    t.rawExif = QByteArray("Exif\0\0", 6) + Tiff();
    EXPECT_EQ(InfoOf(t).exif, Bytes(Tiff()));
    t.rawExif = "not exif at all";
    EXPECT_TRUE(InfoOf(t).exif.empty());
}

// ImageMagick writes eXIf after the image data, at times with JPEG's
// prefix; libpng's header reading sees neither.
TEST_F(PngInfo, ExifAfterTheImageDataIsFoundToo) {
    TaggedPng t;
    t.trailingExif = Tiff();
    EXPECT_EQ(InfoOf(t).exif, Bytes(Tiff()));
    t.trailingExif = QByteArray("Exif\0\0", 6) + Tiff();
    EXPECT_EQ(InfoOf(t).exif, Bytes(Tiff()));
    // A damaged chunk is left out, the picture still opens.
    const QString path = folder + "/tagged.png";
    QByteArray file = ReadBytes(path);
    const qsizetype exif = file.lastIndexOf("eXIf");
    ASSERT_GT(exif, 0);
    file[exif + 10] = char(file[exif + 10] ^ 0x20);
    WriteBytes(folder + "/damaged.png", file);
    std::unique_ptr<PictureSource> source;
    ASSERT_EQ(OpenPictureSource(folder + "/damaged.png", DecodeLimits{}, source), Status::Ok);
    EXPECT_TRUE(source->Info().exif.empty());
}

TEST_F(PngInfo, ColourChunksWithoutAProfileGiveNone) {
    TaggedPng t;
    t.srgbChunks = true;
    const PictureInfo info = InfoOf(t);
    EXPECT_TRUE(info.iccProfile.empty());
    EXPECT_TRUE(info.exif.empty());
    EXPECT_TRUE(info.xmp.empty());
}

}  // namespace
