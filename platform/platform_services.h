#pragma once
// The seam between the program and the desktop: message boxes, file and font
// choosers, the popup menu, the browser and outside programs. The real window
// uses QtPlatformServices; tests install ScriptedPlatformServices, which
// answers from queues and records every request.

#include "imaging/core/logfont.h"
#include "platform/win_types.h"

#include <QPoint>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;
struct Menu;

enum class MessageBoxButtons { Ok, YesNo };
enum class MessageBoxIcon { None, Exclamation, Information, Error };

struct FileDialogRequest {
    QString title;
    QString initialFolder;
    QString initialName;   // proposed file name (save dialog)
    QStringList filters;   // "Description (*.a *.b)", first one selected
    QString defaultSuffix; // added by the dialog when the user types none
};

struct FontRequest {
    LOGFONTW font;
    COLORREF color = 0;
    bool effects = true;  // underline, strike-out and colour offered
};

struct FontChoice {
    LOGFONTW font;
    COLORREF color = 0;
};

class PlatformServices {
public:
    virtual ~PlatformServices() = default;

    // Returns IDOK, IDYES or IDNO.
    virtual int MessageBox(QWidget* owner, const QString& text, const QString& caption,
                           MessageBoxButtons buttons, MessageBoxIcon icon) = 0;
    virtual std::optional<QString> GetOpenFileName(QWidget* owner, const FileDialogRequest& request) = 0;
    virtual std::optional<QString> GetSaveFileName(QWidget* owner, const FileDialogRequest& request) = 0;
    virtual std::optional<FontChoice> ChooseFont(QWidget* owner, const FontRequest& request) = 0;
    // Shows the menu with its top-left corner at the screen point; returns the
    // chosen command identifier, or 0 when the menu was dismissed.
    virtual int TrackPopupMenu(const Menu& menu, QPoint screenPos, QWidget* owner) = 0;
    virtual bool OpenUrl(const QString& url) = 0;
    // Starts a program and does not wait for it.
    virtual bool StartProcess(const QString& program, const QStringList& arguments) = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
};

// The services the program uses. Until something is installed this is the
// Qt implementation.
PlatformServices& Services();
// Installs other services (tests); nullptr restores the Qt implementation.
void SetServices(PlatformServices* services);
