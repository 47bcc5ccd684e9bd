// Convert as a user meets it: the checks before anything is written, the
// overwrite question, the user's old file surviving every failed run, the
// messages of the conversion and the line printed on success.

#include "tests/dialog/dialog_fixture.h"
#include "tests/dialog/test_pictures.h"

#include "app/settings_access.h"
#include "resources/resource_ids.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>

namespace {

class ConvertTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        useTemporaryFolders();
        createDialog();
        services.messageBoxes.clear();
    }
    void openPhoto(int width = 80, int height = 60) {
        services.openFileAnswers.push_back(WritePng(photos, QStringLiteral("photo.png"), width, height));
        click(IDC_BUTTON_OPEN_PHOTO);
        services.messageBoxes.clear();
        // Loading shows the wait cursor too; the counts below are Convert's.
        services.waitCursorRuns = 0;
    }
    QString outputPath() const { return out + QStringLiteral("/photo_out.jpg"); }
    void writeOldFile(const QByteArray& content) {
        QFile file(outputPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray contentOf(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Runs Convert and returns what it printed.
    std::string convert() {
        testing::internal::CaptureStdout();
        click(IDC_BUTTON_CONVERT);
        return testing::internal::GetCapturedStdout();
    }
};

}  // namespace

TEST_F(ConvertTest, WithoutAPhotoConvertAsksForOneAndWritesNothing) {
    const std::string printed = convert();
    ASSERT_EQ(services.messageBoxes.size(), 1u);
    EXPECT_EQ(services.messageBoxes[0].text, QStringLiteral("Please open a photo file first!"));
    EXPECT_EQ(services.waitCursorRuns, 0);
    EXPECT_TRUE(printed.empty());
    EXPECT_TRUE(QDir(out).isEmpty());
}

TEST_F(ConvertTest, ASuccessfulRunShowsNoBoxAndPrintsTheLine) {
    openPhoto(80, 60);
    const std::string printed = convert();
    EXPECT_TRUE(services.messageBoxes.empty()) << services.messageTexts().join(u'|').toStdString();
    EXPECT_EQ(printed, (outputPath() + QStringLiteral(" saved successfully.\n")).toStdString());
    EXPECT_EQ(services.waitCursorRuns, 1);
    EXPECT_EQ(services.waitCursorDepth, 0);
    QImageReader reader(outputPath());
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    EXPECT_EQ(reader.size(), QSize(80, 60));
    EXPECT_EQ(dialog->m_outputWidth, 80);
    EXPECT_EQ(dialog->m_outputHeight, 60);
}

TEST_F(ConvertTest, TheOutputHasTheFieldsSizeTurnedByTheRotation) {
    openPhoto(80, 60);
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_WIDTH, QStringLiteral("40"));
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_HEIGHT, QStringLiteral("30px"));
    click(IDC_RADIO_ROTATE_90);
    convert();
    EXPECT_TRUE(services.messageBoxes.empty());
    EXPECT_EQ(QImageReader(outputPath()).size(), QSize(30, 40));
}

TEST_F(ConvertTest, AnsweringNoLeavesTheFileAndConvertsNothing) {
    openPhoto();
    writeOldFile("old contents");
    const std::string printed = convert();  // nothing queued: No
    ASSERT_EQ(services.messageBoxes.size(), 1u);
    const ShownMessageBox& question = services.messageBoxes[0];
    EXPECT_EQ(question.text, outputPath() + QStringLiteral(" exists. Do you want to replace it?"));
    EXPECT_EQ(question.caption, QStringLiteral("Warning"));
    EXPECT_EQ(question.buttons, MessageBoxButtons::YesNo);
    EXPECT_EQ(question.icon, MessageBoxIcon::Exclamation);
    EXPECT_EQ(contentOf(outputPath()), QByteArray("old contents"));
    EXPECT_EQ(services.waitCursorRuns, 0);
    EXPECT_TRUE(printed.empty());
}

TEST_F(ConvertTest, AnsweringYesReplacesTheFile) {
    openPhoto(80, 60);
    writeOldFile("old contents");
    services.messageBoxAnswers.push_back(IDYES);
    const std::string printed = convert();
    EXPECT_EQ(services.messageBoxes.size(), 1u);
    EXPECT_FALSE(printed.empty());
    EXPECT_EQ(QImageReader(outputPath()).size(), QSize(80, 60));
}

TEST_F(ConvertTest, ABadWidthAfterYesLeavesTheOldFileIntact) {
    openPhoto();
    writeOldFile("the user's picture");
    for (const char* width : {"0", "-5", "abc"}) {
        services.messageBoxes.clear();
        services.messageBoxAnswers.push_back(IDYES);
        dialog->SetDlgItemText(IDC_EDIT_OUTPUT_WIDTH, QString::fromLatin1(width));
        convert();
        ASSERT_EQ(services.messageBoxes.size(), 2u) << width;
        EXPECT_EQ(services.messageBoxes[1].text, QStringLiteral("The output width is invalid!")) << width;
        EXPECT_EQ(contentOf(outputPath()), QByteArray("the user's picture")) << width;
    }
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 1);
}

TEST_F(ConvertTest, TheWidthIsCheckedBeforeTheHeight) {
    openPhoto();
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_WIDTH, QStringLiteral("0"));
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_HEIGHT, QStringLiteral("0"));
    convert();
    EXPECT_EQ(services.messageTexts(), QStringList{QStringLiteral("The output width is invalid!")});
    services.messageBoxes.clear();
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_WIDTH, QStringLiteral("10"));
    convert();
    EXPECT_EQ(services.messageTexts(), QStringList{QStringLiteral("The output hight is invalid!")});
    EXPECT_FALSE(QFile::exists(outputPath()));
}

TEST_F(ConvertTest, SavingIntoAMissingFolderShowsTheFailureWithThePathAsCaption) {
    openPhoto();
    const QString missing = out + QStringLiteral("/no/such/folder/x.jpg");
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_FILE, missing);
    const std::string printed = convert();
    ASSERT_EQ(services.messageBoxes.size(), 1u);
    EXPECT_EQ(services.messageBoxes[0].text, QStringLiteral("Failed to save the file!"));
    EXPECT_EQ(services.messageBoxes[0].caption, missing);
    EXPECT_TRUE(printed.empty());
}

TEST_F(ConvertTest, APathTooLongForTheOutputBufferIsAFailedSaveNotAShorterName) {
    openPhoto();
    // 257 to 259 characters still fit; one more does not.
    QString longPath = out + u'/';
    longPath += QString(260 - longPath.size() - 4, u'n') + QStringLiteral(".jpg");
    ASSERT_EQ(longPath.size(), 260);
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_FILE, longPath);
    convert();
    // The data exchange's own length message, then the failed save.
    ASSERT_EQ(services.messageBoxes.size(), 3u);
    EXPECT_EQ(services.messageBoxes[2].text, QStringLiteral("Failed to save the file!"));
    EXPECT_EQ(services.messageBoxes[2].caption, longPath);
    EXPECT_TRUE(QDir(out).entryList(QDir::Files).isEmpty());
}

TEST_F(ConvertTest, ATextPositionOutsideTheOutputIsResetWithAMessage) {
    openPhoto(80, 60);
    dialog->SetDlgItemText(IDC_EDIT_TEXT, QStringLiteral("Hello"));
    dialog->SetDlgItemText(IDC_EDIT_TEXT_X, QStringLiteral("80"));
    dialog->SetDlgItemText(IDC_EDIT_TEXT_Y, QStringLiteral("-1"));
    const std::string printed = convert();
    EXPECT_EQ(services.messageTexts(),
              (QStringList{QStringLiteral("The text position X is out of range! The program set it to 0 now."),
                           QStringLiteral("The text position Y is out of range! The program set it to 0 now.")}));
    EXPECT_EQ(text(IDC_EDIT_TEXT_X), QStringLiteral("0"));
    EXPECT_EQ(text(IDC_EDIT_TEXT_Y), QStringLiteral("0"));
    EXPECT_FALSE(printed.empty());  // the run goes on and saves

    services.messageBoxes.clear();
    services.messageBoxAnswers.push_back(IDYES);
    dialog->SetDlgItemText(IDC_EDIT_TEXT_X, QStringLiteral("79"));
    dialog->SetDlgItemText(IDC_EDIT_TEXT_Y, QStringLiteral("59"));
    convert();
    EXPECT_EQ(services.messageBoxes.size(), 1u);  // only the overwrite question
    EXPECT_EQ(text(IDC_EDIT_TEXT_X), QStringLiteral("79"));
}

TEST_F(ConvertTest, AnEmptyTextSkipsThePositionCheck) {
    openPhoto(80, 60);
    dialog->SetDlgItemText(IDC_EDIT_TEXT_X, QStringLiteral("-7"));
    convert();
    EXPECT_TRUE(services.messageBoxes.empty());
    EXPECT_EQ(text(IDC_EDIT_TEXT_X), QStringLiteral("-7"));
}

TEST_F(ConvertTest, TheChosenFrameIsTheOneConverted) {
    services.openFileAnswers.push_back(WriteAnimatedGif(photos, QStringLiteral("spin.gif"), 12, 16, 16));
    click(IDC_BUTTON_OPEN_PHOTO);
    dialog->SetDlgItemText(IDC_EDIT_FRAME_NUMBER, QStringLiteral("11"));
    convert();
    const QImage written(out + QStringLiteral("/spin_out.jpg"));
    ASSERT_FALSE(written.isNull());
    const QColor centre = written.pixelColor(8, 8);
    const QColor wanted = AnimationColor(11);
    EXPECT_NEAR(centre.red(), wanted.red(), 12);
    EXPECT_NEAR(centre.green(), wanted.green(), 12);
    EXPECT_NEAR(centre.blue(), wanted.blue(), 12);
}

TEST_F(ConvertTest, AFailedConversionAfterYesLeavesTheOldFileIntact) {
    openPhoto();
    // A file that cannot be read replaces the picture but keeps the sizes.
    const QString broken = photos + QStringLiteral("/photo.png");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("no longer a picture");
    file.close();
    services.openFileAnswers.push_back(broken);
    click(IDC_BUTTON_OPEN_PHOTO);
    writeOldFile("the user's picture");
    services.messageBoxes.clear();
    services.messageBoxAnswers.push_back(IDYES);
    const std::string printed = convert();
    // The empty picture has no resolution either, so 113 comes first.
    EXPECT_EQ(services.messageTexts().mid(1), (QStringList{QStringLiteral("Failed to SetResolution!"),
                                                           QStringLiteral("Failed to convert photo!")}));
    EXPECT_EQ(contentOf(outputPath()), QByteArray("the user's picture"));
    EXPECT_TRUE(printed.empty());
}

TEST_F(ConvertTest, AQualityOutOfRangeIsReportedTwiceAndTheRunStillSaves) {
    openPhoto();
    dialog->SetDlgItemText(IDC_EDIT_QUALITY, QStringLiteral("150"));
    const std::string printed = convert();
    EXPECT_EQ(services.messageTexts(), (QStringList{QStringLiteral("Enter an integer between 1 and 100."),
                                                    QStringLiteral("Enter an integer between 1 and 100.")}));
    EXPECT_EQ(dialog->m_quality, 150);
    EXPECT_FALSE(printed.empty());
    EXPECT_TRUE(QFile::exists(outputPath()));
}
