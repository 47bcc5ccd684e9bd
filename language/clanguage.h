#pragma once
// CLanguage: the program's one language component. It lists the language
// files of the `language` folder, loads the chosen one (its encoding and
// locale follow from its name), and hands out its texts: message texts with
// a built-in English fall-back (GetString), dialog and menu texts without
// one. It also owns the interface font, one per language, kept in the
// settings store.

#include "imaging/core/logfont.h"

#include <QFont>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

class CDialog;
struct Menu;

struct LanguageEntry {
    std::int32_t id;
    QString text;
};

enum class LanguageFileEncoding : std::int32_t { Ansi = 0, Unicode = 1, Utf8 = 2 };

// What a language file's name says about its locale.
struct LocaleResult {
    QString localeName;
    std::int32_t primaryLanguage = 0;
    std::int32_t subLanguage = 0;
    std::uint32_t codePage = 0;
};

class CLanguage {
public:
    CLanguage();
    virtual ~CLanguage();

    // Catalogue and selection.
    bool Initialize(const QString& homeFolder, const QString& languageName);
    void ListLanguages();
    bool SelectLanguage(const QString& name);
    int GetLanguageCount() const;
    QString GetLanguageName(int index) const;
    QString GetCurrentLanguage() const;

    // The language file.
    static LanguageFileEncoding DetectEncoding(const QString& name);
    // Uses the stored encoding; on failure shows the message and gives
    // nothing.
    std::optional<LocaleResult> LookUpLocale(const QString& name) const;
    static QString UnescapeText(const QString& text);
    QString DecodeText(const QByteArray& bytes) const;
    bool LoadLanguageFile(const QString& name);
    bool LoadInterfaceFont();

    // Texts.
    QString GetString(std::int32_t id) const;
    QString GetMenuText(std::int32_t id) const;
    QString GetDialogText(std::int32_t id) const;
    QString GetMenuField(std::int32_t menuId, int n) const;
    bool TranslateDialog(CDialog& dialog, std::int32_t dialogId);
    bool TranslateMenu(Menu& menu, std::int32_t menuId, bool topLevel);
    bool SaveInterfaceFont(const LOGFONTW& font);

    // The interface font: its description and the font made from it (empty
    // when creation failed or nothing is loaded yet).
    const LOGFONTW& GetInterfaceFontDescription() const { return interfaceFontDescription_; }
    const std::optional<QFont>& GetInterfaceFont() const { return interfaceFont_; }
    // Replaces the interface font (the popup menu's Font command).
    bool CreateInterfaceFont(const LOGFONTW& description);

    // State, for the dialog and for tests.
    const QString& GetHomeFolder() const { return homeFolder_; }
    const QString& GetLanguageFilePath() const { return languageFilePath_; }
    LanguageFileEncoding GetEncoding() const { return encoding_; }
    std::uint32_t GetCodePage() const { return codePage_; }
    std::int32_t GetPrimaryLanguage() const { return primaryLanguage_; }
    std::int32_t GetSubLanguage() const { return subLanguage_; }
    // The locale the last load recorded: its name (empty for the user's
    // default) and the thread-locale identifier (sublanguage << 10 |
    // primary language). The process's C locale is never changed, so
    // numbers keep the English decimal point.
    const QString& GetLocaleName() const { return localeName_; }
    std::uint32_t GetThreadLocale() const {
        return (static_cast<std::uint32_t>(subLanguage_) << 10) | static_cast<std::uint32_t>(primaryLanguage_);
    }
    bool WasLocaleFound() const { return localeFound_; }
    const std::vector<LanguageEntry>& GetStringTexts() const { return stringTexts_; }
    const std::vector<LanguageEntry>& GetMenuTexts() const { return menuTexts_; }
    const std::vector<LanguageEntry>& GetDialogTexts() const { return dialogTexts_; }

private:
    // The code page in which the values of a byte file are decoded.
    std::uint32_t valueCodePage() const;

    QString currentLanguage_ = QStringLiteral("english");
    QStringList catalogue_;
    std::vector<LanguageEntry> menuTexts_;
    std::vector<LanguageEntry> stringTexts_;
    std::vector<LanguageEntry> dialogTexts_;
    QString homeFolder_;
    std::uint32_t codePage_ = 1252;
    std::int32_t subLanguage_ = 1;
    std::int32_t primaryLanguage_ = 9;
    QString languageFilePath_;
    LanguageFileEncoding encoding_ = LanguageFileEncoding::Ansi;
    LOGFONTW interfaceFontDescription_;
    std::optional<QFont> interfaceFont_;
    QString localeName_;
    bool localeFound_ = false;
    // TranslateMenu's submenu counter lives across calls.
    std::int32_t menuCounter_ = 0;
};

// The program's language component.
CLanguage& TheLanguage();
