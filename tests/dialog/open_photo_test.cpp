// Opening a photo and choosing a frame, as a user does it: the open dialog,
// the proposed output file, the size fields and information line, the frame
// controls of single- and multi-frame pictures, and the text-position check.

#include "tests/dialog/dialog_fixture.h"
#include "tests/dialog/test_pictures.h"

#include "app/settings_access.h"
#include "dialog/frame_rules.h"
#include "dialog/photo_naming.h"
#include "resources/resource_ids.h"

#include <QDir>
#include <QFile>
#include <QSignalBlocker>

namespace {

class OpenPhotoTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        photos = MakeTempFolder();
        outFolder = MakeTempFolder() + u'/';
        WriteSetting(Settings::LastOutputFolder, outFolder);
        createDialog();
        services.messageBoxes.clear();
    }
    void open(const QString& path) {
        services.openFileAnswers.push_back(path);
        click(IDC_BUTTON_OPEN_PHOTO);
    }
    void typeFrame(const QString& value) { dialog->SetDlgItemText(IDC_EDIT_FRAME_NUMBER, value); }
    // The colour in the middle of the scaled preview.
    QColor previewColor() {
        const QImage& preview = dialog->PreviewImage();
        return preview.isNull() ? QColor() : preview.pixelColor(preview.width() / 2, preview.height() / 2);
    }
    QString photos;
    QString outFolder;
};

}  // namespace

TEST(PhotoNaming, TheFileNameIsTheLastComponent) {
    EXPECT_EQ(GetFileNameOfPath(QStringLiteral("C:\\Photos\\holiday.2019.png")), QStringLiteral("holiday.2019.png"));
    EXPECT_EQ(GetFileNameOfPath(QStringLiteral("/home/me/sea.png")), QStringLiteral("sea.png"));
    EXPECT_EQ(GetFileNameOfPath(QStringLiteral("C:scan.png")), QStringLiteral("scan.png"));
    EXPECT_EQ(GetFileNameOfPath(QStringLiteral("http://host/x.png")), QStringLiteral("http://host/x.png"));
    EXPECT_EQ(GetFileNameOfPath(QStringLiteral("/photos/a:b.png")), QStringLiteral("a:b.png"));
    EXPECT_FALSE(GetFileNameOfPath(QString()).has_value());
}

TEST(PhotoNaming, TheProposedOutputKeepsEveryDotButTheLast) {
    EXPECT_EQ(ProposedOutputPath(QStringLiteral("D:\\Out\\"), QStringLiteral("C:\\Photos\\holiday.2019.png")),
              QStringLiteral("D:\\Out\\holiday.2019_out.jpg"));
    EXPECT_EQ(ProposedOutputPath(QStringLiteral("/out/"), QStringLiteral("/in/scan")), QStringLiteral("/out/scan_out.jpg"));
    EXPECT_EQ(ProposedOutputPath(QStringLiteral("/out/"), QStringLiteral("/in.d/scan")),
              QStringLiteral("/out/scan_out.jpg"));
}

TEST(FrameRules, DimensionsAreListedByName) {
    EXPECT_EQ(FrameDimensionLabel(imaging::FrameDimensionTime, 0), QStringLiteral("FrameDimensionTime"));
    EXPECT_EQ(FrameDimensionLabel(imaging::FrameDimensionResolution, 1), QStringLiteral("FrameDimensionResolution"));
    EXPECT_EQ(FrameDimensionLabel(imaging::FrameDimensionPage, 2), QStringLiteral("FrameDimensionPage"));
    EXPECT_EQ(FrameDimensionLabel(imaging::GUID{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}}, 3), QStringLiteral("Dimension3"));
}

TEST(FrameRules, ATypedNumberIsBroughtIntoRange) {
    const FrameNumberCorrection past = CorrectFrameNumber(20, 12);
    EXPECT_EQ(past.correctedText, QStringLiteral("11"));
    EXPECT_EQ(past.frame, 11u);
    const FrameNumberCorrection negative = CorrectFrameNumber(-3, 12);
    EXPECT_EQ(negative.correctedText, QStringLiteral("0"));
    EXPECT_EQ(negative.frame, 0u);
    const FrameNumberCorrection inside = CorrectFrameNumber(5, 12);
    EXPECT_FALSE(inside.correctedText.has_value());
    EXPECT_EQ(inside.frame, 5u);
    // No frames: nothing to select, though a negative text is still reset.
    EXPECT_FALSE(CorrectFrameNumber(4, 0).frame.has_value());
    EXPECT_EQ(CorrectFrameNumber(-1, 0).correctedText, QStringLiteral("0"));
    EXPECT_TRUE(IsValidFrameNumber(11, 12));
    EXPECT_FALSE(IsValidFrameNumber(12, 12));
    EXPECT_FALSE(IsValidFrameNumber(-1, 12));
}

TEST_F(OpenPhotoTest, TheOpenDialogStartsInTheLastPhotoFolder) {
    WriteSetting(Settings::LastPhotoFolder, photos + u'/');
    click(IDC_BUTTON_OPEN_PHOTO);
    ASSERT_EQ(services.openFileRequests.size(), 1u);
    const FileDialogRequest& request = services.openFileRequests.front();
    EXPECT_EQ(request.title, QStringLiteral("Select a Photo file..."));
    EXPECT_EQ(request.initialFolder, photos + u'/');
    ASSERT_EQ(request.filters.size(), 2);
    EXPECT_TRUE(request.filters[0].startsWith(QStringLiteral("Photo Files (")));
    for (const char* pattern : {"*.bmp", "*.gif", "*.png", "*.tif", "*.jpg", "*.jpeg", "*.ico", "*.exif", "*.wmf",
                                "*.emf", "*.dib", "*.raw", "*.tiff"})
        EXPECT_TRUE(request.filters[0].contains(QLatin1String(pattern))) << pattern;
}

TEST_F(OpenPhotoTest, CancellingTheOpenDialogChangesNothing) {
    open(WritePng(photos, QStringLiteral("first.png"), 64, 48));
    const QString folderBefore = ReadSetting(Settings::LastPhotoFolder);
    const QString outputBefore = text(IDC_EDIT_OUTPUT_FILE);
    click(IDC_BUTTON_OPEN_PHOTO);  // no answer queued: the user cancels
    EXPECT_EQ(ReadSetting(Settings::LastPhotoFolder), folderBefore);
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_FILE), outputBefore);
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_WIDTH), QStringLiteral("64"));
    EXPECT_EQ(text(IDC_STATIC_PHOTO_INFO), QStringLiteral("first.png 64 * 48"));
    EXPECT_EQ(dialog->m_photoPath, photos + QStringLiteral("/first.png"));
    EXPECT_TRUE(services.messageBoxes.empty());
}

TEST_F(OpenPhotoTest, HolidayPhotoGetsItsNameSizeAndFolder) {
    open(WritePng(photos, QStringLiteral("holiday.2019.png"), 800, 600));
    EXPECT_EQ(dialog->m_outputFilePath, outFolder + QStringLiteral("holiday.2019_out.jpg"));
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_FILE), dialog->m_outputFilePath);
    EXPECT_EQ(text(IDC_STATIC_PHOTO_INFO), QStringLiteral("holiday.2019.png 800 * 600"));
    EXPECT_EQ(ReadSetting(Settings::LastPhotoFolder), photos + u'/');
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_WIDTH), QStringLiteral("800"));
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_HEIGHT), QStringLiteral("600"));
    for (int id : {IDC_EDIT_OUTPUT_FILE, IDC_EDIT_OUTPUT_WIDTH, IDC_EDIT_OUTPUT_HEIGHT})
        EXPECT_TRUE(dialog->IsDlgItemEnabled(id)) << id;
    // The held output size waits for the calculator or Convert.
    EXPECT_EQ(dialog->m_outputWidth, 0);
    EXPECT_FALSE(dialog->PreviewImage().isNull());
    EXPECT_TRUE(services.messageBoxes.empty());
}

TEST_F(OpenPhotoTest, ANameWithoutADotKeepsItWhole) {
    const QString png = WritePng(photos, QStringLiteral("scan.png"), 20, 10);
    const QString bare = photos + QStringLiteral("/scan");
    ASSERT_TRUE(QFile::rename(png, bare));
    open(bare);
    EXPECT_EQ(dialog->m_outputFilePath, outFolder + QStringLiteral("scan_out.jpg"));
}

TEST_F(OpenPhotoTest, ASingleFramePictureHidesTheFrameControls) {
    open(WritePng(photos, QStringLiteral("one.png"), 30, 20));
    for (int id : {IDC_COMBO_FRAME_DIMENSION, IDC_EDIT_FRAME_NUMBER, IDC_STATIC_FRAME_RANGE})
        EXPECT_FALSE(dialog->IsDlgItemVisible(id)) << id;
    EXPECT_EQ(dialog->m_frameDimensionCount, 1u);
    EXPECT_EQ(dialog->m_frameCounts[0], 1u);
    EXPECT_EQ(text(IDC_EDIT_FRAME_NUMBER), QStringLiteral("0"));
}

TEST_F(OpenPhotoTest, AnAnimationOf12FramesOffersFrames0To11) {
    open(WriteAnimatedGif(photos, QStringLiteral("spin.gif"), 12));
    EXPECT_FALSE(dialog->IsDlgItemVisible(IDC_COMBO_FRAME_DIMENSION));  // one dimension only
    EXPECT_TRUE(dialog->IsDlgItemVisible(IDC_EDIT_FRAME_NUMBER));
    EXPECT_TRUE(dialog->IsDlgItemVisible(IDC_STATIC_FRAME_RANGE));
    EXPECT_EQ(text(IDC_EDIT_FRAME_NUMBER), QStringLiteral("0"));
    EXPECT_EQ(text(IDC_STATIC_FRAME_RANGE), QStringLiteral("Set frame from 0 to 11"));
    ASSERT_EQ(dialog->m_frameDimensionBox.GetCount(), 1);
    EXPECT_EQ(dialog->m_frameDimensionBox.GetLBText(0), QStringLiteral("FrameDimensionTime"));
    EXPECT_EQ(dialog->m_frameCounts[0], 12u);
    EXPECT_EQ(previewColor(), AnimationColor(0));
}

TEST_F(OpenPhotoTest, TypingPastTheLastFrameShowsTheLastFrame) {
    open(WriteAnimatedGif(photos, QStringLiteral("spin.gif"), 12));
    typeFrame(QStringLiteral("20"));
    EXPECT_EQ(text(IDC_EDIT_FRAME_NUMBER), QStringLiteral("11"));
    EXPECT_EQ(previewColor(), AnimationColor(11));
    typeFrame(QStringLiteral("-3"));
    EXPECT_EQ(text(IDC_EDIT_FRAME_NUMBER), QStringLiteral("0"));
    EXPECT_EQ(previewColor(), AnimationColor(0));
    typeFrame(QStringLiteral("7"));
    EXPECT_EQ(previewColor(), AnimationColor(7));
    // Emptying the field selects nothing.
    typeFrame(QString());
    EXPECT_EQ(previewColor(), AnimationColor(7));
    EXPECT_TRUE(services.messageBoxes.empty());
}

TEST_F(OpenPhotoTest, LeavingTheFrameFieldWithABadNumberComplainsAndKeepsTheText) {
    open(WriteAnimatedGif(photos, QStringLiteral("spin.gif"), 12));
    typeFrame(QStringLiteral("4"));
    // A text put in without an update (as a paste would be corrected later).
    const QSignalBlocker quiet(edit(IDC_EDIT_FRAME_NUMBER));
    edit(IDC_EDIT_FRAME_NUMBER)->setText(QStringLiteral("12"));
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_EDIT_FRAME_NUMBER, EN_KILLFOCUS));
    ASSERT_EQ(services.messageBoxes.size(), 1u);
    EXPECT_EQ(services.messageBoxes[0].text, QStringLiteral("The frame number is invalid. Please enter again!"));
    EXPECT_EQ(services.messageBoxes[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(text(IDC_EDIT_FRAME_NUMBER), QStringLiteral("12"));
    EXPECT_EQ(previewColor(), AnimationColor(4));
    edit(IDC_EDIT_FRAME_NUMBER)->setText(QStringLiteral("9"));
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_EDIT_FRAME_NUMBER, EN_KILLFOCUS));
    EXPECT_EQ(previewColor(), AnimationColor(9));
    EXPECT_EQ(services.messageBoxes.size(), 1u);
}

TEST_F(OpenPhotoTest, ChoosingADimensionRewritesOnlyTheHint) {
    open(WriteAnimatedGif(photos, QStringLiteral("spin.gif"), 12));
    typeFrame(QStringLiteral("3"));
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_COMBO_FRAME_DIMENSION, CBN_SELCHANGE));
    EXPECT_EQ(text(IDC_STATIC_FRAME_RANGE), QStringLiteral("Set frame from 0 to 11"));
    EXPECT_EQ(text(IDC_EDIT_FRAME_NUMBER), QStringLiteral("3"));
    EXPECT_EQ(previewColor(), AnimationColor(3));
}

TEST_F(OpenPhotoTest, ATextPositionBeyondTheNewPhotoIsReset) {
    dialog->SetDlgItemText(IDC_EDIT_TEXT_X, QStringLiteral("500"));
    dialog->SetDlgItemText(IDC_EDIT_TEXT_Y, QStringLiteral("-5"));
    open(WritePng(photos, QStringLiteral("narrow.png"), 400, 300));
    ASSERT_EQ(services.messageBoxes.size(), 1u);
    EXPECT_EQ(services.messageBoxes[0].text,
              QStringLiteral("The text position X is bigger than the photo width!, The program set it to 0 now."));
    EXPECT_EQ(services.messageBoxes[0].caption, QStringLiteral("Warning"));
    EXPECT_EQ(text(IDC_EDIT_TEXT_X), QStringLiteral("0"));
    EXPECT_EQ(text(IDC_EDIT_TEXT_Y), QStringLiteral("-5"));

    services.messageBoxes.clear();
    dialog->SetDlgItemText(IDC_EDIT_TEXT_X, QStringLiteral("399"));
    dialog->SetDlgItemText(IDC_EDIT_TEXT_Y, QStringLiteral("300"));
    open(photos + QStringLiteral("/narrow.png"));
    ASSERT_EQ(services.messageBoxes.size(), 1u);
    EXPECT_EQ(services.messageBoxes[0].text,
              QStringLiteral("The text position Y is bigger than the photo height!, The program set it to 0 now."));
    EXPECT_EQ(text(IDC_EDIT_TEXT_X), QStringLiteral("399"));
    EXPECT_EQ(text(IDC_EDIT_TEXT_Y), QStringLiteral("0"));
}

TEST_F(OpenPhotoTest, AnUnreadableFileIsReportedAndKeepsTheOldSizes) {
    open(WritePng(photos, QStringLiteral("good.png"), 64, 48));
    const QString broken = photos + QStringLiteral("/broken.png");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    open(broken);
    ASSERT_EQ(services.messageBoxes.size(), 1u);
    EXPECT_EQ(services.messageBoxes[0].text, QStringLiteral("Can not get the width of the photo!"));
    EXPECT_EQ(services.messageBoxes[0].caption, broken);
    EXPECT_EQ(dialog->m_photoPath, broken);
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_FILE), outFolder + QStringLiteral("broken_out.jpg"));
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_WIDTH), QStringLiteral("64"));
    EXPECT_EQ(text(IDC_STATIC_PHOTO_INFO), QStringLiteral("good.png 64 * 48"));
    EXPECT_EQ(dialog->m_photoWidth, 0);
}
