// The stamped text in the written JPEG is what the user chose with the Font
// button: its weight and colour, at (x, y) of the output before rotation,
// turned and mirrored with the picture.

#include "tests/dialog/dialog_fixture.h"
#include "tests/dialog/test_pictures.h"

#include "app/settings_access.h"
#include "resources/resource_ids.h"

#include <QFile>
#include <QImage>
#include <QRect>

namespace {

class TextStampTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        useTemporaryFolders();
        createDialog();
        services.openFileAnswers.push_back(WritePng(photos, QStringLiteral("white.png"), 200, 100, Qt::white));
        click(IDC_BUTTON_OPEN_PHOTO);
        services.messageBoxes.clear();
    }

    // Chooses the font through the Font button, as the chooser would hand it
    // back, types the text at (x, y) and converts with the rotation and flip.
    QImage stamp(std::int32_t weight, COLORREF colour, int rotation, int flip) {
        LOGFONTW lf;
        lf.lfHeight = -40;
        lf.lfWeight = weight;
        lf.setFaceName(QStringLiteral("DejaVu Sans"));
        services.fontAnswers.push_back(FontChoice{lf, colour});
        click(IDC_BUTTON_FONT);
        dialog->SetDlgItemText(IDC_EDIT_TEXT, QStringLiteral("Hi"));
        dialog->SetDlgItemText(IDC_EDIT_TEXT_X, QStringLiteral("10"));
        dialog->SetDlgItemText(IDC_EDIT_TEXT_Y, QStringLiteral("10"));
        click(rotation == 90 ? IDC_RADIO_ROTATE_90 : IDC_RADIO_ROTATE_0);
        click(flip == 1 ? IDC_RADIO_FLIP_HORIZONTAL : IDC_RADIO_FLIP_NO);
        QFile::remove(outputPath());  // no overwrite question between runs
        testing::internal::CaptureStdout();
        click(IDC_BUTTON_CONVERT);
        testing::internal::GetCapturedStdout();
        EXPECT_TRUE(services.messageBoxes.empty()) << services.messageTexts().join(u'|').toStdString();
        return QImage(outputPath());
    }
    QString outputPath() const { return out + QStringLiteral("/white_out.jpg"); }

};

// Pixels clearly of the stamp's colour (JPEG blurs the edges a little).
struct Ink {
    QRect box;
    int count = 0;
};

Ink FindInk(const QImage& image, QColor colour) {
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int distance = std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                                 std::abs(c.blue() - colour.blue());
            if (distance > 120) continue;
            ++ink.count;
            ink.box = ink.box.united(QRect(x, y, 1, 1));
        }
    return ink;
}

}  // namespace

TEST_F(TextStampTest, TheTextSitsAtXYInTheChosenColour) {
    const QImage image = stamp(FW_NORMAL, RGB(255, 0, 0), 0, 0);
    ASSERT_EQ(image.size(), QSize(200, 100));
    const Ink red = FindInk(image, Qt::red);
    ASSERT_GT(red.count, 50);
    // "Hi" at 10, 10 in a 40-pixel face: starts just right of and below the
    // corner, is about a cap height tall and two letters wide.
    EXPECT_GE(red.box.left(), 10);
    EXPECT_LE(red.box.left(), 18);
    EXPECT_GE(red.box.top(), 10);
    EXPECT_LE(red.box.top(), 24);
    EXPECT_GE(red.box.height(), 22);
    EXPECT_LE(red.box.height(), 40);
    EXPECT_GE(red.box.width(), 25);
    EXPECT_LE(red.box.width(), 60);
    EXPECT_EQ(FindInk(image, Qt::blue).count, 0);
}

TEST_F(TextStampTest, BoldInksMoreThanRegular) {
    const int regular = FindInk(stamp(FW_NORMAL, RGB(255, 0, 0), 0, 0), Qt::red).count;
    const int bold = FindInk(stamp(FW_BOLD, RGB(255, 0, 0), 0, 0), Qt::red).count;
    EXPECT_GT(bold, regular * 6 / 5) << regular << " " << bold;
}

TEST_F(TextStampTest, TheTextTurnsAndMirrorsWithThePicture) {
    const Ink upright = FindInk(stamp(FW_BOLD, RGB(0, 0, 255), 0, 0), Qt::blue);
    // Turning by 90 degrees and mirroring left to right swaps the axes: the
    // text now runs down the left edge.
    const QImage turned = stamp(FW_BOLD, RGB(0, 0, 255), 90, 1);
    ASSERT_EQ(turned.size(), QSize(100, 200));
    const Ink ink = FindInk(turned, Qt::blue);
    ASSERT_GT(ink.count, 50);
    EXPECT_NEAR(ink.box.left(), upright.box.top(), 2);
    EXPECT_NEAR(ink.box.top(), upright.box.left(), 2);
    EXPECT_NEAR(ink.box.width(), upright.box.height(), 3);
    EXPECT_NEAR(ink.box.height(), upright.box.width(), 3);
}

TEST_F(TextStampTest, TurningWithoutMirroringPutsTheTextAtTheRightEdge) {
    const Ink upright = FindInk(stamp(FW_BOLD, RGB(255, 0, 0), 0, 0), Qt::red);
    const Ink ink = FindInk(stamp(FW_BOLD, RGB(255, 0, 0), 90, 0), Qt::red);
    // Clockwise: the picture's top edge becomes its right edge.
    EXPECT_NEAR(ink.box.right(), 99 - upright.box.top(), 2);
    EXPECT_NEAR(ink.box.top(), upright.box.left(), 2);
}
