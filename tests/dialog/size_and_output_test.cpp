// The aspect-ratio calculator and the Browse button: the exact arithmetic
// users see (truncation, not rounding), the message without a photo, and
// every naming rule of the save dialog's choice.

#include "tests/dialog/dialog_fixture.h"
#include "tests/dialog/test_pictures.h"

#include "app/settings_access.h"
#include "imaging/conversion/conversion_rules.h"
#include "dialog/photo_naming.h"
#include "resources/resource_ids.h"

#include <QFile>

#include <limits>

namespace {

class SizeAndOutputTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        photos = MakeTempFolder();
        createDialog();
        services.messageBoxes.clear();
    }
    void open(int width, int height) {
        services.openFileAnswers.push_back(WritePng(photos, QStringLiteral("photo.png"), width, height));
        click(IDC_BUTTON_OPEN_PHOTO);
    }
    void browseTo(const QString& chosen) {
        services.saveFileAnswers.push_back(chosen);
        click(IDC_BUTTON_OUTPUT_FILE_BROWSE);
    }
    QString photos;
};

}  // namespace

TEST(AspectRatio, TheRatioIsFormedFirstAndTheProductTruncated) {
    EXPECT_EQ(imaging::ProportionalSize(768, 1024, 800), 600);
    EXPECT_EQ(imaging::ProportionalSize(2, 3, 100), 66);
    EXPECT_EQ(imaging::ProportionalSize(700, 1000, 90), 62);  // 0.7 * 90 is just below 63
    EXPECT_EQ(imaging::ProportionalSize(3, 4, -300), -225);
    EXPECT_EQ(imaging::ProportionalSize(3, 4, 0), 0);
    EXPECT_FALSE(imaging::ProportionalSize(0, 0, 90).has_value());
    EXPECT_EQ(imaging::ProportionalSize(4, 1, std::numeric_limits<std::int32_t>::max()),
              std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(imaging::ProportionalSize(4, 1, std::numeric_limits<std::int32_t>::min()),
              std::numeric_limits<std::int32_t>::min());
}

TEST_F(SizeAndOutputTest, EnterWidthGetHeight) {
    open(1024, 768);
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_WIDTH, QStringLiteral("800"));
    click(IDC_BUTTON_BASE_WIDTH);
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_HEIGHT), QStringLiteral("600"));
    EXPECT_EQ(dialog->m_outputWidth, 800);
    EXPECT_EQ(dialog->m_outputHeight, 600);
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_WIDTH), QStringLiteral("800"));
    EXPECT_TRUE(services.messageBoxes.empty());
}

TEST_F(SizeAndOutputTest, EnterHeightGetWidthTruncatesAsTheRatioFalls) {
    open(700, 1000);
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_HEIGHT, QStringLiteral("90"));
    click(IDC_BUTTON_BASE_HEIGHT);
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_WIDTH), QStringLiteral("62"));
    open(1000, 700);
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_WIDTH, QStringLiteral("90"));
    click(IDC_BUTTON_BASE_WIDTH);
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_HEIGHT), QStringLiteral("62"));
}

TEST_F(SizeAndOutputTest, TheBaseFieldIsReadLikeEveryNumberField) {
    open(4, 3);
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_WIDTH, QStringLiteral("abc"));
    click(IDC_BUTTON_BASE_WIDTH);
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_HEIGHT), QStringLiteral("0"));
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_WIDTH), QStringLiteral("abc"));  // not rewritten
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_WIDTH, QStringLiteral("640px"));
    click(IDC_BUTTON_BASE_WIDTH);
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_HEIGHT), QStringLiteral("480"));
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_WIDTH, QStringLiteral("-300"));
    click(IDC_BUTTON_BASE_WIDTH);
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_HEIGHT), QStringLiteral("-225"));
    EXPECT_TRUE(services.messageBoxes.empty());
}

TEST_F(SizeAndOutputTest, WithoutAPhotoTheCalculatorAsksForOne) {
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_WIDTH, QStringLiteral("800"));
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_HEIGHT, QStringLiteral("7"));
    click(IDC_BUTTON_BASE_WIDTH);
    click(IDC_BUTTON_BASE_HEIGHT);
    ASSERT_EQ(services.messageBoxes.size(), 2u);
    for (const ShownMessageBox& box : services.messageBoxes) {
        EXPECT_EQ(box.text, QStringLiteral("Please open a photo file first!"));
        EXPECT_EQ(box.caption, QStringLiteral("Error"));
    }
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_HEIGHT), QStringLiteral("7"));
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_WIDTH), QStringLiteral("800"));
    EXPECT_EQ(dialog->m_outputWidth, 0);
}

TEST_F(SizeAndOutputTest, APhotoThatCouldNotBeMeasuredLeavesTheComputedFieldAlone) {
    open(64, 48);
    const QString broken = photos + QStringLiteral("/broken.png");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("junk");
    file.close();
    services.openFileAnswers.push_back(broken);
    click(IDC_BUTTON_OPEN_PHOTO);
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_WIDTH, QStringLiteral("90"));
    click(IDC_BUTTON_BASE_WIDTH);
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_HEIGHT), QStringLiteral("48"));
}

TEST(BrowseNaming, TheChosenNameAlwaysEndsInJpg) {
    EXPECT_EQ(BrowsedOutputPath(QStringLiteral("D:\\Out\\result.png")), QStringLiteral("D:\\Out\\result.jpg"));
    EXPECT_EQ(BrowsedOutputPath(QStringLiteral("/out/report")), QStringLiteral("/out/report.jpg"));
    EXPECT_EQ(BrowsedOutputPath(QStringLiteral("/out/archive.tar.gz")), QStringLiteral("/out/archive.tar.jpg"));
    EXPECT_EQ(BrowsedOutputPath(QStringLiteral("D:\\my.pics\\scan")), QStringLiteral("D:\\my.pics\\scan.jpg"));
    EXPECT_EQ(BrowsedOutputPath(QStringLiteral("/my.pics/scan")), QStringLiteral("/my.pics/scan.jpg"));
    EXPECT_EQ(BrowsedOutputPath(QStringLiteral("/out/photo.JPG")), QStringLiteral("/out/photo.jpg"));
}

TEST(BrowseNaming, TheSaveDialogStartsInTheOutputFilesFolder) {
    EXPECT_EQ(BrowseInitialFolder(QStringLiteral("/home/me/out/a.jpg")), QStringLiteral("/home/me/out"));
    EXPECT_EQ(BrowseInitialFolder(QStringLiteral("D:\\Out\\a.jpg")), QStringLiteral("D:\\Out"));
    EXPECT_EQ(BrowseInitialFolder(QStringLiteral("a.jpg")), QStringLiteral("."));
    EXPECT_EQ(BrowseInitialFolder(QStringLiteral("/a.jpg")), QStringLiteral("/"));
}

TEST_F(SizeAndOutputTest, BrowseToResultPngGivesResultJpgAndStoresTheFolder) {
    open(10, 10);
    out = MakeTempFolder();
    const QString startFolder = dialog->m_outputFolder.chopped(1);  // proposed output's folder
    browseTo(out + QStringLiteral("/result.png"));
    ASSERT_EQ(services.saveFileRequests.size(), 1u);
    const FileDialogRequest& request = services.saveFileRequests.front();
    EXPECT_EQ(request.title, QStringLiteral("Select Output"));
    EXPECT_EQ(request.filters, QStringList{QStringLiteral("JPEG file (*.jpg)")});
    EXPECT_TRUE(request.defaultSuffix.isEmpty());
    EXPECT_EQ(request.initialFolder, startFolder);
    EXPECT_EQ(dialog->m_outputFilePath, out + QStringLiteral("/result.jpg"));
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_FILE), out + QStringLiteral("/result.jpg"));
    EXPECT_EQ(dialog->m_outputFolder, out + u'/');
    EXPECT_EQ(ReadSetting(Settings::LastOutputFolder), out + u'/');
    // The next Browse starts where this one ended.
    browseTo(out + QStringLiteral("/again"));
    EXPECT_EQ(services.saveFileRequests.back().initialFolder, out);
    EXPECT_EQ(dialog->m_outputFilePath, out + QStringLiteral("/again.jpg"));
}

TEST_F(SizeAndOutputTest, BrowseBeforeAnyPhotoFillsTheFieldButLeavesItDisabled) {
    out = MakeTempFolder();
    browseTo(out + QStringLiteral("/first.jpg"));
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_FILE), out + QStringLiteral("/first.jpg"));
    EXPECT_FALSE(dialog->IsDlgItemEnabled(IDC_EDIT_OUTPUT_FILE));
}

TEST_F(SizeAndOutputTest, CancellingTheSaveDialogChangesNothing) {
    open(10, 10);
    const QString pathBefore = dialog->m_outputFilePath;
    const QString folderBefore = dialog->m_outputFolder;
    const QString settingBefore = ReadSetting(Settings::LastOutputFolder, QStringLiteral("<unset>"));
    click(IDC_BUTTON_OUTPUT_FILE_BROWSE);  // nothing queued: cancelled
    EXPECT_EQ(dialog->m_outputFilePath, pathBefore);
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_FILE), pathBefore);
    EXPECT_EQ(dialog->m_outputFolder, folderBefore);
    EXPECT_EQ(ReadSetting(Settings::LastOutputFolder, QStringLiteral("<unset>")), settingBefore);
}
