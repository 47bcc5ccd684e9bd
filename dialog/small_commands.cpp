// The small commands: the home page, the help, the About box.

#include "dialog/tessaline_dlg.h"

#include "app/file_paths.h"
#include "dialog/about_dlg.h"
#include "dialog/links.h"
#include "language/clanguage.h"
#include "language/message_box.h"
#include "platform/platform_services.h"
#include "resources/string_ids.h"

void CTessalineDlg::OnHomepage() {
    if (Services().OpenUrl(kHomePageAddress)) return;
    const QString text = QStringLiteral("The Program does not launch your web browser to access ") + kHomePageAddress +
                         QStringLiteral(" ,\nPlease launch your web browser and input the URL manually.");
    ShowMessage(*this, text, TheLanguage().GetString(IDS_MESSAGE_UNKNOWN_ERROR));
}

void CTessalineDlg::OnHelp() {
    // The help sits beside the executable, whatever the home folder is; the
    // viewer's success is not watched.
    const QString topic = HelpTopicPath(ExecutablePath());
    Services().StartProcess(QStringLiteral("xdg-open"), {topic});
}

void CTessalineDlg::OnAbout() {
    CAboutDlg about(Window());
    about.DoModal();
}
