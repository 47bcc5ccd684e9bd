// The converter dialog's initialisation: translate, restore the user's
// choices from the settings, start the imaging service.

#include "dialog/tessaline_dlg.h"

#include "app/settings_access.h"
#include "language/clanguage.h"
#include "language/message_box.h"
#include "imaging/core/font_conversion.h"
#include "resources/application_icon.h"
#include "resources/resource_ids.h"

#include <QDir>
#include <QStandardPaths>
#include <QWidget>

namespace {
const QString kErrorCaption = QStringLiteral("Error");
}

// The pictures folder with a trailing separator; the home folder when the
// desktop names none (after telling the user).
QString CTessalineDlg::defaultOutputFolder() {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QDir(pictures).exists()) return pictures + u'/';
    ShowMessage(*this, QStringLiteral("Can not get My Picture directory!"), kErrorCaption);
    return QDir::homePath() + u'/';
}

namespace {

struct RadioChoice {
    std::int32_t value;
    int buttonId;
};

// Checks the button of `value` in the group [firstId, lastId]; a value with no
// button checks none and is reported with `unknownMessage`.
void restoreRadioGroup(CDialog& dialog, std::int32_t value, std::initializer_list<RadioChoice> choices,
                       int firstId, int lastId, const QString& unknownMessage) {
    for (const RadioChoice& choice : choices) {
        if (choice.value == value) {
            dialog.CheckRadioButton(firstId, lastId, choice.buttonId);
            return;
        }
    }
    dialog.CheckRadioButton(firstId, lastId, 0);
    ShowMessage(dialog, unknownMessage, kErrorCaption);
}

}  // namespace

void CTessalineDlg::restoreRotation() {
    m_rotateAngle = ReadSetting(Settings::RotateAngle);
    restoreRadioGroup(*this, m_rotateAngle,
                      {{0, IDC_RADIO_ROTATE_0}, {90, IDC_RADIO_ROTATE_90}, {180, IDC_RADIO_ROTATE_180},
                       {270, IDC_RADIO_ROTATE_270}},
                      IDC_RADIO_ROTATE_0, IDC_RADIO_ROTATE_270, QStringLiteral("Unknown rotate angle!"));
}

void CTessalineDlg::restoreFlip() {
    m_flipType = ReadSetting(Settings::FlipType);
    restoreRadioGroup(*this, m_flipType,
                      {{0, IDC_RADIO_FLIP_NO}, {1, IDC_RADIO_FLIP_HORIZONTAL}, {2, IDC_RADIO_FLIP_VERTICAL}},
                      IDC_RADIO_FLIP_NO, IDC_RADIO_FLIP_VERTICAL, QStringLiteral("Unknown flip type!"));
}

bool CTessalineDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The window menu belongs to the window manager on this desktop, so the
    // About box is offered by the popup menu only.
    Window()->setWindowIcon(ApplicationIcon());

    TheLanguage().TranslateDialog(*this, IDD_PROGRAM_JPG);

    m_outputFolder = ReadSetting(Settings::LastOutputFolder, defaultOutputFolder());
    SetDlgItemText(IDC_EDIT_OUTPUT_FILE, m_outputFolder);
    m_outputFilePath = m_outputFolder;
    EnableDlgItem(IDC_EDIT_OUTPUT_FILE, false);
    EnableDlgItem(IDC_EDIT_OUTPUT_WIDTH, false);
    EnableDlgItem(IDC_EDIT_OUTPUT_HEIGHT, false);

    m_qualitySlider.SetRange(1, 100, false);
    m_quality = ReadSetting(Settings::JpegQuality);
    m_qualitySlider.SetPos(m_quality);
    UpdateData(false);

    restoreRotation();
    restoreFlip();

    imagingStarted_ = imaging::GdiplusStartup(&m_gdiplusToken, &m_gdiplusStartupInput, nullptr) == imaging::Status::Ok;

    ShowDlgItem(IDC_COMBO_FRAME_DIMENSION, false);
    ShowDlgItem(IDC_EDIT_FRAME_NUMBER, false);
    ShowDlgItem(IDC_STATIC_FRAME_RANGE, false);
    SetDlgItemText(IDC_EDIT_TEXT_X, QStringLiteral("0"));
    SetDlgItemText(IDC_EDIT_TEXT_Y, QStringLiteral("0"));

    if (m_overlayFont.faceName().isEmpty()) m_overlayFont = LogFontFromFont(GetFont());
    SetDlgItemText(IDC_STATIC_FONT_NAME, m_overlayFont.faceName());
    SetFocusTo(IDC_BUTTON_OPEN_PHOTO);
    acceptPhotosFromOutside();
    return true;
}
