#include "language/message_box.h"

#include "language/clanguage.h"
#include "platform/cdialog.h"

int ShowMessage(CDialog& owner, const QString& text, const QString& caption) {
    return Services().MessageBox(owner.Window(), text, caption, MessageBoxButtons::Ok, MessageBoxIcon::None);
}

int ShowErrorMessage(CDialog& owner, int stringId) {
    return ShowMessage(owner, TheLanguage().GetString(stringId), TheLanguage().GetString(IDS_MESSAGE_ERROR));
}

int ShowWarningMessage(CDialog& owner, int stringId) {
    return ShowMessage(owner, TheLanguage().GetString(stringId), TheLanguage().GetString(IDS_MESSAGE_WARNING));
}

int ShowUnownedMessage(const QString& text, const QString& caption) {
    return Services().MessageBox(nullptr, text, caption, MessageBoxButtons::Ok, MessageBoxIcon::None);
}

namespace {

// Replaces the first placeholder whose conversion letter is `letter`,
// turning "%%" into "%" on the way; other placeholders stay as written.
QString formatOne(const QString& format, QChar letter, const QString& value, int maxChars) {
    QString out;
    bool replaced = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'%' && i + 1 < format.size()) {
            const QChar next = format.at(i + 1);
            if (next == u'%') {
                out += u'%';
                ++i;
                continue;
            }
            if (next == letter && !replaced) {
                out += value;
                replaced = true;
                ++i;
                continue;
            }
        }
        out += c;
    }
    if (maxChars > 0 && out.size() > maxChars - 1) {
        qsizetype n = maxChars - 1;
        if (n > 0 && out.at(n - 1).isHighSurrogate()) --n;
        out.truncate(n);
    }
    return out;
}

}  // namespace

QString FormatMessageText(const QString& format, const QString& value, int maxChars) {
    return formatOne(format, u's', value, maxChars);
}

QString FormatMessageText(const QString& format, std::int32_t value, int maxChars) {
    return formatOne(format, u'd', QString::number(value), maxChars);
}
