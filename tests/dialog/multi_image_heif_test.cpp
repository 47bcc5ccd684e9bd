// A HEIF file holding two pictures, as the window offers it: both pages in
// the frame controls, the preview following the chosen page, and Convert
// writing the chosen one. heif-enc makes the file at test time; the test
// skips without it.

#include "tests/dialog/dialog_fixture.h"
#include "tests/dialog/test_pictures.h"

#include "resources/resource_ids.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>

namespace {

const QColor kFirst(200, 40, 40);
const QColor kSecond(40, 90, 200);

::testing::AssertionResult Near(const QColor& actual, const QColor& expected) {
    const int tolerance = 10;  // lossy coding of a flat colour
    if (std::abs(actual.red() - expected.red()) <= tolerance && std::abs(actual.green() - expected.green()) <= tolerance &&
        std::abs(actual.blue() - expected.blue()) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << actual.name().toStdString() << ", expected "
                                         << expected.name().toStdString();
}

class MultiImageHeifTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        useTemporaryFolders();
        createDialog();
        services.messageBoxes.clear();
    }
    // Two pictures of their own sizes and colours in one file; empty
    // without heif-enc.
    QString writeTwoImageHeif() {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("heif-enc"));
        if (tool.isEmpty()) return {};
        const QString path = photos + QStringLiteral("/two.heic");
        const QStringList args{"-q", "95", "-o", path, WritePng(photos, QStringLiteral("first.png"), 64, 48, kFirst),
                               WritePng(photos, QStringLiteral("second.png"), 40, 30, kSecond)};
        return QProcess::execute(tool, args) == 0 ? path : QString();
    }
    QColor previewColor() {
        const QImage& preview = dialog->PreviewImage();
        return preview.isNull() ? QColor() : preview.pixelColor(preview.width() / 2, preview.height() / 2);
    }
};

}  // namespace

TEST_F(MultiImageHeifTest, BothPicturesAreOfferedAndTheChosenOneConverts) {
    const QString heic = writeTwoImageHeif();
    if (heic.isEmpty()) GTEST_SKIP() << "heif-enc is not installed (scripts/setup-debian.sh installs it)";
    services.openFileAnswers.push_back(heic);
    click(IDC_BUTTON_OPEN_PHOTO);
    EXPECT_TRUE(services.messageBoxes.empty()) << services.messageTexts().join(u'|').toStdString();
    EXPECT_EQ(text(IDC_STATIC_PHOTO_INFO), QStringLiteral("two.heic 64 * 48"));
    EXPECT_TRUE(dialog->IsDlgItemVisible(IDC_EDIT_FRAME_NUMBER));
    EXPECT_TRUE(dialog->IsDlgItemVisible(IDC_STATIC_FRAME_RANGE));
    EXPECT_EQ(text(IDC_STATIC_FRAME_RANGE), QStringLiteral("Set frame from 0 to 1"));
    ASSERT_EQ(dialog->m_frameDimensionBox.GetCount(), 1);
    EXPECT_EQ(dialog->m_frameDimensionBox.GetLBText(0), QStringLiteral("FrameDimensionPage"));
    EXPECT_EQ(dialog->m_frameCounts[0], 2u);
    EXPECT_TRUE(Near(previewColor(), kFirst));

    dialog->SetDlgItemText(IDC_EDIT_FRAME_NUMBER, QStringLiteral("1"));
    EXPECT_TRUE(Near(previewColor(), kSecond));
    testing::internal::CaptureStdout();
    click(IDC_BUTTON_CONVERT);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(services.messageBoxes.empty()) << services.messageTexts().join(u'|').toStdString();
    const QImage written(out + QStringLiteral("/two_out.jpg"));
    ASSERT_FALSE(written.isNull());
    EXPECT_TRUE(Near(written.pixelColor(written.width() / 2, written.height() / 2), kSecond));
}
