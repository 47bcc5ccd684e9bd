// The language files we ship: each one loads in its own encoding, gives
// every key a text, and keeps the placeholders of the built-in texts.
#include "language/clanguage.h"

#include "language/key_table.h"
#include "resources/dialog_templates.h"
#include "resources/string_table.h"
#include "tests/language/language_fixture.h"

#include <QRegularExpression>

namespace {

const QString kSourceRoot = QStringLiteral(TESS_SHIPPED_LANGUAGE_FOLDER "/..");

struct Shipped {
    const char* name;
    LanguageFileEncoding encoding;
    std::uint32_t codePage;
    const char* ownName;  // IDS_LANGUAGE
    const char* convert;  // IDC_BUTTON_CONVERT
};

const Shipped kShipped[] = {
    {"Chinese_Simplified_utf-8", LanguageFileEncoding::Utf8, 65001, "简体中文", "转换"},
    {"English", LanguageFileEncoding::Ansi, 1252, "English", "Convert"},
    {"French", LanguageFileEncoding::Ansi, 1252, "Français", "Convertir"},
    {"German", LanguageFileEncoding::Ansi, 1252, "Deutsch", "Umwandeln"},
    {"Japanese_unicode", LanguageFileEncoding::Unicode, 1252, "日本語", "変換"},
    {"Russian", LanguageFileEncoding::Ansi, 1251, "Русский", "Преобразовать"},
    {"Spanish", LanguageFileEncoding::Ansi, 1252, "Español", "Convertir"},
};

QStringList placeholders(const QString& text) {
    QStringList found;
    const QRegularExpression pattern(QStringLiteral("%[a-z]"));
    for (auto it = pattern.globalMatch(text); it.hasNext();) found << it.next().captured();
    return found;
}

QString textOf(const CLanguage& language, const LanguageKey& key) {
    switch (SectionOfKey(QString::fromUtf16(key.name))) {
    case LanguageSection::String: {
        for (const LanguageEntry& e : language.GetStringTexts()) {
            if (e.id == key.id) return e.text;
        }
        return {};
    }
    case LanguageSection::Menu: return language.GetMenuText(key.id);
    case LanguageSection::Dialog: return language.GetDialogText(key.id);
    }
    return {};
}

class ShippedLanguageFilesTest : public LanguageTest {};

TEST_F(ShippedLanguageFilesTest, TheCatalogueListsEveryShippedLanguage) {
    CLanguage language;
    language.Initialize(kSourceRoot, QStringLiteral("english"));
    QStringList expected;
    for (const Shipped& s : kShipped) expected << QString::fromLatin1(s.name);
    EXPECT_EQ(language.GetLanguageCount(), static_cast<int>(std::size(kShipped)));
    for (int i = 0; i < language.GetLanguageCount(); ++i) EXPECT_EQ(language.GetLanguageName(i), expected.value(i));
}

TEST_F(ShippedLanguageFilesTest, EachFileLoadsInItsEncodingWithEveryKeyTranslated) {
    for (const Shipped& s : kShipped) {
        SCOPED_TRACE(s.name);
        CLanguage language;
        language.Initialize(kSourceRoot, QString::fromLatin1(s.name));
        EXPECT_TRUE(services.messageBoxes.empty());
        EXPECT_EQ(language.GetEncoding(), s.encoding);
        EXPECT_EQ(language.GetCodePage(), s.codePage);
        EXPECT_EQ(language.GetString(102), QString::fromUtf8(s.ownName));
        EXPECT_EQ(language.GetDialogText(1000), QString::fromUtf8(s.convert));
        for (const LanguageKey& key : KeyTable()) {
            const QString text = textOf(language, key);
            SCOPED_TRACE(QString::fromUtf16(key.name).toStdString());
            EXPECT_FALSE(text.isEmpty());
            EXPECT_FALSE(text.contains(QChar(QChar::ReplacementCharacter)));
            if (SectionOfKey(QString::fromUtf16(key.name)) == LanguageSection::String) {
                EXPECT_EQ(placeholders(text), placeholders(BuiltInString(key.id).value_or(QString())));
            }
        }
    }
}

TEST_F(ShippedLanguageFilesTest, EnglishRepeatsTheBuiltInTexts) {
    CLanguage language;
    language.Initialize(kSourceRoot, QStringLiteral("english"));
    for (const LanguageEntry& e : language.GetStringTexts()) EXPECT_EQ(e.text, BuiltInString(e.id).value_or(QString()));
    for (const ControlTemplate& c : ConverterDialogTemplate().controls) {
        const QString text = language.GetDialogText(c.id);
        if (!text.isEmpty()) {
            EXPECT_EQ(text, c.text) << c.id;
        }
    }
    EXPECT_EQ(language.GetDialogText(102), ConverterDialogTemplate().caption);
}

}  // namespace
