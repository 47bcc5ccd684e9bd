#include "app/tessaline_app.h"

#include "app/home_folder.h"
#include "app/profile_store.h"
#include "app/settings_access.h"
#include "dialog/tessaline_dlg.h"
#include "language/clanguage.h"

bool CTessalineApp::InitInstance(const QString& photo) {
    SetRegistryKey(QStringLiteral("KORVANE"));
    const QString languageName = ReadSetting(Settings::CurrentLanguage);
    const QString homeFolder = GetHomeFolder();
    TheLanguage().Initialize(homeFolder, languageName);
    {
        CTessalineDlg dialog;
        dialog.SetPhotoToOpen(photo);
        dialog.DoModal();
    }
    return false;
}
