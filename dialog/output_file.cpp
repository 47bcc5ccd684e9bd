// Choosing the output file with the save dialog (Browse). The name chosen
// always ends in ".jpg", and its folder is remembered at once.

#include "dialog/tessaline_dlg.h"

#include "app/file_paths.h"
#include "app/settings_access.h"
#include "platform/platform_services.h"
#include "dialog/photo_naming.h"
#include "resources/resource_ids.h"

void CTessalineDlg::OnBrowseOutputFile() {
    FileDialogRequest request;
    request.title = QStringLiteral("Select Output");
    request.initialFolder = BrowseInitialFolder(m_outputFilePath);
    request.filters = {QStringLiteral("JPEG file (*.jpg)")};
    // No default suffix and no overwrite question: Convert asks before it
    // replaces a file.
    const std::optional<QString> chosen = Services().GetSaveFileName(Window(), request);
    if (!chosen || chosen->isEmpty()) return;

    // The whole name is kept, however long: the data exchange refuses an
    // over-long output path with its own message instead of a cut name.
    m_outputFilePath = BrowsedOutputPath(*chosen);
    m_outputFolder = GetFolderOfPath(m_outputFilePath);
    WriteSetting(Settings::LastOutputFolder, m_outputFolder);
    // Before a photo is opened the field is filled but stays disabled.
    SetDlgItemText(IDC_EDIT_OUTPUT_FILE, m_outputFilePath);
}
