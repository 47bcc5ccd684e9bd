// Closing the converter dialog: the close box and Exit save the user's
// choices, release the picture and stop the imaging service.

#include "dialog/tessaline_dlg.h"

#include "app/font_settings.h"
#include "app/settings_access.h"
#include "language/clanguage.h"

void CTessalineDlg::OnClose() { SaveSettingsAndCleanUp(); }

void CTessalineDlg::SaveSettingsAndCleanUp() {
    UpdateData(true);  // a failing rule has shown its message; saving goes on
    WriteSetting(Settings::JpegQuality, m_quality);
    WriteSetting(Settings::RotateAngle, m_rotateAngle);
    WriteSetting(Settings::FlipType, m_flipType);
    WriteSetting(Settings::CurrentLanguage, TheLanguage().GetCurrentLanguage());
    WriteSetting(Settings::LastOutputFolder, m_outputFolder);
    SaveOverlayFont(m_overlayFont);
    WriteSetting(Settings::OverlayColor, static_cast<std::int32_t>(m_overlayColor));

    m_frameDimensions.clear();
    m_frameDimensionCount = 0;
    m_loadedPicture.reset();
    previewImage_ = QImage();

    Default();  // for the close box this ends the dialog
    if (imagingStarted_) {
        imaging::GdiplusShutdown(m_gdiplusToken);
        imagingStarted_ = false;
    }
}

void CTessalineDlg::OnExit() {
    SaveSettingsAndCleanUp();
    OnCancel();
}
