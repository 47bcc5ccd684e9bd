// What a TIFF's first page hands the colour and metadata steps: its ICC
// profile (only one of the page's colour space), XMP, IPTC, and an EXIF
// block of the descriptive tags and the EXIF directory that the metadata
// step reads like a JPEG's.
#include "decode_test_pictures.h"

#include "imaging/metadata/output_metadata.h"
#include "tests/support/test_environment.h"

using namespace imaging;
using namespace decode_test;

namespace {

QByteArray Le16(int v) { return QByteArray(1, char(v & 0xFF)).append(char((v >> 8) & 0xFF)); }
QByteArray Le32(std::uint32_t v) { return Le16(int(v & 0xFFFF)).append(Le16(int(v >> 16))); }

struct Tag {
    std::uint16_t tag, type;
    std::uint32_t count;
    QByteArray value;
};

Tag Ascii(std::uint16_t tag, const char* text) {
    const QByteArray v(text, int(std::strlen(text)) + 1);
    return {tag, 2, std::uint32_t(v.size()), v};
}
Tag Undefined(std::uint16_t tag, const QByteArray& v) { return {tag, 7, std::uint32_t(v.size()), v}; }
Tag Short(std::uint16_t tag, int v) { return {tag, 3, 1, Le16(v)}; }
Tag Long(std::uint16_t tag, std::uint32_t v) { return {tag, 4, 1, Le32(v)}; }

// A little-endian 2 x 2 RGB TIFF whose first directory holds `extra`
// tags and, when `exif` is not empty, an EXIF directory of those tags.
// Entries must be given in ascending tag order within each directory.
QByteArray MakeTaggedTiff(std::vector<Tag> extra, const std::vector<Tag>& exif) {
    std::vector<Tag> ifd0 = {Long(256, 2), Long(257, 2), Short(258, 8), Short(259, 1), Short(262, 2),
                             Long(273, 0), Short(277, 3), Long(278, 2), Long(279, 12)};
    ifd0.insert(ifd0.end(), extra.begin(), extra.end());
    if (!exif.empty()) ifd0.push_back(Long(34665, 0));
    std::sort(ifd0.begin(), ifd0.end(), [](const Tag& a, const Tag& b) { return a.tag < b.tag; });
    const auto size = [](const std::vector<Tag>& d) { return std::uint32_t(2 + 12 * d.size() + 4); };
    const std::uint32_t exifAt = 8 + size(ifd0);
    std::uint32_t dataAt = exifAt + (exif.empty() ? 0 : size(exif));
    QByteArray data;
    const std::uint32_t pixelsAt = dataAt;
    data.append(QByteArray(12, char(0x40)));
    const auto write = [&](const std::vector<Tag>& dir) {
        QByteArray out = Le16(int(dir.size()));
        for (Tag t : dir) {
            if (t.tag == 273) t.value = Le32(pixelsAt);
            if (t.tag == 34665) t.value = Le32(exifAt);
            out += Le16(t.tag) + Le16(t.type) + Le32(t.count);
            if (t.value.size() <= 4) {
                out += t.value.leftJustified(4, '\0');
            } else {
                out += Le32(dataAt + std::uint32_t(data.size()));
                data += t.value;
                if (data.size() % 2) data.append('\0');
            }
        }
        return out + Le32(0);
    };
    QByteArray file = QByteArray("II*\0", 4) + Le32(8) + write(ifd0);
    if (!exif.empty()) file += write(exif);
    return file + data;
}

// The header of an ICC profile of `space` ("RGB " or "GRAY"), no tags.
QByteArray Profile(const char* space) {
    QByteArray p(132, '\0');
    p.replace(0, 4, QByteArray("\0\0\0\x84", 4));
    p.replace(16, 4, QByteArray(space, 4));
    p.replace(36, 4, "acsp");
    return p;
}

const QByteArray kXmp = "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
                        "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'/></x:xmpmeta>";
const QByteArray kIptc("\x1C\x02\x05\x00\x05Title", 10);

std::vector<std::uint8_t> Bytes(const QByteArray& b) { return {b.begin(), b.end()}; }

class TiffMetadata : public ::testing::Test {
protected:
    QString folder = MakeTempFolder();
    PictureInfo InfoOf(const QByteArray& tiff) {
        WriteBytes(folder + "/t.tif", tiff);
        std::unique_ptr<PictureSource> source;
        EXPECT_EQ(OpenPictureSource(folder + "/t.tif", DecodeLimits{}, source), Status::Ok);
        PixelBuffer p;
        EXPECT_EQ(source->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
        return source ? source->Info() : PictureInfo{};
    }
};

TEST_F(TiffMetadata, ProfileXmpAndIptcAreHandedOverAsStored) {
    const PictureInfo info = InfoOf(MakeTaggedTiff(
        {Undefined(700, kXmp), Undefined(33723, kIptc), Undefined(34675, Profile("RGB "))}, {}));
    EXPECT_EQ(info.iccProfile, Bytes(Profile("RGB ")));
    EXPECT_FALSE(info.profileApplied);
    EXPECT_EQ(info.xmp, Bytes(kXmp));
    EXPECT_EQ(info.iptc, Bytes(kIptc));
    EXPECT_TRUE(info.exif.empty());

    // A grey profile for RGB pixels, a cut profile, IPTC that is no datasets.
    QByteArray cut = Profile("RGB ");
    cut.replace(0, 4, QByteArray("\0\0\1\0", 4));
    for (const QByteArray& bad : {Profile("GRAY"), cut}) {
        const PictureInfo dropped = InfoOf(MakeTaggedTiff({Undefined(33723, "junk"), Undefined(34675, bad)}, {}));
        EXPECT_TRUE(dropped.iccProfile.empty());
        EXPECT_TRUE(dropped.iptc.empty());
    }
}

TEST_F(TiffMetadata, ExifIsTheDescriptiveTagsAndTheExifDirectory) {
    const PictureInfo info = InfoOf(MakeTaggedTiff(
        {Ascii(271, "Maker Inc"), Ascii(272, "Model Nine"), Ascii(315, "A. Photographer")},
        {Ascii(0x9003, "2024:05:06 07:08:09"), Undefined(0x927C, QByteArray(300, 'N'))}));
    ASSERT_FALSE(info.exif.empty());
    const QByteArray exif(reinterpret_cast<const char*>(info.exif.data()), int(info.exif.size()));
    EXPECT_TRUE(exif.startsWith(QByteArray("II*\0", 4)));
    EXPECT_TRUE(exif.contains("Maker Inc"));
    EXPECT_FALSE(exif.contains("NNNN"));  // maker notes are not copied

    // The metadata step reads it as it reads a JPEG's, keeping what describes the photo.
    const PictureInfo out = metadata::OutputMetadata(info, metadata::MetadataPolicy::Descriptive, {2, 2, 96, 96});
    const QByteArray written(reinterpret_cast<const char*>(out.exif.data()), int(out.exif.size()));
    for (const char* kept : {"Maker Inc", "Model Nine", "A. Photographer", "2024:05:06 07:08:09"})
        EXPECT_TRUE(written.contains(kept)) << kept;
}

TEST_F(TiffMetadata, AnUntaggedTiffHandsOverNothing) {
    const PictureInfo info = InfoOf(MakeTaggedTiff({}, {}));
    EXPECT_TRUE(info.iccProfile.empty());
    EXPECT_TRUE(info.exif.empty());
    EXPECT_TRUE(info.xmp.empty());
    EXPECT_TRUE(info.iptc.empty());
}

}  // namespace
