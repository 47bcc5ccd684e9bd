#pragma once
// PlatformServices over Qt's own dialogs, menus and desktop services.

#include "platform/platform_services.h"

class QtPlatformServices final : public PlatformServices {
public:
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
};
