#include "tests/support/scripted_platform_services.h"

namespace {
template <typename T>
T takeFront(std::deque<T>& queue, const T& fallback) {
    if (queue.empty()) return fallback;
    const T value = queue.front();
    queue.pop_front();
    return value;
}
}  // namespace

Menu CopyMenu(const Menu& menu) {
    Menu copy;
    for (const MenuItem& item : menu.items) {
        MenuItem c;
        c.kind = item.kind;
        c.id = item.id;
        c.text = item.text;
        c.checked = item.checked;
        if (item.submenu) c.submenu = std::make_unique<Menu>(CopyMenu(*item.submenu));
        copy.items.push_back(std::move(c));
    }
    return copy;
}

int ScriptedPlatformServices::MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                         MessageBoxButtons buttons, MessageBoxIcon icon) {
    messageBoxes.push_back({caption, text, buttons, icon, owner != nullptr});
    return takeFront(messageBoxAnswers, buttons == MessageBoxButtons::YesNo ? int{IDNO} : int{IDOK});
}

std::optional<QString> ScriptedPlatformServices::GetOpenFileName(QWidget*, const FileDialogRequest& request) {
    openFileRequests.push_back(request);
    return takeFront(openFileAnswers, std::optional<QString>{});
}

std::optional<QString> ScriptedPlatformServices::GetSaveFileName(QWidget*, const FileDialogRequest& request) {
    saveFileRequests.push_back(request);
    return takeFront(saveFileAnswers, std::optional<QString>{});
}

std::optional<FontChoice> ScriptedPlatformServices::ChooseFont(QWidget*, const FontRequest& request) {
    fontRequests.push_back(request);
    return takeFront(fontAnswers, std::optional<FontChoice>{});
}

int ScriptedPlatformServices::TrackPopupMenu(const Menu& menu, QPoint screenPos, QWidget*) {
    menuPositions.push_back(screenPos);
    menusShown.push_back(CopyMenu(menu));
    return takeFront(menuAnswers, 0);
}

bool ScriptedPlatformServices::OpenUrl(const QString& url) {
    openedUrls.push_back(url);
    return openUrlSucceeds;
}

bool ScriptedPlatformServices::StartProcess(const QString& program, const QStringList& arguments) {
    startedProcesses.push_back({program, arguments});
    return startProcessSucceeds;
}

void ScriptedPlatformServices::BeginWaitCursor() {
    ++waitCursorDepth;
    ++waitCursorRuns;
}

void ScriptedPlatformServices::EndWaitCursor() { --waitCursorDepth; }

QStringList ScriptedPlatformServices::messageTexts() const {
    QStringList texts;
    for (const ShownMessageBox& box : messageBoxes) texts << box.text;
    return texts;
}
