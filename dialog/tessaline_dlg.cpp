// Construction, message routing and data exchange of the converter dialog.

#include "dialog/tessaline_dlg.h"

#include "app/font_settings.h"
#include "app/settings_access.h"
#include "dialog/photo_drop.h"
#include "platform/data_exchange.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

CTessalineDlg::CTessalineDlg(QWidget* parent) : CDialog(ConverterDialogTemplate(), parent) {
    LoadOverlayFont(m_overlayFont);
    m_overlayColor = static_cast<COLORREF>(ReadSetting(Settings::OverlayColor));
    buildMessageMap();
}

CTessalineDlg::~CTessalineDlg() = default;

void CTessalineDlg::buildMessageMap() {
    const auto command = [this](int id, void (CTessalineDlg::*handler)()) {
        return MessageMapEntry{WM_COMMAND, id, BN_CLICKED, [this, handler] { (this->*handler)(); }};
    };
    const auto notify = [this](int id, int code, auto handler) {
        return MessageMapEntry{WM_COMMAND, id, code, [this, handler] { (this->*handler)(); }};
    };
    std::vector<MessageMapEntry> map = {
        {WM_PAINT, 0, 0, [this] { OnPaint(); }},
        {WM_CLOSE, 0, 0, [this] { OnClose(); }},
        {WM_NOTIFY, IDC_SLIDER_QUALITY, NM_RELEASEDCAPTURE,
         [this] {
             OnQualitySliderReleased();
             SetNotifyResult(0);
         }},
        notify(IDC_EDIT_QUALITY, EN_KILLFOCUS, &CTessalineDlg::OnQualityKillFocus),
        {WM_COMMAND, IDC_RADIO_ROTATE_0, BN_CLICKED, [this] { OnRotate(0); }},
        {WM_COMMAND, IDC_RADIO_ROTATE_90, BN_CLICKED, [this] { OnRotate(90); }},
        {WM_COMMAND, IDC_RADIO_ROTATE_180, BN_CLICKED, [this] { OnRotate(180); }},
        {WM_COMMAND, IDC_RADIO_ROTATE_270, BN_CLICKED, [this] { OnRotate(270); }},
        {WM_COMMAND, IDC_RADIO_FLIP_NO, BN_CLICKED, [this] { OnFlip(0); }},
        {WM_COMMAND, IDC_RADIO_FLIP_HORIZONTAL, BN_CLICKED, [this] { OnFlip(1); }},
        {WM_COMMAND, IDC_RADIO_FLIP_VERTICAL, BN_CLICKED, [this] { OnFlip(2); }},
        command(IDC_BUTTON_EXIT, &CTessalineDlg::OnExit),
        command(IDC_BUTTON_HOMEPAGE, &CTessalineDlg::OnHomepage),
        command(IDC_BUTTON_HELP, &CTessalineDlg::OnHelp),
        {WM_COMMAND, IDM_ABOUT, MENU_COMMAND, [this] { OnAbout(); }},
    };

    // Opening a photo, frames, output size and file, Convert.
    const std::vector<MessageMapEntry> photoRoutes = {
        command(IDC_BUTTON_OPEN_PHOTO, &CTessalineDlg::OnOpenPhoto),
        command(IDC_BUTTON_CONVERT, &CTessalineDlg::OnConvert),
        command(IDC_BUTTON_OUTPUT_FILE_BROWSE, &CTessalineDlg::OnBrowseOutputFile),
        command(IDC_BUTTON_BASE_WIDTH, &CTessalineDlg::OnBaseWidth),
        command(IDC_BUTTON_BASE_HEIGHT, &CTessalineDlg::OnBaseHeight),
        notify(IDC_EDIT_FRAME_NUMBER, EN_KILLFOCUS, &CTessalineDlg::OnFrameNumberKillFocus),
        notify(IDC_COMBO_FRAME_DIMENSION, CBN_SELCHANGE, &CTessalineDlg::OnFrameDimensionChange),
        notify(IDC_EDIT_FRAME_NUMBER, EN_UPDATE, &CTessalineDlg::OnFrameNumberUpdate),
    };

    // The text stamp's font, colour and position.
    const std::vector<MessageMapEntry> overlayRoutes = {
        command(IDC_BUTTON_FONT, &CTessalineDlg::OnFont),
        notify(IDC_EDIT_TEXT_X, EN_KILLFOCUS, &CTessalineDlg::OnTextXKillFocus),
        notify(IDC_EDIT_TEXT_Y, EN_KILLFOCUS, &CTessalineDlg::OnTextYKillFocus),
    };

    // The popup menu's commands.
    const std::vector<MessageMapEntry> menuRoutes = {
        {WM_COMMAND, IDM_POPUPMENU_FONT, MENU_COMMAND, [this] { OnInterfaceFont(); }},
    };

    for (const auto* routes : {&photoRoutes, &overlayRoutes, &menuRoutes})
        map.insert(map.end(), routes->begin(), routes->end());
    SetMessageMap(std::move(map));
}

void CTessalineDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_EDIT_OUTPUT_FILE, m_outputFilePath);
    DDV_MaxChars(pDX, m_outputFilePath, kOutputPathMaxChars);
    DDX_Text(pDX, IDC_EDIT_QUALITY, m_quality);
    DDV_MinMaxInt(pDX, m_quality, 1, 100);
    DDX_Control(pDX, IDC_SLIDER_QUALITY, m_qualitySlider);
    DDX_Control(pDX, IDC_COMBO_FRAME_DIMENSION, m_frameDimensionBox);
}

std::intptr_t CTessalineDlg::WindowProc(std::uint32_t message, std::uint32_t wParam, std::intptr_t lParam) {
    if (message == WM_SYSCOMMAND) {
        OnSysCommand(static_cast<int>(wParam));
        return 0;
    }
    // The popup menu's hooks: language commands first, then the right button.
    if (message == WM_COMMAND) {
        const int id = LOWORD(wParam);
        if (id >= IDM_LANGUAGE_FIRST && id <= IDM_LANGUAGE_LAST) OnLanguageCommand(id);
        // ... and the command goes on through the ordinary routing.
    } else if (message == WM_RBUTTONUP) {
        const auto position = static_cast<std::uint32_t>(lParam);
        ShowLanguageMenu(QPoint(LOWORD(position), HIWORD(position)));
        return 0;
    }

    return CDialog::WindowProc(message, wParam, lParam);
}

void CTessalineDlg::OnSysCommand(int commandId) {
    if ((commandId & 0xFFF0) == IDM_ABOUTBOX) OnAbout();
}
