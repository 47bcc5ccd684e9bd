// Profiles and metadata of every format beside JPEG that carries them:
// PNG and WebP written by ImageMagick, HEIC by heif-enc, AVIF by avifenc,
// JPEG XL by cjxl, all from one tagged JPEG with camera Exif. Their
// colours must convert as ImageMagick converts the same decoded pixels,
// untagged ones must keep today's bytes, and the Exif must reach the
// output. Each case skips when its tool is missing.
#include "tagged_pictures.h"

#include "tests/support/test_environment.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <exiv2/exiv2.hpp>

#include <gtest/gtest.h>

using namespace imaging;
using namespace tagged;

namespace {

const QString kSrgbFile = QStringLiteral("/usr/share/color/icc/sRGB.icc");

Bytes CameraExif() {
    Exiv2::ExifData exif;
    exif["Exif.Image.Make"] = "TestCam";
    exif["Exif.Image.Model"] = "TC-1";
    exif["Exif.Photo.DateTimeOriginal"] = "2024:05:06 07:08:09";
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, exif);
    Bytes out{'E', 'x', 'i', 'f', 0, 0};
    out.insert(out.end(), blob.begin(), blob.end());
    return out;
}

std::string ExifText(const QString& path, const char* key) {
    try {
        auto image = Exiv2::ImageFactory::open(path.toStdString());
        image->readMetadata();
        const auto it = image->exifData().findKey(Exiv2::ExifKey(key));
        return it == image->exifData().end() ? "<none>" : it->toString();
    } catch (const Exiv2::AnyError&) {
        return "<unreadable>";
    }
}

struct Format {
    const char* name;
    const char* tool;     // the encoder
    const char* reader;   // makes a PNG ImageMagick reads, when it cannot read the format ("" when it can)
};

// ImageMagick reads HEIF without its profile: heif-convert writes a PNG
// that keeps it.
const Format kFormats[] = {{"png", "convert", ""},
                           {"webp", "convert", ""},
                           {"heic", "heif-enc", "heif-convert"},
                           {"avif", "avifenc", "heif-convert"},
                           {"jxl", "cjxl", "djxl"}};

class FormatColour : public ::testing::Test {
protected:
    QString folder = MakeTempFolder();
    QString Path(const QString& name) const { return folder + "/" + name; }
    static QString Tool(const char* name) { return QStandardPaths::findExecutable(QString::fromLatin1(name)); }

    static bool Run(const QString& tool, const QStringList& args) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(tool, args);
        const bool ok = process.waitForFinished(120'000) && process.exitStatus() == QProcess::NormalExit &&
                        process.exitCode() == 0;
        if (!ok) ADD_FAILURE() << qPrintable(tool) << " " << qPrintable(args.join(' ')) << ": "
                               << process.readAll().constData();
        return ok;
    }

    // The sweep as a JPEG at quality 100 with camera Exif and `icc`. Large
    // enough that the lossy formats' edges do not dominate the comparison.
    QString Source(const QString& name, const Bytes& icc) {
        TaggedJpeg tagging;
        tagging.icc = icc;
        tagging.markers = {{JPEG_APP0 + 1, CameraExif()}};
        const QString path = Path(name);
        EXPECT_TRUE(WriteJpeg(path, 192, 128, [](int x, int y) { return Sweep(x, y, 192, 128); }, tagging));
        return path;
    }

    // `source` in `format`, nearly or wholly lossless, its profile and
    // Exif kept; empty when the encoder is missing.
    QString Encode(const Format& format, const QString& source) {
        const QString tool = Tool(format.tool);
        if (tool.isEmpty()) return {};
        const QString out = source + "." + format.name;
        const QString name = QString::fromLatin1(format.name);
        bool ok = false;
        if (name == "png" || name == "webp")
            ok = Run(tool, {source, "-define", "webp:lossless=true", out});
        else if (name == "heic")
            ok = Run(tool, {"-q", "100", "-o", out, source});
        else if (name == "avif")
            ok = Run(tool, {"--min", "0", "--max", "2", source, out});
        else
            ok = Run(tool, {source, out});  // a JPEG transcoded losslessly
        return ok ? out : QString();
    }

    // ImageMagick's sRGB pixels of `input`, read by the format's own
    // decoder first when ImageMagick cannot read it.
    QImage Reference(const Format& format, const QString& input) {
        QString readable = input;
        if (*format.reader) {
            readable = input + ".ref.png";
            if (!Run(Tool(format.reader), {input, readable})) return {};
        }
        const QString out = input + ".im.png";
        if (!Run(Tool("convert"), {readable, "-intent", "relative", "-black-point-compensation", "-profile", kSrgbFile,
                                   out}))
            return {};
        return QImage(out).convertToFormat(QImage::Format_RGB32);
    }
};

TEST_F(FormatColour, WideGamutPicturesMatchImageMagick) {
    if (Tool("convert").isEmpty()) GTEST_SKIP() << "ImageMagick is not installed";
    struct Profile {
        const char* name;
        Bytes icc;
    };
    const Profile profiles[] = {{"p3", DisplayP3Profile()}, {"adobe", AdobeRgbProfile()}};
    for (const Profile& profile : profiles) {
        const QString source = Source(QString::fromLatin1(profile.name) + ".jpg", profile.icc);
        for (const Format& format : kFormats) {
            SCOPED_TRACE(std::string(profile.name) + "." + format.name);
            const QString input = Encode(format, source);
            if (input.isEmpty()) continue;
            const QImage expected = Reference(format, input);
            ASSERT_FALSE(expected.isNull());
            ASSERT_TRUE(Convert(input, input + ".out.jpg"));
            const PixelBuffer ours = Decoded(input + ".out.jpg");
            ASSERT_EQ(ours.width(), expected.width());
            const double managed = MeanDeltaE(ours, expected);
            EXPECT_LE(managed, 1.0);
            ASSERT_TRUE(Convert(input, input + ".plain.jpg", 0, 0,
                                [](ConversionInput& in) { in.colour = ColourHandling::Untouched; }));
            const double unmanaged = MeanDeltaE(Decoded(input + ".plain.jpg"), expected);
            EXPECT_GT(unmanaged, 1.5) << "the profile was not read at all";
            std::printf("%s.%s: mean CIEDE2000 to ImageMagick %.3f (unconverted %.3f)\n", profile.name, format.name,
                        managed, unmanaged);
        }
    }
}

// Lossy JPEG XL stores XYB; libjxl delivers the pixels in the colour space
// the header names, or in sRGB where the header carries a profile.
TEST_F(FormatColour, LossyJpegXlComesOutInTheColoursItsProfileMeans) {
    if (Tool("convert").isEmpty() || Tool("cjxl").isEmpty() || Tool("djxl").isEmpty())
        GTEST_SKIP() << "ImageMagick or cjxl/djxl is not installed";
    const Format jxl{"jxl", "cjxl", "djxl"};
    for (const auto& [name, icc] : {std::pair{"p3", DisplayP3Profile()}, std::pair{"adobe", AdobeRgbProfile()}}) {
        SCOPED_TRACE(name);
        const QString png = Path(QString::fromLatin1(name) + ".png");
        ASSERT_TRUE(Run(Tool("convert"), {Source(QString::fromLatin1(name) + ".jpg", icc), png}));
        const QString input = png + ".jxl";
        ASSERT_TRUE(Run(Tool("cjxl"), {png, input, "-d", "0.5"}));
        const QImage expected = Reference(jxl, input);
        ASSERT_FALSE(expected.isNull());
        ASSERT_TRUE(Convert(input, input + ".out.jpg"));
        const double managed = MeanDeltaE(Decoded(input + ".out.jpg"), expected);
        EXPECT_LE(managed, 1.0);
        std::printf("%s lossy JPEG XL: mean CIEDE2000 to ImageMagick %.3f\n", name, managed);
    }
}

TEST_F(FormatColour, UntaggedAndSrgbPicturesKeepTheirBytes) {
    for (const Bytes& icc : {Bytes{}, ReadFile(kSrgbFile)}) {
        const QString source = Source(icc.empty() ? "plain.jpg" : "srgb.jpg", icc);
        for (const Format& format : kFormats) {
            SCOPED_TRACE(std::string(format.name) + (icc.empty() ? " untagged" : " sRGB"));
            const QString input = Encode(format, source);
            if (input.isEmpty()) continue;
            ASSERT_TRUE(Convert(input, input + ".managed.jpg", 60, 40));
            ASSERT_TRUE(Convert(input, input + ".plain.jpg", 60, 40,
                                [](ConversionInput& in) { in.colour = ColourHandling::Untouched; }));
            const Bytes managed = ReadFile(input + ".managed.jpg");
            EXPECT_FALSE(managed.empty());
            EXPECT_EQ(managed, ReadFile(input + ".plain.jpg"));
        }
    }
}

TEST_F(FormatColour, CameraExifReachesTheOutput) {
    const QString source = Source("camera.jpg", DisplayP3Profile());
    for (const Format& format : kFormats) {
        SCOPED_TRACE(format.name);
        const QString input = Encode(format, source);
        if (input.isEmpty()) continue;
        const QString out = input + ".out.jpg";
        ASSERT_TRUE(Convert(input, out, 48, 32));
        EXPECT_EQ(ExifText(out, "Exif.Image.Make"), "TestCam");
        EXPECT_EQ(ExifText(out, "Exif.Image.Model"), "TC-1");
        EXPECT_EQ(ExifText(out, "Exif.Photo.DateTimeOriginal"), "2024:05:06 07:08:09");
        EXPECT_EQ(ExifText(out, "Exif.Photo.PixelXDimension"), "48");
    }
}

// AVIF's usual colour statement is a set of code points: Display P3's
// are converted; PQ, which a profile cannot render, is left as it is.
TEST_F(FormatColour, AvifCodePointsBecomeAProfileWhereOneCanSayThem) {
    const QString avifenc = Tool("avifenc");
    if (avifenc.isEmpty()) GTEST_SKIP() << "avifenc is not installed";
    const QString source = Source("codes.jpg", {});
    const QString p3 = Path("p3.avif"), pq = Path("pq.avif");
    ASSERT_TRUE(Run(avifenc, {"--min", "0", "--max", "2", "--cicp", "12/13/6", source, p3}));
    ASSERT_TRUE(Run(avifenc, {"--min", "0", "--max", "2", "--cicp", "9/16/9", source, pq}));
    std::unique_ptr<GpImage> picture;
    ASSERT_EQ(LoadImageFrameForSize(p3, 0, 0, 0, picture), Status::Ok);
    EXPECT_TRUE(PictureColoursPending(picture.get()));
    ASSERT_EQ(LoadImageFrameForSize(pq, 0, 0, 0, picture), Status::Ok);
    EXPECT_FALSE(PictureColoursPending(picture.get()));
    EXPECT_TRUE(PictureInfoOf(picture.get()).iccProfile.empty());
    // The same pixels stated as Display P3 by code points and by profile
    // convert alike.
    const QString tagged = Path("p3-icc.avif");
    WriteFile(Path("p3.icc"), DisplayP3Profile());
    ASSERT_TRUE(Run(avifenc, {"--min", "0", "--max", "2", "--cicp", "12/13/6", "--icc", Path("p3.icc"), source, tagged}));
    ASSERT_TRUE(Convert(p3, Path("codes.jpg.out.jpg")));
    ASSERT_TRUE(Convert(tagged, Path("icc.jpg.out.jpg")));
    const QImage byProfile(Path("icc.jpg.out.jpg"));
    EXPECT_LE(MeanDeltaE(Decoded(Path("codes.jpg.out.jpg")), byProfile.convertToFormat(QImage::Format_RGB32)), 0.5);
}

}  // namespace
