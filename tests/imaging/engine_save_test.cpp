// Encoders, saving and the conversion pipeline: the lookup's matching rules,
// the quality and density that reach the file, saves that fail without
// leaving or damaging anything, failed pictures, and whole conversions.
#include "imaging/conversion/conversion.h"
#include "imaging/gdiplus/encoder_lookup.h"
#include "imaging/encode/jpeg_writer.h"
#include "engine_test_support.h"
#include "tests/support/test_environment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <unistd.h>

#include <csetjmp>
#include <cstdio>

namespace {

using namespace imaging;
using engine_test::MakeBitmap;

CLSID JpegClsid() {
    CLSID clsid{};
    EXPECT_EQ(GetEncoderClsid(QStringLiteral("image/jpeg"), &clsid), 0);
    return clsid;
}

Status Save(GpImage* image, const QString& path, std::uint32_t quality) {
    const CLSID clsid = JpegClsid();
    EncoderParameters params{};
    params.Count = 1;
    params.Parameter[0] = {EncoderQuality, 1, EncoderParameterValueType::Long, &quality};
    return GdipSaveImageToFile(image, path, &clsid, &params);
}

// What a written JPEG says about itself.
struct JpegFacts {
    bool ok = false;
    int width = 0, height = 0;
    int densityUnit = 0, xDensity = 0, yDensity = 0;
    unsigned lumaQuant[DCTSIZE2] = {};
    int lumaSampling = 0;
};

struct ErrorJump {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};
extern "C" void JumpOnError(j_common_ptr c) { std::longjmp(reinterpret_cast<ErrorJump*>(c->err)->jump, 1); }

bool ReadHeader(jpeg_decompress_struct* info, ErrorJump* err, std::FILE* f, JpegFacts* facts) {
    if (setjmp(err->jump)) return false;
    jpeg_create_decompress(info);
    jpeg_stdio_src(info, f);
    jpeg_read_header(info, TRUE);
    facts->width = static_cast<int>(info->image_width);
    facts->height = static_cast<int>(info->image_height);
    facts->densityUnit = info->density_unit;
    facts->xDensity = info->X_density;
    facts->yDensity = info->Y_density;
    facts->lumaSampling = info->comp_info[0].h_samp_factor * 10 + info->comp_info[0].v_samp_factor;
    for (int i = 0; i < DCTSIZE2; ++i) facts->lumaQuant[i] = info->quant_tbl_ptrs[0]->quantval[i];
    return true;
}

JpegFacts ReadJpeg(const QString& path) {
    JpegFacts facts;
    std::FILE* f = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!f) return facts;
    jpeg_decompress_struct info{};
    ErrorJump err{};
    info.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JumpOnError;
    facts.ok = ReadHeader(&info, &err, f, &facts);
    jpeg_destroy_decompress(&info);
    std::fclose(f);
    return facts;
}

// The luminance table libjpeg itself makes at a quality (baseline).
std::vector<unsigned> LibjpegLumaTable(int quality) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    c.in_color_space = JCS_RGB;
    c.input_components = 3;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    std::vector<unsigned> table(c.quant_tbl_ptrs[0]->quantval, c.quant_tbl_ptrs[0]->quantval + DCTSIZE2);
    jpeg_destroy_compress(&c);
    return table;
}

std::unique_ptr<GpBitmap> Picture(int w = 40, int h = 30) {
    return MakeBitmap(w, h, [](int x, int y) { return static_cast<std::uint32_t>(x * 5000 + y * 70); });
}

TEST(EngineEncoders, ListsJpegWithItsMimeType) {
    std::uint32_t n = 0, size = 0;
    ASSERT_EQ(GdipGetImageEncodersSize(&n, &size), Status::Ok);
    ASSERT_EQ(n, 1u);
    std::vector<ImageCodecInfo> list(n);
    ASSERT_EQ(GdipGetImageEncoders(n, size, list.data()), Status::Ok);
    EXPECT_EQ(list[0].MimeType, QStringLiteral("image/jpeg"));
    EXPECT_NE(GdipGetImageEncoders(n, size - 1, list.data()), Status::Ok);
}

EncoderListSource FakeList(std::vector<ImageCodecInfo> list) {
    auto shared = std::make_shared<std::vector<ImageCodecInfo>>(std::move(list));
    EncoderListSource s;
    s.size = [shared](std::uint32_t* n, std::uint32_t* size) {
        *n = static_cast<std::uint32_t>(shared->size());
        *size = static_cast<std::uint32_t>(shared->size() * sizeof(ImageCodecInfo));
        return Status::Ok;
    };
    s.fill = [shared](std::uint32_t n, std::uint32_t, ImageCodecInfo* out) {
        for (std::uint32_t i = 0; i < n; ++i) out[i] = (*shared)[i];
        return Status::Ok;
    };
    return s;
}

ImageCodecInfo Codec(std::uint32_t id, const QString& mime) {
    ImageCodecInfo info;
    info.Clsid = CLSID{id, 0, 0, {}};
    info.MimeType = mime;
    return info;
}

TEST(EngineEncoders, LookupMatchesExactlyAndTakesTheFirst) {
    const CLSID untouched{0xABCD, 1, 2, {3}};
    CLSID clsid = untouched;
    const auto caseOnly = FakeList({Codec(1, "image/png"), Codec(2, "image/JPEG")});
    EXPECT_EQ(GetEncoderClsid(QStringLiteral("image/jpeg"), &clsid, caseOnly), -1);
    EXPECT_EQ(clsid, untouched);
    const auto twice = FakeList({Codec(1, "image/png"), Codec(2, "image/jpeg"), Codec(3, "image/jpeg")});
    EXPECT_EQ(GetEncoderClsid(QStringLiteral("image/jpeg"), &clsid, twice), 1);
    EXPECT_EQ(clsid.Data1, 2u);
    EXPECT_EQ(GetEncoderClsid(QStringLiteral("image/jpeg"), &clsid, FakeList({})), -1);
    EXPECT_EQ(GetEncoderClsid(QStringLiteral("image/jpeg "), &clsid), -1);  // no trimming either
}

TEST(EngineSave, QualityReachesTheEncoderUnchanged) {
    const QString dir = MakeTempFolder();
    auto bitmap = Picture();
    for (int q : {1, 50, 100}) {
        const QString path = dir + QStringLiteral("/q%1.jpg").arg(q);
        ASSERT_EQ(Save(bitmap.get(), path, static_cast<std::uint32_t>(q)), Status::Ok);
        const JpegFacts facts = ReadJpeg(path);
        ASSERT_TRUE(facts.ok);
        EXPECT_EQ(std::vector<unsigned>(facts.lumaQuant, facts.lumaQuant + DCTSIZE2), LibjpegLumaTable(q)) << q;
        EXPECT_EQ(facts.lumaSampling, 22);  // 4:2:0
    }
    // Beyond 100: libjpeg's own bound, as at 100.
    ASSERT_EQ(Save(bitmap.get(), dir + "/q150.jpg", 150), Status::Ok);
    EXPECT_EQ(ReadJpeg(dir + "/q150.jpg").lumaQuant[0], 1u);
}

TEST(EngineSave, ResolutionIsWrittenAsDotsPerInch) {
    const QString path = MakeTempFolder() + "/dpi.jpg";
    auto bitmap = Picture();
    ASSERT_EQ(GdipBitmapSetResolution(bitmap.get(), 300.0f, 300.0f), Status::Ok);
    ASSERT_EQ(Save(bitmap.get(), path, 90), Status::Ok);
    const JpegFacts facts = ReadJpeg(path);
    EXPECT_EQ(facts.densityUnit, 1);
    EXPECT_EQ(facts.xDensity, 300);
    EXPECT_EQ(facts.yDensity, 300);
    EXPECT_EQ(facts.width, 40);
    EXPECT_EQ(facts.height, 30);
}

TEST(EngineSave, MissingFolderFailsAndLeavesNothing) {
    const QString dir = MakeTempFolder();
    auto bitmap = Picture();
    EXPECT_NE(Save(bitmap.get(), dir + "/missing/out.jpg", 80), Status::Ok);
    EXPECT_FALSE(QDir(dir + "/missing").exists());
    EXPECT_TRUE(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

TEST(EngineSave, FailedSaveLeavesAnExistingTargetIntact) {
    const QString dir = MakeTempFolder();
    const QString path = dir + "/keep.jpg";
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents");
    old.close();
    auto bitmap = Picture();
    // A wrong encoder, wrong parameters, a read-only target.
    const CLSID wrong{1, 2, 3, {4}};
    const std::uint32_t q = 80;
    EncoderParameters params{};
    params.Count = 1;
    params.Parameter[0] = {EncoderQuality, 1, EncoderParameterValueType::Long, &q};
    EXPECT_NE(GdipSaveImageToFile(bitmap.get(), path, &wrong, &params), Status::Ok);
    params.Parameter[0].NumberOfValues = 2;
    const CLSID jpeg = JpegClsid();
    EXPECT_NE(GdipSaveImageToFile(bitmap.get(), path, &jpeg, &params), Status::Ok);
    QFile::setPermissions(path, QFile::ReadOwner);
    if (::access(QFile::encodeName(path).constData(), W_OK) != 0) {  // root may write anyway
        EXPECT_NE(Save(bitmap.get(), path, 80), Status::Ok);
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QFile check(path);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray("old contents"));
    // Only the old file: no temporary left behind.
    EXPECT_EQ(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
    // A good save replaces it.
    EXPECT_EQ(Save(bitmap.get(), path, 80), Status::Ok);
    EXPECT_TRUE(ReadJpeg(path).ok);
    EXPECT_EQ(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
}

TEST(EngineSave, FullDiskIsAFailedSave) {
    if (!QFile::exists("/dev/full")) GTEST_SKIP();
    // Writing to a full device fails; the stream reports it at the latest
    // on flush, and the encoder stops.
    auto bitmap = Picture(400, 300);
    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    EXPECT_FALSE(WriteJpeg(bitmap->data().frame, JpegSettings{}, full) && std::fflush(full) == 0);
    std::fclose(full);
}

TEST(EnginePicture, FailedLoadMeasuresZeroAndEveryOperationFails) {
    const QString path = MakeTempFolder() + "/not-a-picture.jpg";
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\xFF\xD8\xFF garbage");
    f.close();
    std::unique_ptr<GpImage> image;
    EXPECT_NE(GdipLoadImageFromFile(path, image), Status::Ok);
    ASSERT_NE(image, nullptr);
    std::uint32_t w = 7, h = 7, count = 7;
    float dpi = 7;
    EXPECT_NE(GdipGetImageWidth(image.get(), &w), Status::Ok);
    EXPECT_NE(GdipGetImageHeight(image.get(), &h), Status::Ok);
    EXPECT_NE(GdipGetImageHorizontalResolution(image.get(), &dpi), Status::Ok);
    EXPECT_NE(GdipImageGetFrameDimensionsCount(image.get(), &count), Status::Ok);
    EXPECT_EQ(w, 0u);
    EXPECT_EQ(h, 0u);
    EXPECT_EQ(dpi, 0.0f);
    EXPECT_EQ(count, 0u);
    EXPECT_NE(GdipImageSelectActiveFrame(image.get(), &FrameDimensionPage, 0), Status::Ok);
    EXPECT_NE(GdipImageRotateFlip(image.get(), RotateFlipType::Rotate90FlipNone), Status::Ok);
    std::unique_ptr<GpGraphics> g;
    EXPECT_NE(GdipGetImageGraphicsContext(image.get(), g), Status::Ok);
    EXPECT_NE(GdipSetInterpolationMode(g.get(), InterpolationMode::HighQualityBicubic), Status::Ok);
    EXPECT_NE(Save(image.get(), MakeTempFolder() + "/x.jpg", 80), Status::Ok);
}

TEST(EnginePicture, BitmapIsExactSizeWhiteAndHasOnePage) {
    std::unique_ptr<GpBitmap> bitmap;
    ASSERT_EQ(GdipCreateBitmapFromScan0(17, 3, 0, PixelFormat24bppRGB, nullptr, bitmap), Status::Ok);
    std::uint32_t w = 0, h = 0, n = 0;
    GdipGetImageWidth(bitmap.get(), &w);
    GdipGetImageHeight(bitmap.get(), &h);
    EXPECT_EQ(w, 17u);
    EXPECT_EQ(h, 3u);
    EXPECT_EQ(engine_test::PixelAt(bitmap->data().frame, 16, 2), 0xFFFFFFu);
    ASSERT_EQ(GdipImageGetFrameDimensionsCount(bitmap.get(), &n), Status::Ok);
    EXPECT_EQ(n, 1u);
    std::unique_ptr<GpBitmap> bad;
    EXPECT_NE(GdipCreateBitmapFromScan0(0, 3, 0, PixelFormat24bppRGB, nullptr, bad), Status::Ok);
    ASSERT_NE(bad, nullptr);
    EXPECT_NE(GdipBitmapSetResolution(bad.get(), 96, 96), Status::Ok);
}

TEST(EnginePipeline, RotatedConversionWritesSwappedSize) {
    const QString path = MakeTempFolder() + "/out.jpg";
    auto photo = Picture(80, 60);
    GdipBitmapSetResolution(photo.get(), 200.0f, 72.0f);
    ConversionInput in;
    in.picture = photo.get();
    in.outputWidth = 800;
    in.outputHeight = 600;
    in.overlayText = QStringLiteral("Text");
    in.textX = 10;
    in.textY = 10;
    in.overlayFont.lfHeight = -30;
    in.rotateAngle = 90;
    in.quality = 85;
    in.outputPath = path;
    const ConversionResult r = ConvertPicture(in);
    EXPECT_TRUE(r.saved());
    EXPECT_TRUE(r.notices.empty());
    const JpegFacts facts = ReadJpeg(path);
    EXPECT_EQ(facts.width, 600);
    EXPECT_EQ(facts.height, 800);
    EXPECT_EQ(facts.xDensity, 200);  // the horizontal resolution on both axes
    EXPECT_EQ(facts.yDensity, 200);
}

// What a run reported, in order: its notices, then how it ended.
using Report = std::pair<std::vector<ConversionNotice>, ConversionOutcome>;
Report Reported(const ConversionResult& r) { return {r.notices, r.outcome}; }
Report Reported(std::vector<ConversionNotice> notices, ConversionOutcome outcome) { return {std::move(notices), outcome}; }

TEST(EnginePipeline, FailuresAreReportedStepByStep) {
    using N = ConversionNotice;
    using O = ConversionOutcome;
    const QString dir = MakeTempFolder();
    auto photo = Picture();
    ConversionInput in;
    in.picture = photo.get();
    in.outputWidth = 0;
    in.outputHeight = 0;
    in.outputPath = dir + "/a.jpg";
    EXPECT_EQ(Reported(ConvertPicture(in)), Reported({}, O::WidthInvalid));
    in.outputWidth = 10;
    EXPECT_EQ(Reported(ConvertPicture(in)), Reported({}, O::HeightInvalid));
    // A size no bitmap can have: resolution, interpolation and draw fail in
    // turn, nothing written.
    in.outputWidth = 1 << 20;
    in.outputHeight = 1 << 20;
    EXPECT_EQ(Reported(ConvertPicture(in)),
              Reported({N::ResolutionFailed, N::InterpolationFailed}, O::DrawFailed));
    // An unknown angle goes on unturned.
    in.outputWidth = 30;
    in.outputHeight = 20;
    in.rotateAngle = 45;
    ConversionResult r = ConvertPicture(in);
    EXPECT_EQ(Reported(r), Reported({N::UnknownAngle}, O::Saved));
    EXPECT_EQ(ReadJpeg(in.outputPath).width, 30);
    // A picture that failed to load: no resolution, no draw.
    auto failed = MakeFailedImage();
    in.picture = failed.get();
    in.rotateAngle = 0;
    in.outputPath = dir + "/b.jpg";
    EXPECT_EQ(Reported(ConvertPicture(in)), Reported({N::ResolutionFailed}, O::DrawFailed));
    EXPECT_FALSE(QFile::exists(in.outputPath));
    // A save into a missing folder ends the run with a failed save.
    in.picture = photo.get();
    in.outputPath = dir + "/none/c.jpg";
    r = ConvertPicture(in);
    EXPECT_EQ(r.outcome, ConversionOutcome::SaveFailed);
    EXPECT_EQ(Reported(r), Reported({}, O::SaveFailed));
}

}  // namespace
