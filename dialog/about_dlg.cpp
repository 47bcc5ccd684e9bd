#include "dialog/about_dlg.h"

#include "language/clanguage.h"
#include "resources/application_icon.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

#include <QWidget>

// The message map stays empty: OK (identifier 1), Enter, Esc and the close
// box end the box through the framework's own handling.
CAboutDlg::CAboutDlg(QWidget* parent) : CDialog(AboutDialogTemplate(), parent) {}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }

bool CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    Window()->setWindowIcon(ApplicationIcon());
    TheLanguage().TranslateDialog(*this, IDD_ABOUTBOX);
    return true;
}
