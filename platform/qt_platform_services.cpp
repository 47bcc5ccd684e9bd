#include "platform/qt_platform_services.h"

#include "platform/font_chooser.h"
#include "platform/menu.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QUrl>

namespace {

QMessageBox::Icon toQtIcon(MessageBoxIcon icon) {
    switch (icon) {
    case MessageBoxIcon::None: return QMessageBox::NoIcon;
    case MessageBoxIcon::Exclamation: return QMessageBox::Warning;
    case MessageBoxIcon::Information: return QMessageBox::Information;
    case MessageBoxIcon::Error: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

std::optional<QString> runFileDialog(QWidget* owner, const FileDialogRequest& request, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner, request.title, request.initialFolder);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // Qt's own dialog matches patterns without regard to letter case
    // (cameras write .JPG); desktop-native ones may not.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setNameFilters(request.filters);
    // The program asks its own question before it replaces a file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!request.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.initialName.isEmpty()) dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.constFirst();
}

void addItems(QMenu& target, const Menu& menu) {
    for (const MenuItem& item : menu.items) {
        switch (item.kind) {
        case MenuItem::Kind::Separator: target.addSeparator(); break;
        case MenuItem::Kind::Popup: {
            QMenu* sub = target.addMenu(item.text);  // owned by target
            if (item.submenu) addItems(*sub, *item.submenu);
            break;
        }
        case MenuItem::Kind::Command: {
            QAction* action = target.addAction(item.text);  // owned by target
            action->setData(item.id);
            action->setCheckable(item.checked);
            action->setChecked(item.checked);
            break;
        }
        }
    }
}

}  // namespace

int QtPlatformServices::MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                   MessageBoxButtons buttons, MessageBoxIcon icon) {
    QMessageBox box(toQtIcon(icon), caption, text,
                    buttons == MessageBoxButtons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok,
                    owner);
    box.setWindowModality(Qt::ApplicationModal);
    const int answer = box.exec();
    if (buttons == MessageBoxButtons::YesNo) return answer == QMessageBox::Yes ? IDYES : IDNO;
    return IDOK;
}

std::optional<QString> QtPlatformServices::GetOpenFileName(QWidget* owner, const FileDialogRequest& request) {
    return runFileDialog(owner, request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtPlatformServices::GetSaveFileName(QWidget* owner, const FileDialogRequest& request) {
    return runFileDialog(owner, request, QFileDialog::AcceptSave);
}

std::optional<FontChoice> QtPlatformServices::ChooseFont(QWidget* owner, const FontRequest& request) {
    return RunFontChooser(owner, request);
}

int QtPlatformServices::TrackPopupMenu(const Menu& menu, QPoint screenPos, QWidget* owner) {
    QMenu popup(owner);
    addItems(popup, menu);
    QAction* chosen = popup.exec(screenPos);
    return chosen ? chosen->data().toInt() : 0;
}

bool QtPlatformServices::OpenUrl(const QString& url) { return QDesktopServices::openUrl(QUrl(url)); }

bool QtPlatformServices::StartProcess(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

void QtPlatformServices::BeginWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void QtPlatformServices::EndWaitCursor() { QApplication::restoreOverrideCursor(); }

namespace {
PlatformServices* g_installed = nullptr;
}

PlatformServices& Services() {
    static QtPlatformServices qtServices;
    return g_installed ? *g_installed : qtServices;
}

void SetServices(PlatformServices* services) { g_installed = services; }
