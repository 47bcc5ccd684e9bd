// The text stamp's controls as a user meets them: the Font button with its
// colour that starts black each time, the face name beside it, what closing
// stores, and the checks made when a position field is left.

#include "tests/dialog/dialog_fixture.h"

#include "app/profile_store.h"
#include "app/settings_access.h"
#include "language/clanguage.h"
#include "platform/font_chooser.h"
#include "imaging/core/font_conversion.h"
#include "resources/resource_ids.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFontDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

const QString kWidthInvalid = QStringLiteral("The output width is invalid!");
const QString kHeightInvalid = QStringLiteral("The output hight is invalid!");
const QString kXOutOfRange = QStringLiteral("The text position X is out of range!");
const QString kYOutOfRange = QStringLiteral("The text position Y is out of range!");

LOGFONTW BoldFace(const QString& face, int pixels) {
    LOGFONTW lf;
    lf.lfHeight = -pixels;
    lf.lfWeight = FW_BOLD;
    lf.setFaceName(face);
    return lf;
}

}  // namespace

class OverlayTest : public DialogTest {
protected:
    // The dialog, with whatever its initialisation showed (a missing
    // pictures folder on a test machine) put aside.
    void createQuietDialog() {
        createDialog();
        services.messageBoxes.clear();
    }
};

// ---- Font and colour -------------------------------------------------------

TEST_F(OverlayTest, TheFontChooserStartsFromTheOverlayFontButAlwaysWithBlack) {
    createDialog();
    dialog->m_overlayColor = RGB(255, 0, 0);
    const LOGFONTW before = dialog->m_overlayFont;
    click(IDC_BUTTON_FONT);
    ASSERT_EQ(services.fontRequests.size(), 1u);
    EXPECT_EQ(services.fontRequests[0].font, before);
    EXPECT_EQ(services.fontRequests[0].color, 0u);
    EXPECT_TRUE(services.fontRequests[0].effects);

    // Again after a colour was chosen: still black.
    services.fontAnswers.push_back(FontChoice{BoldFace(QStringLiteral("DejaVu Serif"), 40), RGB(255, 0, 0)});
    click(IDC_BUTTON_FONT);
    click(IDC_BUTTON_FONT);
    ASSERT_EQ(services.fontRequests.size(), 3u);
    EXPECT_EQ(services.fontRequests[2].color, 0u);
    EXPECT_EQ(services.fontRequests[2].font.faceName(), QStringLiteral("DejaVu Serif"));
}

TEST_F(OverlayTest, ChoosingAFontTakesFontColourAndShowsTheFace) {
    createQuietDialog();
    const LOGFONTW chosen = BoldFace(QStringLiteral("DejaVu Serif"), 40);
    services.fontAnswers.push_back(FontChoice{chosen, RGB(255, 0, 0)});
    click(IDC_BUTTON_FONT);
    EXPECT_EQ(dialog->m_overlayFont, chosen);
    EXPECT_EQ(dialog->m_overlayColor, 0x000000FFu);
    EXPECT_EQ(text(IDC_STATIC_FONT_NAME), QStringLiteral("DejaVu Serif"));
    EXPECT_TRUE(services.messageBoxes.empty());
}

TEST_F(OverlayTest, OkWithoutTouchingTheColourMakesTheStampBlack) {
    createDialog();
    services.fontAnswers.push_back(FontChoice{BoldFace(QStringLiteral("DejaVu Sans"), 20), RGB(255, 0, 0)});
    click(IDC_BUTTON_FONT);
    // The chooser hands back the colour it started with: black.
    services.fontAnswers.push_back(FontChoice{BoldFace(QStringLiteral("DejaVu Sans"), 20), 0});
    click(IDC_BUTTON_FONT);
    EXPECT_EQ(dialog->m_overlayColor, 0u);
}

TEST_F(OverlayTest, CancellingTheFontChooserChangesNothing) {
    createDialog();
    services.fontAnswers.push_back(FontChoice{BoldFace(QStringLiteral("DejaVu Serif"), 30), RGB(0, 0, 255)});
    click(IDC_BUTTON_FONT);
    services.fontAnswers.push_back(std::nullopt);
    click(IDC_BUTTON_FONT);
    EXPECT_EQ(dialog->m_overlayFont.faceName(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(dialog->m_overlayColor, RGB(0, 0, 255));
    EXPECT_EQ(text(IDC_STATIC_FONT_NAME), QStringLiteral("DejaVu Serif"));
}

TEST_F(OverlayTest, TheFontButtonWritesNoSettingsButClosingStoresBoldRed) {
    createDialog();
    services.fontAnswers.push_back(FontChoice{BoldFace(QStringLiteral("DejaVu Serif"), 40), RGB(255, 0, 0)});
    click(IDC_BUTTON_FONT);
    EXPECT_EQ(GetProfileString(QStringLiteral("CurrentFont"), QStringLiteral("lfFaceName"), QStringLiteral("-")),
              QStringLiteral("-"));

    dialog->SendMessage(WM_CLOSE);
    EXPECT_EQ(GetProfileInt(QStringLiteral("CurrentFont"), QStringLiteral("lfWeight"), 0), 700);
    EXPECT_EQ(GetProfileInt(QStringLiteral("CurrentFont"), QStringLiteral("nCurrentColor"), 0), 255);
    EXPECT_EQ(GetProfileInt(QStringLiteral("CurrentFont"), QStringLiteral("lfHeight"), 0), -40);

    // The next start shows the same face and colour.
    createDialog();
    EXPECT_EQ(text(IDC_STATIC_FONT_NAME), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(dialog->m_overlayFont.lfWeight, FW_BOLD);
    EXPECT_EQ(dialog->m_overlayColor, 0x000000FFu);
}

TEST_F(OverlayTest, AFirstStartStampsInTheDialogsOwnFontInBlack) {
    createDialog();
    EXPECT_EQ(dialog->m_overlayColor, 0u);
    EXPECT_EQ(dialog->m_overlayFont.faceName(), LogFontFromFont(dialog->GetFont()).faceName());
    EXPECT_EQ(text(IDC_STATIC_FONT_NAME), dialog->m_overlayFont.faceName());
}

TEST_F(OverlayTest, WithoutAStoredFaceTheStampTakesTheTranslatedDialogsInterfaceFont) {
    // A language that names the dialog's caption gives the dialog its
    // interface font; the stamp's fallback is taken after that.
    const QString home = MakeTempFolder();
    QDir(home).mkdir(QStringLiteral("language"));
    QFile file(home + QStringLiteral("/language/German.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[DIALOG]\r\nIDD_PROGRAM_JPG_CAPTION=Tessaline Deutsch\r\n");
    file.close();
    WriteProfileString(QStringLiteral("German"), QStringLiteral("lfFaceName"), QStringLiteral("DejaVu Serif"));
    WriteProfileInt(QStringLiteral("German"), QStringLiteral("lfHeight"), -15);
    TheLanguage().Initialize(home, QStringLiteral("German"));

    createQuietDialog();
    EXPECT_EQ(dialog->GetWindowText(), QStringLiteral("Tessaline Deutsch"));
    EXPECT_EQ(dialog->m_overlayFont.faceName(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(dialog->m_overlayFont.lfHeight, -15);
    EXPECT_EQ(text(IDC_STATIC_FONT_NAME), QStringLiteral("DejaVu Serif"));
}

TEST_F(OverlayTest, AStoredFaceIsKeptEvenWhenOtherFieldsAreDefaults) {
    WriteProfileString(QStringLiteral("CurrentFont"), QStringLiteral("lfFaceName"), QStringLiteral("Noto Sans"));
    createDialog();
    EXPECT_EQ(dialog->m_overlayFont.faceName(), QStringLiteral("Noto Sans"));
    EXPECT_EQ(dialog->m_overlayFont.lfHeight, -13);
    EXPECT_EQ(dialog->m_overlayFont.lfWeight, 400);
    EXPECT_EQ(text(IDC_STATIC_FONT_NAME), QStringLiteral("Noto Sans"));
}

// ---- The platform chooser itself ---------------------------------------------

namespace {

// Presses OK in the chooser once it is up, after `adjust` has had its turn.
void AcceptChooserSoon(std::function<void(QDialog&)> adjust = {}) {
    QTimer::singleShot(0, [adjust] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        if (adjust) adjust(*dialog);
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        buttons->button(QDialogButtonBox::Ok)->click();
    });
}

}  // namespace

TEST(FontChooser, OkAtOnceGivesBackTheStartingFontAndColour) {
    LOGFONTW lf = BoldFace(QStringLiteral("DejaVu Sans"), 40);
    lf.lfItalic = 1;
    lf.lfUnderline = 1;
    AcceptChooserSoon([](QDialog& dialog) {
        // Face, style and size lists are on screen, not only the colour row.
        auto* fonts = dialog.findChild<QFontDialog*>();
        ASSERT_NE(fonts, nullptr);
        EXPECT_TRUE(fonts->isVisible());
        EXPECT_EQ(fonts->currentFont().pointSizeF(), 30.0);
    });
    const std::optional<FontChoice> choice = RunFontChooser(nullptr, FontRequest{lf, 0, true});
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->color, 0u);
    EXPECT_EQ(choice->font.faceName(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(choice->font.lfHeight, -40);  // 30 points at 96 DPI, both ways
    EXPECT_EQ(choice->font.lfWeight, FW_BOLD);
    EXPECT_EQ(choice->font.lfItalic, 1);
    EXPECT_EQ(choice->font.lfUnderline, 1);
    EXPECT_EQ(choice->font.lfStrikeOut, 0);
}

TEST(FontChooser, OffersTheSixteenBasicColoursAndReturnsThePickedOne) {
    AcceptChooserSoon([](QDialog& dialog) {
        auto* colours = dialog.findChild<QComboBox*>(QStringLiteral("colour"));
        ASSERT_NE(colours, nullptr);
        EXPECT_GE(colours->count(), 17);  // sixteen and "Custom..."
        const int red = colours->findData(static_cast<uint>(RGB(255, 0, 0)));
        ASSERT_GE(red, 0);
        colours->setCurrentIndex(red);
        emit colours->activated(red);
        // The sample line shows the colour.
        bool sampleIsRed = false;
        for (const QLineEdit* edit : dialog.findChild<QFontDialog*>()->findChildren<QLineEdit*>())
            if (edit->alignment() & Qt::AlignHCenter)
                sampleIsRed = edit->palette().color(QPalette::Text) == QColor(255, 0, 0);
        EXPECT_TRUE(sampleIsRed);
    });
    const std::optional<FontChoice> choice =
        RunFontChooser(nullptr, FontRequest{BoldFace(QStringLiteral("DejaVu Sans"), 20), 0, true});
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->color, 0x000000FFu);
}

TEST(FontChooser, CancelGivesNothing) {
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
    });
    EXPECT_FALSE(RunFontChooser(nullptr, FontRequest{BoldFace(QStringLiteral("DejaVu Sans"), 20), 0, true}));
}

// ---- Leaving the position fields -------------------------------------------

class PositionCheckTest : public OverlayTest {
protected:
    // A dialog with a photo "open" (only the path matters to these checks)
    // and the given texts in the size fields.
    void openWithSize(const QString& width, const QString& height) {
        createQuietDialog();
        dialog->m_photoPath = QStringLiteral("/photos/sea.png");
        dialog->SetDlgItemText(IDC_EDIT_OUTPUT_WIDTH, width);
        dialog->SetDlgItemText(IDC_EDIT_OUTPUT_HEIGHT, height);
    }
    QStringList leaveX(const QString& x) { return leave(IDC_EDIT_TEXT_X, x); }
    QStringList leaveY(const QString& y) { return leave(IDC_EDIT_TEXT_Y, y); }

private:
    QStringList leave(int id, const QString& value) {
        services.messageBoxes.clear();
        typeAndLeave(id, value);
        return services.messageTexts();
    }
};

TEST_F(PositionCheckTest, XMustLieInsideTheOutputWidth) {
    openWithSize(QStringLiteral("640"), QStringLiteral("480"));
    EXPECT_EQ(leaveX(QStringLiteral("640")), QStringList{kXOutOfRange});
    EXPECT_EQ(leaveX(QStringLiteral("639")), QStringList{});
    EXPECT_EQ(leaveX(QStringLiteral("-1")), QStringList{kXOutOfRange});
    EXPECT_EQ(leaveX(QStringLiteral("0")), QStringList{});
    // X is checked against the width, not the height.
    EXPECT_EQ(leaveX(QStringLiteral("500")), QStringList{});
}

TEST_F(PositionCheckTest, YMustLieInsideTheOutputHeight) {
    openWithSize(QStringLiteral("640"), QStringLiteral("480"));
    EXPECT_EQ(leaveY(QStringLiteral("-1")), QStringList{kYOutOfRange});
    EXPECT_EQ(leaveY(QStringLiteral("480")), QStringList{kYOutOfRange});
    EXPECT_EQ(leaveY(QStringLiteral("479")), QStringList{});
    EXPECT_EQ(leaveY(QStringLiteral("500")), QStringList{kYOutOfRange});
}

TEST_F(PositionCheckTest, TheMessagesAreErrorsWithAnOkButtonOwnedByTheDialog) {
    openWithSize(QStringLiteral("640"), QStringLiteral("480"));
    leaveY(QStringLiteral("480"));
    ASSERT_EQ(services.messageBoxes.size(), 1u);
    const ShownMessageBox& box = services.messageBoxes[0];
    EXPECT_EQ(box.caption, QStringLiteral("Error"));
    EXPECT_EQ(box.buttons, MessageBoxButtons::Ok);
    EXPECT_EQ(box.icon, MessageBoxIcon::None);
    EXPECT_TRUE(box.hadOwner);
}

TEST_F(PositionCheckTest, ABadWidthIsReportedAndThePositionIsNotChecked) {
    openWithSize(QStringLiteral("0"), QStringLiteral("480"));
    EXPECT_EQ(leaveX(QStringLiteral("99999")), QStringList{kWidthInvalid});
    EXPECT_EQ(leaveY(QStringLiteral("-7")), QStringList{kWidthInvalid});
    // Both bad: the width alone is reported.
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_HEIGHT, QStringLiteral("-3"));
    EXPECT_EQ(leaveX(QStringLiteral("5")), QStringList{kWidthInvalid});
    // Letters alone count as 0.
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_WIDTH, QStringLiteral("wide"));
    EXPECT_EQ(leaveX(QStringLiteral("5")), QStringList{kWidthInvalid});
}

TEST_F(PositionCheckTest, ABadHeightWithAGoodWidthIsReported) {
    openWithSize(QStringLiteral("640"), QStringLiteral("tall"));
    EXPECT_EQ(leaveX(QStringLiteral("700")), QStringList{kHeightInvalid});
    EXPECT_EQ(leaveY(QStringLiteral("1")), QStringList{kHeightInvalid});
}

TEST_F(PositionCheckTest, TheSizeFieldsAreTakenInAndTheirDecimalRulesApply) {
    openWithSize(QStringLiteral("  640px"), QStringLiteral("+480 high"));
    EXPECT_EQ(leaveX(QStringLiteral("639 from the left")), QStringList{});
    EXPECT_EQ(dialog->m_outputWidth, 640);
    EXPECT_EQ(dialog->m_outputHeight, 480);
    EXPECT_EQ(leaveX(QStringLiteral("99999999999")), QStringList{kXOutOfRange});  // becomes INT32_MAX
    EXPECT_EQ(leaveX(QStringLiteral("right")), QStringList{});                   // no digits: 0
}

TEST_F(PositionCheckTest, TheChecksOnlyInformAndCorrectNothing) {
    openWithSize(QStringLiteral("640"), QStringLiteral("480"));
    leaveX(QStringLiteral("640"));
    leaveY(QStringLiteral("-1"));
    EXPECT_EQ(text(IDC_EDIT_TEXT_X), QStringLiteral("640"));
    EXPECT_EQ(text(IDC_EDIT_TEXT_Y), QStringLiteral("-1"));
}

TEST_F(PositionCheckTest, WithoutAPhotoLeavingEitherFieldDoesNothing) {
    createDialog();
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_WIDTH, QStringLiteral("0"));
    dialog->m_outputWidth = 12;
    EXPECT_EQ(leaveX(QStringLiteral("-5")), QStringList{});
    EXPECT_EQ(leaveY(QStringLiteral("99999")), QStringList{});
    EXPECT_EQ(dialog->m_outputWidth, 12);  // not even parsed
}
