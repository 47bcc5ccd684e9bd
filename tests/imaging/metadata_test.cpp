// Metadata carried into the output: what describes the photo stays with
// its values, what identifies places, cameras and owners goes, the EXIF
// states the output's orientation, size and resolution, and damaged
// blocks never stop a conversion. Sources are written with Exiv2 and the
// outputs read back with it.
#include "tagged_pictures.h"

#include "tests/support/test_environment.h"

#include "cli/cli_options.h"
#include "cli/convert_one.h"

#include <exiv2/exiv2.hpp>

#include <gtest/gtest.h>

using namespace imaging;
using namespace tagged;

namespace {

Bytes WithTag(std::string_view tag, const Bytes& block) {
    Bytes out(tag.begin(), tag.end());
    out.insert(out.end(), block.begin(), block.end());
    return out;
}

// A tiny JPEG to stand in for the camera's thumbnail.
Bytes ThumbnailJpeg(const QString& folder) {
    const QString path = folder + "/thumb.jpg";
    WriteJpeg(path, 8, 8, [](int, int) { return Rgb{9, 9, 9}; });
    return ReadFile(path);
}

Bytes SourceExif(const QString& folder, int orientation) {
    Exiv2::ExifData exif;
    exif["Exif.Image.Make"] = "TestCam";
    exif["Exif.Image.Model"] = "TC-1";
    exif["Exif.Image.Orientation"] = std::uint16_t(orientation);
    exif["Exif.Image.Artist"] = "Ada Photographer";
    exif["Exif.Image.Copyright"] = "(c) Ada";
    exif["Exif.Image.ImageDescription"] = "A harbour at dawn";
    exif["Exif.Image.Software"] = "Camera firmware 1.0";
    exif["Exif.Image.DateTime"] = "2024:05:06 07:08:09";
    exif["Exif.Image.XResolution"] = Exiv2::URational(300, 1);
    exif["Exif.Photo.DateTimeOriginal"] = "2024:05:06 07:08:09";
    exif["Exif.Photo.DateTimeDigitized"] = "2024:05:06 07:08:10";
    exif["Exif.Photo.SubSecTimeOriginal"] = "42";
    exif["Exif.Photo.ExposureTime"] = Exiv2::URational(1, 250);
    exif["Exif.Photo.FNumber"] = Exiv2::URational(28, 10);
    exif["Exif.Photo.ISOSpeedRatings"] = std::uint16_t(400);
    exif["Exif.Photo.FocalLength"] = Exiv2::URational(50, 1);
    exif["Exif.Photo.FocalLengthIn35mmFilm"] = std::uint16_t(75);
    exif["Exif.Photo.Flash"] = std::uint16_t(16);
    exif["Exif.Photo.LensModel"] = "TC 50mm f/2.8";
    exif["Exif.Photo.PixelXDimension"] = std::uint32_t(4000);
    exif["Exif.Photo.PixelYDimension"] = std::uint32_t(3000);
    exif["Exif.Photo.BodySerialNumber"] = "BODY123";
    exif["Exif.Photo.LensSerialNumber"] = "LENS456";
    exif["Exif.Photo.CameraOwnerName"] = "Ada Owner";
    Exiv2::DataValue maker(Exiv2::undefined);
    maker.read(reinterpret_cast<const Exiv2::byte*>("PRIVATEDATA"), 11, Exiv2::littleEndian);
    exif.add(Exiv2::ExifKey("Exif.Photo.MakerNote"), &maker);
    exif["Exif.GPSInfo.GPSVersionID"] = "2 3 0 0";
    exif["Exif.GPSInfo.GPSLatitudeRef"] = "N";
    exif["Exif.GPSInfo.GPSLatitude"] = "52/1 30/1 0/1";
    const Bytes thumb = ThumbnailJpeg(folder);
    Exiv2::ExifThumb(exif).setJpegThumbnail(thumb.data(), static_cast<long>(thumb.size()));
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, exif);
    return Bytes(blob.begin(), blob.end());
}

Bytes SourceXmp() {
    Exiv2::XmpData xmp;
    xmp["Xmp.dc.title"] = "lang=\"x-default\" Harbour";
    xmp["Xmp.dc.subject"] = "boats";
    xmp["Xmp.xmp.Rating"] = "4";
    xmp["Xmp.photoshop.City"] = "Lisbon";
    xmp["Xmp.exif.GPSLatitude"] = "52,30.0N";
    xmp["Xmp.tiff.Orientation"] = "6";
    std::string packet;
    Exiv2::XmpParser::encode(packet, xmp);
    return Bytes(packet.begin(), packet.end());
}

Bytes SourceIptc() {
    Exiv2::IptcData iptc;
    iptc["Iptc.Application2.Keywords"] = "boats";
    iptc["Iptc.Application2.Caption"] = "Harbour at dawn";
    iptc["Iptc.Application2.City"] = "Lisbon";
    const Exiv2::DataBuf irb = Exiv2::Photoshop::setIptcIrb(nullptr, 0, iptc);
    return Bytes(irb.pData_, irb.pData_ + irb.size_);
}

struct Read {
    Exiv2::ExifData exif;
    Exiv2::XmpData xmp;
    Exiv2::IptcData iptc;
    bool ok = false;
};

Read ReadBack(const QString& path) {
    Read r;
    try {
        auto image = Exiv2::ImageFactory::open(path.toStdString());
        image->readMetadata();
        r.exif = image->exifData();
        r.xmp = image->xmpData();
        r.iptc = image->iptcData();
        r.ok = true;
    } catch (const Exiv2::AnyError&) {
    }
    return r;
}

std::string Text(const Exiv2::ExifData& exif, const char* key) {
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    return it == exif.end() ? std::string("<none>") : it->toString();
}

bool HasGroup(const Exiv2::ExifData& exif, const std::string& group) {
    return std::any_of(exif.begin(), exif.end(), [&](const Exiv2::Exifdatum& d) { return d.groupName() == group; });
}

class Metadata : public ::testing::Test {
protected:
    QString folder = MakeTempFolder();
    QString Path(const QString& name) const { return folder + "/" + name; }

    // A 120 x 80 photo (as stored) with EXIF, XMP and IPTC.
    QString Photo(const QString& name, int orientation = 1) {
        TaggedJpeg tagging;
        tagging.markers = {{JPEG_APP0 + 1, WithTag({"Exif\0\0", 6}, SourceExif(folder, orientation))},
                        {JPEG_APP0 + 1, WithTag({"http://ns.adobe.com/xap/1.0/\0", 29}, SourceXmp())},
                        {JPEG_APP0 + 13, WithTag({"Photoshop 3.0\0", 14}, SourceIptc())}};
        const QString path = Path(name);
        EXPECT_TRUE(WriteJpeg(path, 120, 80, [](int x, int y) { return Sweep(x, y, 120, 80); }, tagging));
        return path;
    }
    Read Converted(const QString& input, int w, int h, metadata::MetadataPolicy policy) {
        const QString out = input + ".out.jpg";
        EXPECT_TRUE(Convert(input, out, w, h, [&](ConversionInput& in) { in.metadata = policy; }));
        return ReadBack(out);
    }
};

TEST_F(Metadata, DescriptiveTagsStayWithTheirValues) {
    const Read r = Converted(Photo("photo.jpg"), 60, 40, metadata::MetadataPolicy::Descriptive);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(Text(r.exif, "Exif.Image.Make"), "TestCam");
    EXPECT_EQ(Text(r.exif, "Exif.Image.Model"), "TC-1");
    EXPECT_EQ(Text(r.exif, "Exif.Image.Artist"), "Ada Photographer");
    EXPECT_EQ(Text(r.exif, "Exif.Image.Copyright"), "(c) Ada");
    EXPECT_EQ(Text(r.exif, "Exif.Image.ImageDescription"), "A harbour at dawn");
    EXPECT_EQ(Text(r.exif, "Exif.Image.DateTime"), "2024:05:06 07:08:09");
    EXPECT_EQ(Text(r.exif, "Exif.Photo.DateTimeOriginal"), "2024:05:06 07:08:09");
    EXPECT_EQ(Text(r.exif, "Exif.Photo.DateTimeDigitized"), "2024:05:06 07:08:10");
    EXPECT_EQ(Text(r.exif, "Exif.Photo.SubSecTimeOriginal"), "42");
    EXPECT_EQ(Text(r.exif, "Exif.Photo.ExposureTime"), "1/250");
    EXPECT_EQ(Text(r.exif, "Exif.Photo.FNumber"), "28/10");
    EXPECT_EQ(Text(r.exif, "Exif.Photo.ISOSpeedRatings"), "400");
    EXPECT_EQ(Text(r.exif, "Exif.Photo.FocalLength"), "50/1");
    EXPECT_EQ(Text(r.exif, "Exif.Photo.FocalLengthIn35mmFilm"), "75");
    EXPECT_EQ(Text(r.exif, "Exif.Photo.Flash"), "16");
    EXPECT_EQ(Text(r.exif, "Exif.Photo.LensModel"), "TC 50mm f/2.8");
    // The output's own facts.
    EXPECT_EQ(Text(r.exif, "Exif.Image.Orientation"), "1");
    EXPECT_EQ(Text(r.exif, "Exif.Photo.PixelXDimension"), "60");
    EXPECT_EQ(Text(r.exif, "Exif.Photo.PixelYDimension"), "40");
    EXPECT_EQ(Text(r.exif, "Exif.Image.XResolution"), "96/1");
    // XMP and IPTC keep their descriptions.
    EXPECT_NE(r.xmp.findKey(Exiv2::XmpKey("Xmp.dc.title")), r.xmp.end());
    EXPECT_NE(r.xmp.findKey(Exiv2::XmpKey("Xmp.dc.subject")), r.xmp.end());
    EXPECT_NE(r.xmp.findKey(Exiv2::XmpKey("Xmp.xmp.Rating")), r.xmp.end());
    EXPECT_NE(r.iptc.findKey(Exiv2::IptcKey("Iptc.Application2.Keywords")), r.iptc.end());
    EXPECT_NE(r.iptc.findKey(Exiv2::IptcKey("Iptc.Application2.Caption")), r.iptc.end());
}

TEST_F(Metadata, PlacesSerialsOwnersMakerNotesAndThumbnailsGo) {
    const Read r = Converted(Photo("private.jpg"), 60, 40, metadata::MetadataPolicy::Descriptive);
    ASSERT_TRUE(r.ok);
    EXPECT_FALSE(HasGroup(r.exif, "GPSInfo"));
    EXPECT_EQ(Text(r.exif, "Exif.Photo.BodySerialNumber"), "<none>");
    EXPECT_EQ(Text(r.exif, "Exif.Photo.LensSerialNumber"), "<none>");
    EXPECT_EQ(Text(r.exif, "Exif.Photo.CameraOwnerName"), "<none>");
    EXPECT_EQ(Text(r.exif, "Exif.Photo.MakerNote"), "<none>");
    EXPECT_FALSE(HasGroup(r.exif, "Thumbnail"));
    EXPECT_EQ(Exiv2::ExifThumbC(r.exif).copy().size_, 0);
    EXPECT_EQ(r.xmp.findKey(Exiv2::XmpKey("Xmp.photoshop.City")), r.xmp.end());
    EXPECT_EQ(r.xmp.findKey(Exiv2::XmpKey("Xmp.exif.GPSLatitude")), r.xmp.end());
    EXPECT_EQ(r.xmp.findKey(Exiv2::XmpKey("Xmp.tiff.Orientation")), r.xmp.end());
    EXPECT_EQ(r.iptc.findKey(Exiv2::IptcKey("Iptc.Application2.City")), r.iptc.end());
}

TEST_F(Metadata, TurnedPhotosAreStatedUpright) {
    // Orientation 6: stored 120 x 80, shown 80 x 120.
    const Read r = Converted(Photo("turned.jpg", 6), 40, 60, metadata::MetadataPolicy::Descriptive);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(Text(r.exif, "Exif.Image.Orientation"), "1");
    EXPECT_EQ(Text(r.exif, "Exif.Photo.PixelXDimension"), "40");
    EXPECT_EQ(Text(r.exif, "Exif.Photo.PixelYDimension"), "60");
}

TEST_F(Metadata, TheOtherPolicies) {
    const Read all = Converted(Photo("all.jpg"), 60, 40, metadata::MetadataPolicy::WithLocation);
    ASSERT_TRUE(all.ok);
    EXPECT_TRUE(HasGroup(all.exif, "GPSInfo"));
    EXPECT_EQ(Text(all.exif, "Exif.Photo.BodySerialNumber"), "BODY123");
    EXPECT_EQ(Text(all.exif, "Exif.Photo.MakerNote"), "<none>");
    EXPECT_NE(all.xmp.findKey(Exiv2::XmpKey("Xmp.photoshop.City")), all.xmp.end());
    EXPECT_NE(all.iptc.findKey(Exiv2::IptcKey("Iptc.Application2.City")), all.iptc.end());

    const Read none = Converted(Photo("none.jpg"), 60, 40, metadata::MetadataPolicy::None);
    ASSERT_TRUE(none.ok);
    EXPECT_TRUE(none.exif.empty());
    EXPECT_TRUE(none.xmp.empty());
    EXPECT_TRUE(none.iptc.empty());
}

TEST_F(Metadata, WithoutMetadataTheBytesAreTodays) {
    const QString input = Path("bare.jpg");
    ASSERT_TRUE(WriteJpeg(input, 90, 60, [](int x, int y) { return Sweep(x, y, 90, 60); }));
    ASSERT_TRUE(Convert(input, Path("kept.jpg"), 45, 30));
    ASSERT_TRUE(Convert(input, Path("stripped.jpg"), 45, 30,
                        [](ConversionInput& in) { in.metadata = metadata::MetadataPolicy::None; }));
    EXPECT_EQ(ReadFile(Path("kept.jpg")), ReadFile(Path("stripped.jpg")));
}

TEST_F(Metadata, DamagedBlocksAreDroppedNotFatal) {
    Bytes cut = SourceExif(folder, 1);
    cut.resize(40);
    Bytes scrambled = SourceExif(folder, 1);
    for (std::size_t i = 8; i < scrambled.size(); i += 3) scrambled[i] ^= 0xA5;
    const Bytes junk(500, 0xFF);
    for (const Bytes& exif : {cut, scrambled, junk}) {
        TaggedJpeg tagging;
        tagging.markers = {{JPEG_APP0 + 1, WithTag({"Exif\0\0", 6}, exif)},
                        {JPEG_APP0 + 1, WithTag({"http://ns.adobe.com/xap/1.0/\0", 29}, Bytes(300, '<'))},
                        {JPEG_APP0 + 13, WithTag({"Photoshop 3.0\0", 14}, Bytes(300, 0x1C))}};
        const QString input = Path("damaged.jpg");
        ASSERT_TRUE(WriteJpeg(input, 64, 48, [](int x, int y) { return Sweep(x, y, 64, 48); }, tagging));
        EXPECT_TRUE(Convert(input, Path("damaged-out.jpg"), 32, 24));
        EXPECT_FALSE(Decoded(Path("damaged-out.jpg")).empty());
    }
}

TEST_F(Metadata, CommandLineOptionsChooseThePolicy) {
    const QString input = Photo("cli.jpg");
    auto run = [&](const char* option, const char* out) {
        QStringList args{input, "-o", Path(out), "--width", "60", "--height", "40"};
        if (*option) args << option;
        const CliParse parsed = ParseCommandLine(args);
        EXPECT_TRUE(parsed.options.has_value());
        EXPECT_TRUE(ConvertOneFile(*parsed.options, input, Path(out)).ok);
        return ReadBack(Path(out));
    };
    EXPECT_FALSE(HasGroup(run("", "default.jpg").exif, "GPSInfo"));
    EXPECT_TRUE(HasGroup(run("--keep-location", "located.jpg").exif, "GPSInfo"));
    const Read stripped = run("--strip-metadata", "stripped.jpg");
    EXPECT_TRUE(stripped.exif.empty());
    EXPECT_TRUE(stripped.xmp.empty());
}

}  // namespace
