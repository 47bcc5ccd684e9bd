// The converter dialog as a user first meets it: what it restores from the
// settings, what closing stores, and the quality, rotation and flip controls.

#include "tests/dialog/dialog_fixture.h"

#include "app/profile_store.h"
#include "app/settings_access.h"
#include "platform/dialog_units.h"
#include "imaging/core/font_conversion.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QStringList closeStepKeys() {
    QStringList keys = {QStringLiteral("Option/nCurrentJpegQuality"), QStringLiteral("Option/nRotateAngel"),
                        QStringLiteral("Option/nFlipType"), QStringLiteral("Option/CurrentLanguage"),
                        QStringLiteral("Option/last_output_folder")};
    // The font keys are written out here rather than taken from the key
    // table, so that a key renamed or moved in the table shows up.
    const QStringList fontFields = {
        QStringLiteral("lfHeight"),       QStringLiteral("lfWidth"),     QStringLiteral("lfEscapement"),
        QStringLiteral("lfOrientation"),  QStringLiteral("lfWeight"),    QStringLiteral("lfItalic"),
        QStringLiteral("lfUnderline"),    QStringLiteral("lfStrikeOut"), QStringLiteral("lfCharSet"),
        QStringLiteral("lfOutPrecision"), QStringLiteral("lfClipPrecision"), QStringLiteral("lfPitchAndFamily"),
        QStringLiteral("lfFaceName"),
        QStringLiteral("nCurrentColor"),
    };
    for (const QString& field : fontFields) keys << QStringLiteral("CurrentFont/") + field;
    return keys;
}

class WriteLog {
public:
    WriteLog() {
        SetProfileWriteObserver([this](const QString& s, const QString& k) { keys << s + u'/' + k; });
    }
    ~WriteLog() { SetProfileWriteObserver({}); }
    QStringList keys;
};

}  // namespace

TEST_F(DialogTest, AFirstStartShowsTheDefaults) {
    createDialog();
    EXPECT_EQ(text(IDC_EDIT_QUALITY), QStringLiteral("80"));
    EXPECT_EQ(qobject_cast<QSlider*>(dialog->GetDlgItem(IDC_SLIDER_QUALITY))->value(), 80);
    EXPECT_TRUE(dialog->IsDlgButtonChecked(IDC_RADIO_ROTATE_0));
    EXPECT_TRUE(dialog->IsDlgButtonChecked(IDC_RADIO_FLIP_NO));
    EXPECT_EQ(text(IDC_EDIT_TEXT_X), QStringLiteral("0"));
    EXPECT_EQ(text(IDC_EDIT_TEXT_Y), QStringLiteral("0"));
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    const QString expected = QDir(pictures).exists() ? pictures + u'/' : QDir::homePath() + u'/';
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_FILE), expected);
    EXPECT_EQ(dialog->m_outputFilePath, expected);
    for (int id : {IDC_EDIT_OUTPUT_FILE, IDC_EDIT_OUTPUT_WIDTH, IDC_EDIT_OUTPUT_HEIGHT})
        EXPECT_FALSE(dialog->IsDlgItemEnabled(id)) << id;
    for (int id : {IDC_COMBO_FRAME_DIMENSION, IDC_STATIC_FRAME_RANGE, IDC_EDIT_FRAME_NUMBER})
        EXPECT_FALSE(dialog->IsDlgItemVisible(id)) << id;
    // No stored face: the overlay font is the dialog's own.
    EXPECT_FALSE(dialog->m_overlayFont.faceName().isEmpty());
    EXPECT_EQ(text(IDC_STATIC_FONT_NAME), dialog->m_overlayFont.faceName());
    EXPECT_EQ(dialog->m_overlayFont.lfHeight, LogFontFromFont(dialog->GetFont()).lfHeight);
    EXPECT_TRUE(dialog->IsImagingStarted());
    // The pictures folder exists or not: either way no box but that one.
    EXPECT_LE(services.messageBoxes.size(), 1u);
}

TEST_F(DialogTest, AStoredAngleOf45IsReportedAndKept) {
    WriteSetting(Settings::RotateAngle, 45);
    createDialog();
    ASSERT_FALSE(services.messageBoxes.empty());
    EXPECT_EQ(services.messageBoxes.back().text, QStringLiteral("Unknown rotate angle!"));
    EXPECT_EQ(services.messageBoxes.back().caption, QStringLiteral("Error"));
    for (int id = IDC_RADIO_ROTATE_0; id <= IDC_RADIO_ROTATE_270; ++id) EXPECT_FALSE(dialog->IsDlgButtonChecked(id));
    dialog->SendMessage(WM_CLOSE);
    EXPECT_EQ(ReadSetting(Settings::RotateAngle), 45);
}

TEST_F(DialogTest, AStoredFlipOf3IsReported) {
    WriteSetting(Settings::FlipType, 3);
    createDialog();
    EXPECT_TRUE(services.messageTexts().contains(QStringLiteral("Unknown flip type!")));
    for (int id = IDC_RADIO_FLIP_NO; id <= IDC_RADIO_FLIP_VERTICAL; ++id) EXPECT_FALSE(dialog->IsDlgButtonChecked(id));
}

TEST_F(DialogTest, AStoredQualityOf150ShowsInTheFieldWhileTheSliderStopsAtItsEnd) {
    WriteSetting(Settings::JpegQuality, 150);
    createDialog();
    EXPECT_EQ(text(IDC_EDIT_QUALITY), QStringLiteral("150"));
    EXPECT_EQ(qobject_cast<QSlider*>(dialog->GetDlgItem(IDC_SLIDER_QUALITY))->value(), 100);
    services.messageBoxes.clear();
    dialog->SendMessage(WM_CLOSE);
    ASSERT_EQ(services.messageBoxes.size(), 1u);
    EXPECT_EQ(services.messageBoxes[0].text, QStringLiteral("Enter an integer between 1 and 100."));
    EXPECT_EQ(ReadSetting(Settings::JpegQuality), 150);
}

TEST_F(DialogTest, TheCloseBoxWritesEveryKeyInOrderEvenWithNoPhoto) {
    createDialog();
    WriteLog log;
    dialog->Window()->show();
    dialog->Window()->close();
    EXPECT_EQ(log.keys, closeStepKeys());
    EXPECT_TRUE(dialog->IsEnded());
    EXPECT_EQ(dialog->Result(), IDCANCEL);
    EXPECT_FALSE(dialog->IsImagingStarted());
}

TEST_F(DialogTest, ExitWritesTheSameKeysAndEnds) {
    createDialog();
    WriteLog log;
    click(IDC_BUTTON_EXIT);
    EXPECT_EQ(log.keys, closeStepKeys());
    EXPECT_TRUE(dialog->IsEnded());
}

TEST_F(DialogTest, EnterAndEscWriteNothing) {
    createDialog();
    {
        WriteLog log;
        dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
        EXPECT_TRUE(dialog->IsEnded());
        EXPECT_TRUE(log.keys.isEmpty());
    }
    createDialog();
    WriteLog log;
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
    EXPECT_TRUE(dialog->IsEnded());
    EXPECT_TRUE(log.keys.isEmpty());
}

TEST_F(DialogTest, ChoicesComeBackOnTheNextStart) {
    createDialog();
    click(IDC_RADIO_ROTATE_270);
    click(IDC_RADIO_FLIP_VERTICAL);
    typeAndLeave(IDC_EDIT_QUALITY, QStringLiteral("70"));
    dialog->SendMessage(WM_CLOSE);
    EXPECT_EQ(ReadSetting(Settings::RotateAngle), 270);
    EXPECT_EQ(ReadSetting(Settings::FlipType), 2);
    EXPECT_EQ(ReadSetting(Settings::JpegQuality), 70);
    createDialog();
    EXPECT_TRUE(dialog->IsDlgButtonChecked(IDC_RADIO_ROTATE_270));
    EXPECT_TRUE(dialog->IsDlgButtonChecked(IDC_RADIO_FLIP_VERTICAL));
    EXPECT_EQ(text(IDC_EDIT_QUALITY), QStringLiteral("70"));
}

TEST_F(DialogTest, ReleasingTheSliderSetsTheQualityAndRewritesTheFields) {
    createDialog();
    auto* slider = qobject_cast<QSlider*>(dialog->GetDlgItem(IDC_SLIDER_QUALITY));
    slider->setValue(55);
    dialog->EnableDlgItem(IDC_EDIT_OUTPUT_FILE, true);
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_FILE, QStringLiteral("/typed/but/not/taken.jpg"));
    dialog->SendMessage(WM_NOTIFY, IDC_SLIDER_QUALITY, NM_RELEASEDCAPTURE);
    EXPECT_EQ(dialog->m_quality, 55);
    EXPECT_EQ(text(IDC_EDIT_QUALITY), QStringLiteral("55"));
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_FILE), dialog->m_outputFilePath);
}

TEST_F(DialogTest, MovingTheSliderWithoutReleaseChangesNothing) {
    createDialog();
    qobject_cast<QSlider*>(dialog->GetDlgItem(IDC_SLIDER_QUALITY))->setValue(30);
    EXPECT_EQ(dialog->m_quality, 80);
    EXPECT_EQ(text(IDC_EDIT_QUALITY), QStringLiteral("80"));
}

TEST_F(DialogTest, LeavingTheQualityFieldTakesTheNumberAndLeavesTheSlider) {
    createDialog();
    services.messageBoxes.clear();  // the pictures-folder notice, where there is none
    typeAndLeave(IDC_EDIT_QUALITY, QStringLiteral("70abc"));
    EXPECT_EQ(dialog->m_quality, 70);
    EXPECT_EQ(qobject_cast<QSlider*>(dialog->GetDlgItem(IDC_SLIDER_QUALITY))->value(), 80);
    EXPECT_TRUE(services.messageBoxes.empty());

    typeAndLeave(IDC_EDIT_QUALITY, QStringLiteral("letters"));
    ASSERT_EQ(services.messageBoxes.size(), 1u);
    EXPECT_EQ(services.messageBoxes[0].text, QStringLiteral("Enter an integer."));
    EXPECT_EQ(dialog->m_quality, 70);

    typeAndLeave(IDC_EDIT_QUALITY, QStringLiteral("150"));
    ASSERT_EQ(services.messageBoxes.size(), 2u);
    EXPECT_EQ(services.messageBoxes[1].text, QStringLiteral("Enter an integer between 1 and 100."));
    EXPECT_EQ(dialog->m_quality, 150);
}

TEST_F(DialogTest, EveryTemplateControlStandsAtItsPlaceWithoutOverlap) {
    createDialog();
    const DialogBaseUnits base = BaseUnitsForFont(dialog->GetFont());
    std::vector<std::pair<int, QRect>> placed;
    for (const ControlTemplate& c : ConverterDialogTemplate().controls) {
        QWidget* w = dialog->GetDlgItem(c.id);
        ASSERT_NE(w, nullptr) << c.id;
        const QRect expected = DialogUnitsToPixels(base, c.x, c.y, c.width, c.height);
        EXPECT_EQ(w->pos(), expected.topLeft()) << c.id;
        EXPECT_EQ(w->width(), expected.width()) << c.id;
        if (c.kind != ControlKind::GroupBox) placed.emplace_back(c.id, w->geometry());
    }
    // Group boxes frame others by design; no two other controls overlap.
    for (size_t i = 0; i < placed.size(); ++i)
        for (size_t j = i + 1; j < placed.size(); ++j)
            EXPECT_FALSE(placed[i].second.intersects(placed[j].second)) << placed[i].first << " " << placed[j].first;
}
