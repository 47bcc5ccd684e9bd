// HEIF pictures through libheif, made at test time by heif-enc (HEIC) and
// avifenc (AVIF): colours, the file's own rotation and mirroring, 10-bit
// samples, alpha, several top-level images, Exif resolution, damaged files
// and size limits; rows delivered to a sink; and the reduction of deep
// samples to 8 bits.
#include "decode_encoder_tools.h"
#include "frame_sink.h"

#include "imaging/decode/file_signature.h"
#include "imaging/decode/heif/heif_handles.h"
#include "imaging/decode/heif/heif_pixels.h"
#include "imaging/decode/heif/heif_source.h"

#include <cstring>

using namespace imaging;
using imaging::test::SamePixels;
using namespace decode_test;

namespace {

class HeifDecode : public EncoderToolTest {
protected:
    // A HEIC of the block picture (or of a JPEG, which keeps its Exif).
    QString Heic(const QString& input, const QString& name) {
        const QString tool = Tool("heif-enc");
        if (tool.isEmpty()) return {};
        const QString out = Path(name);
        EXPECT_TRUE(Run(tool, {"-q", "95", "-o", out, input}));
        return out;
    }
    // heif-enc -A aborts inside libaom 3.6 on Debian 12, so AVIF comes from
    // avifenc. Quantizer 0..4 keeps the blocks within a few levels.
    QString Avif(const QString& input, const QString& name, const QStringList& extra = {}) {
        const QString tool = Tool("avifenc");
        if (tool.isEmpty()) return {};
        const QString out = Path(name);
        EXPECT_TRUE(Run(tool, QStringList{"--min", "0", "--max", "4"} + extra + QStringList{input, out}));
        return out;
    }
    void ExpectBlocks(const PixelBuffer& p, int tolerance) {
        for (int i = 0; i < 4; ++i) EXPECT_TRUE(Near(BlockMean(p, i % 2, i / 2), kBlocks[i], tolerance)) << "block " << i;
    }
};

std::uint64_t BigEndian(const QByteArray& b, qsizetype at, int size) {
    std::uint64_t v = 0;
    for (int i = 0; i < size; ++i) v = (v << 8) | std::uint8_t(b[at + i]);
    return v;
}

// Cuts the second half of the item whose data ends the file off, and
// shortens that item in the iloc box, so that the boxes agree with the shorter
// file and only the compressed stream is incomplete. Empty when the iloc
// box is not one this reads (version 0 or 1, no construction methods).
QByteArray TruncateKeepingBoxesConsistent(QByteArray file) {
    const qsizetype box = file.indexOf("iloc") - 4;
    if (box < 0) return {};
    const int version = std::uint8_t(file[box + 8]);
    qsizetype p = box + 12;
    const int offsetSize = std::uint8_t(file[p]) >> 4, lengthSize = std::uint8_t(file[p]) & 15;
    const int baseSize = std::uint8_t(file[p + 1]) >> 4;
    const int items = int(BigEndian(file, p + 2, 2));
    p += 4;
    if (version > 1) return {};
    for (int item = 0; item < items; ++item) {
        p += 2 + (version == 1 ? 2 : 0) + 2;
        const std::uint64_t base = BigEndian(file, p, baseSize);
        p += baseSize;
        const int extents = int(BigEndian(file, p, 2));
        p += 2;
        for (int e = 0; e < extents; ++e, p += offsetSize + lengthSize) {
            const std::uint64_t offset = base + BigEndian(file, p, offsetSize);
            const std::uint64_t length = BigEndian(file, p + offsetSize, lengthSize);
            if (offset + length != std::uint64_t(file.size()) || length < 2) continue;
            const std::uint64_t cut = length / 2;
            for (int i = 0; i < lengthSize; ++i)
                file[p + offsetSize + i] = char(((length - cut) >> (8 * (lengthSize - 1 - i))) & 0xFF);
            return file.left(file.size() - qsizetype(cut));
        }
    }
    return {};
}



#define SKIP_WITHOUT(path, tool) \
    if ((path).isEmpty()) GTEST_SKIP() << tool " is not installed (scripts/setup-debian.sh installs it)"

TEST_F(HeifDecode, HeicAndAvifDecodeAsOnePageAt96Dpi) {
    const QString png = SavePng(BlockImage(64, 48), "blocks.png");
    const QString heic = Heic(png, "blocks.heic");
    SKIP_WITHOUT(heic, "heif-enc");
    const QString avif = Avif(png, "blocks.avif");
    SKIP_WITHOUT(avif, "avifenc");
    for (const QString& path : {heic, avif}) {
        SCOPED_TRACE(qPrintable(path));
        auto source = Open(path);
        ASSERT_TRUE(source);
        PixelBuffer p;
        ASSERT_NO_FATAL_FAILURE(ExpectOneRgbPage(*source, 64, 48, p));
        EXPECT_EQ(p.width(), 64);
        ExpectBlocks(p, 6);
        EXPECT_EQ(source->DecodeFrame(FrameDimensionPage, 1, p), Status::InvalidParameter);
        EXPECT_EQ(source->DecodeFrame(FrameDimensionTime, 0, p), Status::InvalidParameter);
    }
}

// irot and imir turn the picture upright; FrameSize says so before decoding.
// (heif-enc 1.15 cannot write irot; avifenc can, and libheif applies the
// boxes the same way whatever the codec.)
TEST_F(HeifDecode, FileRotationAndMirrorAreApplied) {
    const QString png = SavePng(BlockImage(64, 48), "blocks.png");
    const QString turned = Avif(png, "irot.avif", {"--irot", "1"});  // a quarter turn anticlockwise
    SKIP_WITHOUT(turned, "avifenc");
    auto source = Open(turned);
    ASSERT_TRUE(source);
    int w = 0, h = 0;
    ASSERT_EQ(source->FrameSize(FrameDimensionPage, 0, w, h), Status::Ok);
    EXPECT_EQ(w, 48);
    EXPECT_EQ(h, 64);
    PixelBuffer p;
    ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
    ASSERT_EQ(p.width(), 48);
    // Anticlockwise: the top right block comes to the top left.
    EXPECT_TRUE(Near(PixelAt(p, 8, 8), kBlocks[1], 8));
    EXPECT_TRUE(Near(PixelAt(p, 8, 56), kBlocks[0], 8));
    EXPECT_TRUE(Near(PixelAt(p, 40, 8), kBlocks[3], 8));

    const QString mirrored = Avif(png, "imir.avif", {"--imir", "1"});  // mirrored left to right
    source = Open(mirrored);
    ASSERT_TRUE(source);
    ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
    ASSERT_EQ(p.width(), 64);
    EXPECT_TRUE(Near(PixelAt(p, 8, 8), kBlocks[1], 8));
    EXPECT_TRUE(Near(PixelAt(p, 56, 40), kBlocks[2], 8));
}

// The Exif block inside a HEIF file gives the resolution but not the
// orientation: the file's own boxes say how it stands, and heif-enc copies a
// JPEG's Exif (orientation 6 here) without turning anything.
TEST_F(HeifDecode, ExifGivesResolutionButNotOrientation) {
    const QString jpeg = Path("o6.jpg");
    JpegOptions options;
    options.app1 = MakeExif(6, 300, 150);
    ASSERT_TRUE(WriteJpeg(jpeg, 64, 48, [](int x, int y) { return kBlocks[(x >= 32) + 2 * (y >= 24)]; }, options));
    const QString heic = Heic(jpeg, "o6.heic");
    SKIP_WITHOUT(heic, "heif-enc");
    auto source = Open(heic);
    ASSERT_TRUE(source);
    EXPECT_FLOAT_EQ(source->HorizontalResolution(), 300);
    EXPECT_FLOAT_EQ(source->VerticalResolution(), 150);
    PixelBuffer p;
    ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
    EXPECT_EQ(p.width(), 64);
    EXPECT_EQ(p.height(), 48);
    ExpectBlocks(p, 8);
    const auto* heif = dynamic_cast<const decode::HeifSource*>(source.get());
    ASSERT_TRUE(heif);
    const QByteArray exif = heif->Metadata(0).exif;
    EXPECT_TRUE(exif.startsWith(QByteArray("II*\0", 4)) || exif.startsWith(QByteArray("MM\0*", 4)));
}

TEST_F(HeifDecode, TenBitAvifAndAlphaComeAsEightBits) {
    const QString deep = Avif(SavePng(BlockImage(64, 48), "blocks.png"), "deep.avif", {"-d", "10"});
    SKIP_WITHOUT(deep, "avifenc");
    auto source = Open(deep);
    ASSERT_TRUE(source);
    PixelBuffer p;
    ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
    EXPECT_EQ(p.layout(), PixelLayout::Rgb8);
    ExpectBlocks(p, 6);
    const auto* heif = dynamic_cast<const decode::HeifSource*>(source.get());
    ASSERT_TRUE(heif);
    EXPECT_TRUE(heif->Metadata(0).nclx.has_value());  // avifenc writes an nclx colour box

    const QString alpha = Avif(SavePng(BlockImage(64, 48, true), "alpha.png"), "alpha.avif");
    source = Open(alpha);
    ASSERT_TRUE(source);
    ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
    ASSERT_EQ(p.layout(), PixelLayout::Rgba8);
    EXPECT_TRUE(Near(BlockMean(p, 0, 1), kBlocks[2], 6));
    EXPECT_NEAR(AlphaAt(p, 8, 8), 255, 2);
    EXPECT_NEAR(AlphaAt(p, 56, 40), 0, 2);
}

TEST_F(HeifDecode, EveryTopLevelImageIsAPagePrimaryFirst) {
    const QString first = SavePng(BlockImage(64, 48), "blocks.png");
    QImage plain(40, 30, QImage::Format_RGB32);
    plain.fill(qRgb(30, 90, 160));
    const QString tool = Tool("heif-enc");
    SKIP_WITHOUT(tool, "heif-enc");
    const QString heic = Path("two.heic");
    ASSERT_TRUE(Run(tool, {"-q", "95", "-o", heic, first, SavePng(plain, "plain.png")}));
    auto source = Open(heic);
    ASSERT_TRUE(source);
    ASSERT_EQ(source->Dimensions()[0].frameCount, 2u);
    int w = 0, h = 0;
    ASSERT_EQ(source->FrameSize(FrameDimensionPage, 1, w, h), Status::Ok);
    EXPECT_EQ(w, 40);
    EXPECT_EQ(h, 30);
    PixelBuffer p;
    ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
    ExpectBlocks(p, 6);  // heif-enc makes the first input the primary image
    ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 1, p), Status::Ok);
    EXPECT_EQ(p.width(), 40);
    EXPECT_TRUE(Near(PixelAt(p, 20, 15), {30, 90, 160}, 6));
}

TEST_F(HeifDecode, DamagedAndOversizedFilesAreRefused) {
    const QString png = SavePng(BlockImage(256, 192), "blocks.png");
    const QString heic = Heic(png, "blocks.heic");
    SKIP_WITHOUT(heic, "heif-enc");
    const QString avif = Avif(png, "blocks.avif");
    SKIP_WITHOUT(avif, "avifenc");
    ExpectTruncationsRefused(heic);
    ExpectTruncationsRefused(avif);

    // The compressed stream cut short while the boxes agree with the
    // shorter file: the codec's own length fields (HEVC NAL units, AV1 OBUs)
    // still claim the missing bytes, and libheif refuses the stream.
    for (const QString& path : {heic, avif}) {
        const QByteArray cut = TruncateKeepingBoxesConsistent(ReadBytes(path));
        ASSERT_FALSE(cut.isEmpty()) << qPrintable(path);
        WriteBytes(Path("consistent"), cut);
        auto source = Open(Path("consistent"));
        ASSERT_TRUE(source);
        PixelBuffer p;
        EXPECT_EQ(source->DecodeFrame(FrameDimensionPage, 0, p), Status::GenericError) << qPrintable(path);
        EXPECT_TRUE(p.empty());
    }

    DecodeLimits small;
    small.maxSide = 200;
    Open(heic, Status::OutOfMemory, small);
    small = DecodeLimits{};
    small.maxPixels = 256 * 192 - 1;
    Open(avif, Status::OutOfMemory, small);
}

// The rows a sink receives are the frame DecodeFrame makes, whether they
// come straight from libheif (8-bit, with and without alpha) or converted
// (10-bit); odd sizes make libheif's rows longer than the picture's.
TEST_F(HeifDecode, RowsToASinkAreTheWholeFrame) {
    const QString heic = Heic(SavePng(BlockImage(67, 45), "blocks.png"), "blocks.heic");
    SKIP_WITHOUT(heic, "heif-enc");
    const QString deep = Avif(Path("blocks.png"), "deep.avif", {"-d", "10"});
    SKIP_WITHOUT(deep, "avifenc");
    const QString alpha = Avif(SavePng(BlockImage(67, 45, true), "alpha.png"), "alpha.avif");
    for (const QString& path : {heic, deep, alpha}) {
        SCOPED_TRACE(qPrintable(path));
        auto source = Open(path);
        ASSERT_TRUE(source);
        PixelBuffer whole;
        ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 0, whole), Status::Ok);
        test::FrameSink sink;
        ASSERT_EQ(source->DecodeFrameRows(FrameDimensionPage, 0, 1, 1, sink), Status::Ok);
        EXPECT_EQ(sink.begins, 1);
        EXPECT_TRUE(SamePixels(sink.frame, whole));
        EXPECT_EQ(sink.frame.layout(), path == alpha ? PixelLayout::Rgba8 : PixelLayout::Rgb8);

        test::FrameSink refusing;
        refusing.refuse = true;
        EXPECT_EQ(source->DecodeFrameRows(FrameDimensionPage, 0, 1, 1, refusing), Status::Aborted);
        EXPECT_EQ(source->DecodeFrameRows(FrameDimensionPage, 1, 1, 1, sink), Status::InvalidParameter);
    }
}

// A stream cut short fails before the sink hears of any rows.
TEST_F(HeifDecode, DamagedStreamDeliversNoRows) {
    const QString heic = Heic(SavePng(BlockImage(256, 192), "blocks.png"), "blocks.heic");
    SKIP_WITHOUT(heic, "heif-enc");
    const QByteArray cut = TruncateKeepingBoxesConsistent(ReadBytes(heic));
    ASSERT_FALSE(cut.isEmpty());
    WriteBytes(Path("consistent.heic"), cut);
    auto source = Open(Path("consistent.heic"));
    ASSERT_TRUE(source);
    test::FrameSink sink;
    EXPECT_EQ(source->DecodeFrameRows(FrameDimensionPage, 0, 1, 1, sink), Status::GenericError);
    EXPECT_EQ(sink.begins, 0);
}

TEST(HeifSignature, BrandsInFtypPickHeifAndNothingElse) {
    using decode::FileKind;
    auto ftyp = [](const char* major, const QByteArray& compatible) {
        QByteArray b;
        const int size = 16 + int(compatible.size());
        b.append(char(0)).append(char(0)).append(char(0)).append(char(size));
        b.append("ftyp").append(major).append(QByteArray(4, '\0')).append(compatible);
        return b + QByteArray("\0\0\0\x08meta", 8);
    };
    for (const char* brand : {"heic", "heix", "hevc", "heim", "heis", "hevx", "mif1", "msf1", "avif", "avis"})
        EXPECT_EQ(decode::SniffFileKind(ftyp(brand, "")), FileKind::Heif) << brand;
    EXPECT_EQ(decode::SniffFileKind(ftyp("MiHE", "MiHEmif1")), FileKind::Heif);  // compatible brand only
    EXPECT_EQ(decode::SniffFileKind(ftyp("isom", "isomiso2mp41")), FileKind::Other);  // an MP4 video
    EXPECT_EQ(decode::SniffFileKind(ftyp("crx ", "crx isom")), FileKind::CameraRaw);  // CR3
    // A brand past the end of the ftyp box does not count.
    EXPECT_EQ(decode::SniffFileKind(ftyp("isom", "") + QByteArray("mif1")), FileKind::Other);
}

// libheif hands over samples of more than 8 bits as 16-bit words; they are
// rounded to the nearest 8-bit value, not shifted.
TEST(HeifPixels, DeepSamplesAreRoundedToEightBits) {
    for (int bits : {10, 12}) {
        heif_image* raw = nullptr;
        ASSERT_EQ(heif_image_create(3, 1, heif_colorspace_RGB, heif_chroma_interleaved_RRGGBB_LE, &raw).code,
                  heif_error_Ok);
        decode::heif::Image image(raw);
        ASSERT_EQ(heif_image_add_plane(image.get(), heif_channel_interleaved, 3, 1, bits).code, heif_error_Ok);
        int stride = 0;
        std::uint8_t* plane = heif_image_get_plane(image.get(), heif_channel_interleaved, &stride);
        const unsigned max = (1u << bits) - 1;
        const unsigned samples[9] = {3, 7, max, max / 2, max / 2 + 1, 0, max - 3, 1, 2};
        for (int i = 0; i < 9; ++i) {
            plane[2 * i] = std::uint8_t(samples[i] & 0xFF);
            plane[2 * i + 1] = std::uint8_t(samples[i] >> 8);
        }
        PixelBuffer p;
        ASSERT_EQ(decode::heif::ImageToPixels(image.get(), false, p), Status::Ok);
        for (int i = 0; i < 9; ++i) {
            const int expected = int((samples[i] * 255.0) / max + 0.5);
            EXPECT_EQ(p.row(0)[i], expected) << bits << " bits, sample " << samples[i];
        }
    }
}

// libheif's rows are handed on unchanged only where ImageToPixels would
// copy them as they are: 8-bit samples and straight alpha.
TEST(HeifPixels, OnlyPlainEightBitRowsAreHandedOnUnchanged) {
    const auto make = [](heif_chroma chroma, int bits, decode::heif::Image& image) {
        heif_image* raw = nullptr;
        ASSERT_EQ(heif_image_create(5, 2, heif_colorspace_RGB, chroma, &raw).code, heif_error_Ok);
        image.reset(raw);
        ASSERT_EQ(heif_image_add_plane(image.get(), heif_channel_interleaved, 5, 2, bits).code, heif_error_Ok);
    };
    decode::heif::Image rgb, rgba, deep;
    ASSERT_NO_FATAL_FAILURE(make(heif_chroma_interleaved_RGB, 8, rgb));
    ASSERT_NO_FATAL_FAILURE(make(heif_chroma_interleaved_RGBA, 8, rgba));
    ASSERT_NO_FATAL_FAILURE(make(heif_chroma_interleaved_RRGGBB_LE, 10, deep));
    int stride = -1, planeStride = 0;
    EXPECT_EQ(decode::heif::PlainRows(rgb.get(), false, stride),
              heif_image_get_plane_readonly(rgb.get(), heif_channel_interleaved, &planeStride));
    EXPECT_EQ(stride, planeStride);
    EXPECT_NE(decode::heif::PlainRows(rgba.get(), true, stride), nullptr);
    EXPECT_EQ(decode::heif::PlainRows(deep.get(), false, stride), nullptr);
    heif_image_set_premultiplied_alpha(rgba.get(), 1);
    EXPECT_EQ(decode::heif::PlainRows(rgba.get(), true, stride), nullptr);
    // Rows of three samples a pixel are not rows of four.
    EXPECT_EQ(decode::heif::PlainRows(rgb.get(), true, stride), nullptr);
}

}  // namespace
