#pragma once
// The program's message boxes: text from GetString, caption "Error"
// (IDS_MESSAGE_ERROR) or "Warning" (IDS_MESSAGE_WARNING) from GetString, owned by the dialog, an OK button and no
// icon unless a caller says otherwise.

#include "platform/platform_services.h"
#include "resources/string_ids.h"

#include <QString>

class CDialog;

// An error box: text of `stringId`, caption of IDS_MESSAGE_ERROR.
int ShowErrorMessage(CDialog& owner, int stringId);
// A warning box: text of `stringId`, caption of IDS_MESSAGE_WARNING.
int ShowWarningMessage(CDialog& owner, int stringId);
// Any text and caption, OK only, no icon, owned by the dialog.
int ShowMessage(CDialog& owner, const QString& text, const QString& caption);
// A box without an owner window (shown before or outside the dialog).
int ShowUnownedMessage(const QString& text, const QString& caption);

// wsprintf-style formatting of the one placeholder a text carries: "%s" with
// a text, "%d" with a number. Only the first placeholder is replaced; "%%"
// stands for "%". The result is cut to maxChars - 1 characters.
QString FormatMessageText(const QString& format, const QString& value, int maxChars = 1024);
QString FormatMessageText(const QString& format, std::int32_t value, int maxChars = 1024);
