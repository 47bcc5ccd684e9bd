#include "dialog/about_dlg.h"

#include "language/clanguage.h"
#include "resources/application_icon.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

#include <QWidget>

CAboutDlg::CAboutDlg(QWidget* parent) : CDialog(AboutDialogTemplate(), parent) {
    // OK (identifier 1) ends the box like Enter does.
    SetMessageMap({{WM_COMMAND, IDOK, BN_CLICKED, [this] { OnOK(); }}});
}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }

bool CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    Window()->setWindowIcon(ApplicationIcon());
    TheLanguage().TranslateDialog(*this, IDD_ABOUTBOX);
    return true;
}
