// Loading a photo for the window: a large JPEG shows a first look decoded
// at the preview's size before the whole frame, and what the window ends up
// with (picture and preview) is what the plain load gives; a picture whose
// frame decodes whole at once is decoded once.

#include "tests/dialog/dialog_fixture.h"
#include "tests/dialog/test_pictures.h"

#include "dialog/photo_load.h"
#include "imaging/encode/jpeg_writer.h"
#include "resources/resource_ids.h"

#include <QFile>

#include <cstdio>

namespace {

// A JPEG of smooth colour, large enough to be decoded at 1/8 for a preview.
QString WriteLargeJpeg(const QString& folder, int width, int height) {
    imaging::PixelBuffer pixels;
    pixels.Allocate(width, height, imaging::PixelLayout::Rgb8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = pixels.row(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(x * 255 / width);
            p[1] = static_cast<std::uint8_t>(y * 255 / height);
            p[2] = 90;
        }
    const QString path = folder + QStringLiteral("/large.jpg");
    std::FILE* f = std::fopen(QFile::encodeName(path).constData(), "wb");
    const bool written = f && imaging::WriteJpeg(pixels, imaging::JpegSettings{85, 96, 96}, f);
    if (f) std::fclose(f);
    return written ? path : QString();
}

std::uint32_t WidthOf(imaging::GpImage* picture) {
    std::uint32_t w = 0;
    imaging::GdipGetImageWidth(picture, &w);
    return w;
}

}  // namespace

TEST(PhotoLoad, ALargeJpegShowsAFirstLookThenTheWholePicture) {
    const QString path = WriteLargeJpeg(MakeTempFolder(), 2400, 1600);
    ASSERT_FALSE(path.isEmpty());
    const QSize previewSize(150, 100);
    int looks = 0;
    QImage firstLook;
    const LoadedPhoto loaded = LoadPhotoWithPreview(path, previewSize, [&](const QImage& look) {
        ++looks;
        firstLook = look;
    });
    EXPECT_EQ(looks, 1);
    EXPECT_EQ(firstLook.size(), previewSize);
    // The window keeps what the plain load makes of the file.
    std::unique_ptr<imaging::GpImage> plain;
    ASSERT_EQ(imaging::GdipLoadImageFromFile(path, plain), imaging::Status::Ok);
    EXPECT_EQ(WidthOf(loaded.picture.get()), 2400u);
    EXPECT_EQ(loaded.preview, RenderPreview(plain.get(), previewSize));
    // The first look is close to the final preview: the same photo.
    const QColor a = firstLook.pixelColor(75, 50), b = loaded.preview.pixelColor(75, 50);
    EXPECT_LE(std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()), 12);
}

TEST(PhotoLoad, APictureDecodedWholeAtOnceHasNoFirstLook) {
    const QString path = WritePng(MakeTempFolder(), QStringLiteral("small.png"), 300, 200, QColor(10, 200, 30));
    int looks = 0;
    const LoadedPhoto loaded = LoadPhotoWithPreview(path, QSize(150, 100), [&](const QImage&) { ++looks; });
    EXPECT_EQ(looks, 0);
    EXPECT_EQ(WidthOf(loaded.picture.get()), 300u);
    EXPECT_EQ(loaded.preview.pixelColor(75, 50), QColor(10, 200, 30));
    // A file that cannot be read leaves a picture that measures nothing.
    const LoadedPhoto missing =
        LoadPhotoWithPreview(MakeTempFolder() + QStringLiteral("/none.jpg"), QSize(150, 100), [&](const QImage&) {
            ++looks;
        });
    EXPECT_EQ(looks, 0);
    ASSERT_TRUE(missing.picture);
    EXPECT_EQ(WidthOf(missing.picture.get()), 0u);
    EXPECT_TRUE(missing.preview.isNull());
}

class OpenLargePhotoTest : public DialogTest {};

TEST_F(OpenLargePhotoTest, TheWindowEndsWithThePreviewOfTheWholePicture) {
    const QString path = WriteLargeJpeg(MakeTempFolder(), 2400, 1600);
    ASSERT_FALSE(path.isEmpty());
    createDialog();
    services.openFileAnswers.push_back(path);
    click(IDC_BUTTON_OPEN_PHOTO);
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_WIDTH), QStringLiteral("2400"));
    std::unique_ptr<imaging::GpImage> plain;
    ASSERT_EQ(imaging::GdipLoadImageFromFile(path, plain), imaging::Status::Ok);
    const QImage& shown = dialog->PreviewImage();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown, RenderPreview(plain.get(), shown.size()));
}
