// Colour management: which profiles are converted, how close the result
// comes to ImageMagick's (lcms2 too, the same intent and black-point
// compensation), and that untagged and sRGB pictures keep today's bytes.
#include "tagged_pictures.h"

#include "tests/support/test_environment.h"

#include "imaging/colour/coded_profile.h"
#include "imaging/colour/colour_transform.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>

#include <gtest/gtest.h>

using namespace imaging;
using namespace tagged;

namespace {

const QString kSrgbFile = QStringLiteral("/usr/share/color/icc/sRGB.icc");

// lcms2's own sRGB under another description, as cameras embed it.
Bytes RenamedSrgb() {
    cmsHPROFILE p = cmsCreate_sRGBProfile();
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", "Camera RGB");
    cmsWriteTag(p, cmsSigProfileDescriptionTag, text);
    cmsMLUfree(text);
    return SaveProfile(p);
}

bool Near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

class Colour : public ::testing::Test {
protected:
    QString folder = MakeTempFolder();
    QString Path(const QString& name) const { return folder + "/" + name; }

    QString Tagged(const QString& name, const Bytes& icc, const std::function<Rgb(int, int)>& colour, int w = 96,
                   int h = 64, bool adobeCmyk = false) {
        const QString path = Path(name);
        TaggedJpeg tagging;
        tagging.icc = icc;
        tagging.adobeCmyk = adobeCmyk;
        EXPECT_TRUE(WriteJpeg(path, w, h, colour, tagging));
        return path;
    }
    QString SweepPicture(const QString& name, const Bytes& icc, bool adobeCmyk = false) {
        return Tagged(name, icc, [](int x, int y) { return Sweep(x, y, 96, 64); }, 96, 64, adobeCmyk);
    }
    // The picture converted as the command line does it, decoded again.
    PixelBuffer Converted(const QString& input, int w = 0, int h = 0) {
        const QString out = input + ".out.jpg";
        EXPECT_TRUE(Convert(input, out, w, h));
        return Decoded(out);
    }
    // Both conversions of `input`: with colour management and without.
    void ExpectSameBytes(const QString& input, int w = 0, int h = 0) {
        ASSERT_TRUE(Convert(input, input + ".managed.jpg", w, h));
        ASSERT_TRUE(Convert(input, input + ".plain.jpg", w, h,
                            [](ConversionInput& in) { in.colour = ColourHandling::Untouched; }));
        const Bytes managed = ReadFile(input + ".managed.jpg");
        EXPECT_FALSE(managed.empty());
        EXPECT_EQ(managed, ReadFile(input + ".plain.jpg")) << input.toStdString();
    }
};

TEST_F(Colour, ProfilesAreJudgedByContent) {
    EXPECT_EQ(colour::RgbToSrgb(ReadFile(kSrgbFile)), nullptr) << "the ICC's own sRGB file";
    EXPECT_EQ(colour::RgbToSrgb(RenamedSrgb()), nullptr) << "sRGB under another name";
    const Bytes adobe = AdobeRgbProfile();
    const auto first = colour::RgbToSrgb(adobe);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(colour::RgbToSrgb(adobe), first) << "one transform per profile";
    EXPECT_NE(colour::RgbToSrgb(ProPhotoProfile()), nullptr);
    EXPECT_NE(colour::RgbToSrgb(DisplayP3Profile()), nullptr);
    EXPECT_EQ(colour::RgbToSrgb(CmykProfile()), nullptr) << "a CMYK profile on RGB pixels";
    EXPECT_NE(colour::CmykToSrgb(CmykProfile()), nullptr);
    EXPECT_EQ(colour::CmykToSrgb(adobe), nullptr);
    Bytes cut = adobe;
    cut.resize(cut.size() / 2);
    EXPECT_EQ(colour::RgbToSrgb(cut), nullptr);
    EXPECT_EQ(colour::RgbToSrgb(Bytes(600, 0x5A)), nullptr);
    EXPECT_EQ(colour::RgbToSrgb({}), nullptr);
}

TEST_F(Colour, WideGamutPrimariesLandOnSrgb) {
    const auto flat = [](Rgb c) { return [c](int, int) { return c; }; };
    // ProPhoto's red lies far outside sRGB: relative colorimetric clips it
    // to sRGB's own red.
    const PixelBuffer red = Converted(Tagged("prophoto.jpg", ProPhotoProfile(), flat({255, 0, 0})));
    ASSERT_FALSE(red.empty());
    EXPECT_TRUE(Near(PixelOf(red, 40, 30), {255, 0, 0}, 3));
    // Adobe RGB's green is more saturated than sRGB's: no red or blue left,
    // slightly lighter (ImageMagick: 0, 201, 0).
    const PixelBuffer green = Converted(Tagged("adobe.jpg", AdobeRgbProfile(), flat({0, 200, 0})));
    ASSERT_FALSE(green.empty());
    EXPECT_TRUE(Near(PixelOf(green, 40, 30), {0, 201, 0}, 2));
    // A mid grey stays grey in every one of them.
    const PixelBuffer grey = Converted(Tagged("p3.jpg", DisplayP3Profile(), flat({128, 128, 128})));
    ASSERT_FALSE(grey.empty());
    EXPECT_TRUE(Near(PixelOf(grey, 40, 30), {128, 128, 128}, 1));
}

TEST_F(Colour, ShrinkingAndEnlargingConvertAlike) {
    const QString input = Tagged("p3-flat.jpg", DisplayP3Profile(), [](int, int) { return Rgb{30, 200, 60}; });
    const PixelBuffer small = Converted(input, 24, 16);
    const PixelBuffer large = Converted(input, 288, 192);
    const PixelBuffer same = Converted(input);
    ASSERT_FALSE(small.empty() || large.empty() || same.empty());
    const Rgb reference = PixelOf(same, 48, 32);
    EXPECT_FALSE(Near(reference, {30, 200, 60}, 5)) << "converted at all";
    EXPECT_TRUE(Near(PixelOf(small, 12, 8), reference, 2));
    EXPECT_TRUE(Near(PixelOf(large, 144, 96), reference, 2));
}

TEST_F(Colour, MatchesImageMagick) {
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty()) GTEST_SKIP() << "ImageMagick is not installed";
    struct Case {
        const char* name;
        Bytes icc;
        bool cmyk;
    };
    const Case cases[] = {{"adobe", AdobeRgbProfile(), false},
                          {"prophoto", ProPhotoProfile(), false},
                          {"p3", DisplayP3Profile(), false},
                          {"cmyk", CmykProfile(), true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString input = SweepPicture(QString::fromLatin1(c.name) + ".jpg", c.icc, c.cmyk);
        const QString reference = Path(QString::fromLatin1(c.name) + ".im.png");
        ASSERT_EQ(QProcess::execute(convert, {input, "-intent", "relative", "-black-point-compensation", "-profile",
                                              kSrgbFile, reference}),
                  0);
        const QImage expected = QImage(reference).convertToFormat(QImage::Format_RGB32);
        const PixelBuffer ours = Converted(input);
        ASSERT_EQ(expected.width(), ours.width());
        const double managed = MeanDeltaE(ours, expected);
        EXPECT_LE(managed, 1.0);
        // Without the profile the same picture is clearly off: the test
        // measures the conversion, not two copies of the same pixels. (A
        // CMYK picture is always read through its profile; untouched only
        // leaves the RGB ones alone, so that is compared with the naive
        // reading of the inks.)
        if (c.cmyk) {
            TaggedJpeg tagging;
            tagging.adobeCmyk = true;
            ASSERT_TRUE(WriteJpeg(input + ".naive.jpg", 96, 64, [](int x, int y) { return Sweep(x, y, 96, 64); }, tagging));
            ASSERT_TRUE(Convert(input + ".naive.jpg", input + ".plain.jpg"));
        } else {
            ASSERT_TRUE(Convert(input, input + ".plain.jpg", 0, 0,
                                [](ConversionInput& in) { in.colour = ColourHandling::Untouched; }));
        }
        const double unmanaged = MeanDeltaE(Decoded(input + ".plain.jpg"), expected);
        EXPECT_GT(unmanaged, 1.5);
        std::printf("%s: mean CIEDE2000 to ImageMagick %.3f (unconverted %.3f)\n", c.name, managed, unmanaged);
    }
}

TEST_F(Colour, UntaggedAndSrgbPicturesKeepTheirBytes) {
    const auto sweep = [](int x, int y) { return Sweep(x, y, 96, 64); };
    for (const QString& input : {Tagged("none.jpg", {}, sweep), Tagged("srgb-file.jpg", ReadFile(kSrgbFile), sweep),
                                 Tagged("srgb-renamed.jpg", RenamedSrgb(), sweep)}) {
        ExpectSameBytes(input);
        ExpectSameBytes(input, 40, 30);
        ExpectSameBytes(input, 200, 150);
    }
}

TEST_F(Colour, BrokenProfilesAreTakenAsSrgb) {
    const auto sweep = [](int x, int y) { return Sweep(x, y, 96, 64); };
    Bytes cut = AdobeRgbProfile();
    cut.resize(cut.size() / 3);
    Bytes forged = AdobeRgbProfile();
    std::fill(forged.begin() + 128, forged.end(), std::uint8_t{0xEE});  // header kept, tags destroyed
    for (const QString& input : {Tagged("garbage.jpg", Bytes(3000, 0x41), sweep), Tagged("cut.jpg", cut, sweep),
                                 Tagged("forged.jpg", forged, sweep)})
        ExpectSameBytes(input);
}

TEST_F(Colour, ProfileChunksAreJoinedInOrderOrNotAtAll) {
    const Bytes profile = ProPhotoProfile();
    const std::size_t half = profile.size() / 2;
    auto chunk = [&](int sequence, int count, std::size_t from, std::size_t to) {
        Bytes data{'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};
        data.push_back(static_cast<std::uint8_t>(sequence));
        data.push_back(static_cast<std::uint8_t>(count));
        data.insert(data.end(), profile.begin() + static_cast<std::ptrdiff_t>(from),
                    profile.begin() + static_cast<std::ptrdiff_t>(to));
        return Marker{JPEG_APP0 + 2, data};
    };
    auto infoOf = [&](const char* name, std::vector<Marker> markers) {
        TaggedJpeg tagging;
        tagging.markers = std::move(markers);
        const QString path = Path(QString::fromLatin1(name));
        EXPECT_TRUE(WriteJpeg(path, 8, 8, [](int, int) { return Rgb{1, 2, 3}; }, tagging));
        std::unique_ptr<GpImage> picture;
        EXPECT_EQ(LoadImageFrameForSize(path, 0, 0, 0, picture), Status::Ok);
        return PictureInfoOf(picture.get()).iccProfile;
    };
    EXPECT_EQ(infoOf("reversed.jpg", {chunk(2, 2, half, profile.size()), chunk(1, 2, 0, half)}), profile);
    EXPECT_TRUE(infoOf("missing.jpg", {chunk(1, 2, 0, half)}).empty());
    EXPECT_TRUE(infoOf("doubled.jpg", {chunk(1, 2, 0, half), chunk(1, 2, 0, half)}).empty());
    EXPECT_TRUE(infoOf("counts.jpg", {chunk(1, 2, 0, half), chunk(2, 3, half, profile.size())}).empty());
}

TEST_F(Colour, TheWindowsPictureIsConvertedAtLoad) {
    const QString input = Tagged("adobe-window.jpg", AdobeRgbProfile(), [](int, int) { return Rgb{0, 200, 0}; });
    std::unique_ptr<GpImage> shown;
    ASSERT_EQ(GdipLoadImageFromFile(input, shown), Status::Ok);
    EXPECT_FALSE(PictureColoursPending(shown.get()));
    EXPECT_TRUE(Near(PixelOf(shown->data().frame, 10, 10), {0, 201, 0}, 2));
    std::unique_ptr<GpImage> pending;
    ASSERT_EQ(LoadImageFrameForSize(input, 0, 0, 0, pending), Status::Ok);
    EXPECT_TRUE(PictureColoursPending(pending.get()));
}

TEST_F(Colour, KeepProfileEmbedsItWithThePixelsUnchanged) {
    const Bytes profile = DisplayP3Profile();
    const QString input = SweepPicture("keep.jpg", profile);
    ASSERT_TRUE(Convert(input, Path("kept.jpg"), 0, 0,
                        [](ConversionInput& in) { in.colour = ColourHandling::KeepProfile; }));
    ASSERT_TRUE(Convert(input, Path("plain.jpg"), 0, 0,
                        [](ConversionInput& in) { in.colour = ColourHandling::Untouched; }));
    std::unique_ptr<GpImage> kept;
    ASSERT_EQ(LoadImageFrameForSize(Path("kept.jpg"), 0, 0, 0, kept), Status::Ok);
    EXPECT_EQ(PictureInfoOf(kept.get()).iccProfile, profile);
    const PixelBuffer plain = Decoded(Path("plain.jpg"));
    const PixelBuffer& frame = kept->data().frame;
    ASSERT_EQ(frame.width(), plain.width());
    ASSERT_EQ(frame.height(), plain.height());
    const std::size_t row = static_cast<std::size_t>(plain.width()) * 3;
    for (int y = 0; y < plain.height(); ++y)
        ASSERT_TRUE(std::equal(plain.row(y), plain.row(y) + row, frame.row(y))) << "row " << y;
}

// Pixels of `colours`, one a pixel, through the transform for `icc`.
std::vector<Rgb> Through(const Bytes& icc, const std::vector<Rgb>& colours) {
    PixelBuffer pixels;
    pixels.Allocate(static_cast<int>(colours.size()), 1, PixelLayout::Rgb8);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        std::uint8_t* p = pixels.row(0) + 3 * i;
        p[0] = static_cast<std::uint8_t>(colours[i].r);
        p[1] = static_cast<std::uint8_t>(colours[i].g);
        p[2] = static_cast<std::uint8_t>(colours[i].b);
    }
    if (const auto transform = colour::RgbToSrgb(icc)) transform->Apply(pixels);
    std::vector<Rgb> out;
    for (int x = 0; x < pixels.width(); ++x) out.push_back(PixelOf(pixels, x, 0));
    return out;
}

TEST_F(Colour, CodePointsBecomeProfilesWhereTheyMeanMoreThanSrgb) {
    using colour::ProfileFromCodePoints;
    // What viewers show as sRGB: BT.709 or unstated primaries with the
    // sRGB curve or the BT.709 family of curves.
    const std::pair<int, int> srgbLike[] = {{1, 13}, {2, 2}, {1, 1}, {2, 13}, {1, 6}, {1, 14}, {1, 15}};
    for (const auto& [primaries, transfer] : srgbLike)
        EXPECT_TRUE(ProfileFromCodePoints(primaries, transfer).empty()) << primaries << "/" << transfer;
    // What a profile cannot say: PQ, HLG, a logarithmic curve, XYZ
    // primaries, reserved values.
    const std::pair<int, int> unsayable[] = {{9, 16}, {9, 18}, {12, 9}, {10, 13}, {3, 13}, {12, 0}};
    for (const auto& [primaries, transfer] : unsayable)
        EXPECT_TRUE(ProfileFromCodePoints(primaries, transfer).empty()) << primaries << "/" << transfer;

    // Display P3 by its code points converts as the Display P3 profile.
    const std::vector<Rgb> colours = {{0, 255, 0}, {255, 0, 0}, {30, 200, 60}, {128, 128, 128}, {250, 250, 250}};
    const Bytes p3 = ProfileFromCodePoints(12, 13);
    ASSERT_FALSE(p3.empty());
    const std::vector<Rgb> byCodes = Through(p3, colours), byProfile = Through(DisplayP3Profile(), colours);
    for (std::size_t i = 0; i < colours.size(); ++i) EXPECT_TRUE(Near(byCodes[i], byProfile[i], 1)) << i;
    EXPECT_FALSE(Near(byCodes[2], colours[2], 5)) << "converted at all";
    // BT.2020 is wider still; a linear curve lifts a mid grey.
    EXPECT_FALSE(ProfileFromCodePoints(9, 13).empty());
    EXPECT_TRUE(Near(Through(ProfileFromCodePoints(1, 8), {{128, 128, 128}})[0], {188, 188, 188}, 1));
}

}  // namespace
