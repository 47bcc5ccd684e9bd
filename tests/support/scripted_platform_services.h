#pragma once
// PlatformServices for tests: every answer comes from a queue the test fills,
// and every request is recorded so the test can check what a user would have
// seen. An empty queue gives the answer of a user who cancels (or presses OK
// on a message box; No on a Yes/No question).

#include "platform/menu.h"
#include "platform/platform_services.h"

#include <deque>
#include <vector>

struct ShownMessageBox {
    QString caption;
    QString text;
    MessageBoxButtons buttons;
    MessageBoxIcon icon;
    bool hadOwner;
};

struct StartedProcess {
    QString program;
    QStringList arguments;
};

class ScriptedPlatformServices final : public PlatformServices {
public:
    // Answers, consumed front first.
    std::deque<int> messageBoxAnswers;
    std::deque<std::optional<QString>> openFileAnswers;
    std::deque<std::optional<QString>> saveFileAnswers;
    std::deque<std::optional<FontChoice>> fontAnswers;
    std::deque<int> menuAnswers;
    bool openUrlSucceeds = true;
    bool startProcessSucceeds = true;

    // What was asked for, in order.
    std::vector<ShownMessageBox> messageBoxes;
    std::vector<FileDialogRequest> openFileRequests;
    std::vector<FileDialogRequest> saveFileRequests;
    std::vector<FontRequest> fontRequests;
    std::vector<QPoint> menuPositions;
    std::vector<Menu> menusShown;  // copies of each shown menu
    std::vector<QString> openedUrls;
    std::vector<StartedProcess> startedProcesses;
    int waitCursorDepth = 0;
    int waitCursorRuns = 0;

    int MessageBox(QWidget* owner, const QString& text, const QString& caption, MessageBoxButtons buttons,
                   MessageBoxIcon icon) override;
    std::optional<QString> GetOpenFileName(QWidget* owner, const FileDialogRequest& request) override;
    std::optional<QString> GetSaveFileName(QWidget* owner, const FileDialogRequest& request) override;
    std::optional<FontChoice> ChooseFont(QWidget* owner, const FontRequest& request) override;
    int TrackPopupMenu(const Menu& menu, QPoint screenPos, QWidget* owner) override;
    bool OpenUrl(const QString& url) override;
    bool StartProcess(const QString& program, const QStringList& arguments) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;

    // The texts of all boxes shown so far, for compact assertions.
    QStringList messageTexts() const;
};

// Deep copy of a menu (menus own their submenus).
Menu CopyMenu(const Menu& menu);
