// Loading one language file: encodings and locales from the name, decoding,
// escapes, limits, and the interface font of the language.
#include "language/clanguage.h"

#include "app/profile_store.h"
#include "tests/language/language_fixture.h"

#include <clocale>
#include <cstdio>
#include <string>

namespace {

class LanguageFileTest : public LanguageTest {
protected:
    // Loads `name` from a home folder holding `fileName` with `contents`.
    void load(const QString& fileName, const QByteArray& contents, const QString& name) {
        writeFile(fileName, contents);
        language.Initialize(home, name);
    }
    QString convertText() const { return language.GetDialogText(1000); }

    CLanguage language;
};

TEST_F(LanguageFileTest, EnglishFilesLoadWithoutAMessageWhateverTheirLetterCase) {
    for (const QString& name : {QStringLiteral("English"), QStringLiteral("ENGLISH")}) {
        load(name + QStringLiteral(".ini"), "[DIALOG]\nIDC_BUTTON_CONVERT=Conv\xE9rt\n", name);
        EXPECT_EQ(language.GetPrimaryLanguage(), 9);
        EXPECT_EQ(language.GetSubLanguage(), 1);
        EXPECT_EQ(language.GetCodePage(), 1252u);
        EXPECT_EQ(language.GetLocaleName(), QStringLiteral("english"));
        EXPECT_EQ(convertText(), U("Convért"));
    }
    load(QStringLiteral("English_utf-8.ini"), "[DIALOG]\nIDC_BUTTON_CONVERT=Conv\xC3\xA9rt\n", QStringLiteral("English_utf-8"));
    EXPECT_EQ(language.GetEncoding(), LanguageFileEncoding::Utf8);
    EXPECT_EQ(language.GetPrimaryLanguage(), 9);
    EXPECT_EQ(language.GetCodePage(), 65001u);
    EXPECT_EQ(convertText(), U("Convért"));
    EXPECT_TRUE(services.messageBoxes.empty());
}

TEST_F(LanguageFileTest, TheDefaultNameOpensTheFileWhateverItsLetterCase) {
    load(QStringLiteral("English.ini"), "[DIALOG]\nIDC_BUTTON_CONVERT=Go\n", QStringLiteral("english"));
    EXPECT_EQ(convertText(), QStringLiteral("Go"));
    EXPECT_TRUE(language.GetLanguageFilePath().endsWith(QStringLiteral("/language/English.ini")));
}

TEST_F(LanguageFileTest, AnAbbreviationSelectsTheFirstRowThatCarriesIt) {
    load(QStringLiteral("deu.ini"), "[STRING]\nIDS_MESSAGE_ERROR=Fehler\n", QStringLiteral("deu"));
    EXPECT_EQ(language.GetPrimaryLanguage(), 7);
    EXPECT_EQ(language.GetSubLanguage(), 0);
    EXPECT_EQ(language.GetCodePage(), 1252u);
    EXPECT_EQ(language.GetLocaleName(), QStringLiteral("deu"));
    EXPECT_EQ(language.GetThreadLocale(), 0x0007u);
    EXPECT_EQ(language.GetString(105), QStringLiteral("Fehler"));
}

TEST_F(LanguageFileTest, AnsiFilesDecodeWithTheLocalesCodePage) {
    load(QStringLiteral("Japanese.ini"), "[DIALOG]\nIDC_BUTTON_OPEN_PHOTO=\x8E\xCA\x90\x5E\x82\xF0\x8A\x4A\x82\xAD\n",
         QStringLiteral("Japanese"));
    EXPECT_EQ(language.GetCodePage(), 932u);
    EXPECT_EQ(language.GetDialogText(1001), U("写真を開く"));

    load(QStringLiteral("Russian_Russia.ini"), "[DIALOG]\nIDC_BUTTON_OPEN_PHOTO=\xCE\xF2\xEA\xF0\xFB\xF2\xFC\n",
         QStringLiteral("Russian_Russia"));
    EXPECT_EQ(language.GetCodePage(), 1251u);
    EXPECT_EQ(language.GetThreadLocale(), 0x0419u);
    EXPECT_EQ(language.GetDialogText(1001), U("Открыть"));
}

TEST_F(LanguageFileTest, ALocaleWithoutCodePageDecodesWithTheSystemAnsiCodePage) {
    load(QStringLiteral("Hindi.ini"), "[DIALOG]\nIDC_BUTTON_CONVERT=\xE0\xA4\xA8\n", QStringLiteral("Hindi"));
    EXPECT_EQ(language.GetCodePage(), 0u);
    EXPECT_EQ(language.GetPrimaryLanguage(), 0x39);
    EXPECT_EQ(convertText(), U("à¤¨"));
    EXPECT_TRUE(services.messageBoxes.empty());
}

TEST_F(LanguageFileTest, UnicodeFilesAreTakenAsRead) {
    load(QStringLiteral("Japanese_unicode.ini"), utf16le(U("[DIALOG]\r\nIDC_BUTTON_CONVERT=変換\r\n")),
         QStringLiteral("Japanese_unicode"));
    EXPECT_EQ(language.GetEncoding(), LanguageFileEncoding::Unicode);
    EXPECT_EQ(language.GetCodePage(), 1252u);
    EXPECT_EQ(language.GetPrimaryLanguage(), 0x11);
    EXPECT_EQ(convertText(), U("変換"));
}

TEST_F(LanguageFileTest, ANameWithoutLocaleShowsTheMessageAndStillReadsTheFile) {
    load(QStringLiteral("Klingon.ini"), "[DIALOG]\nIDC_BUTTON_CONVERT=Qap\xE9\n", QStringLiteral("Klingon"));
    ASSERT_EQ(services.messageBoxes.size(), 1u);
    EXPECT_EQ(services.messageBoxes[0].caption, QStringLiteral("klingon"));
    EXPECT_EQ(services.messageBoxes[0].text,
              QStringLiteral("Your language file name may be not proper,\n please read the help file!"));
    EXPECT_FALSE(services.messageBoxes[0].hadOwner);
    EXPECT_EQ(convertText(), U("Qapé"));
    EXPECT_EQ(language.GetLocaleName(), QString());  // the user's default
    // Primary language, sublanguage and code page stay as they were.
    EXPECT_EQ(language.GetPrimaryLanguage(), 9);
    EXPECT_EQ(language.GetSubLanguage(), 1);
    EXPECT_EQ(language.GetThreadLocale(), 0x0409u);
}

TEST_F(LanguageFileTest, TheUtf8SuffixIsFoundInsideTheNameAndCutFromItsEnd) {
    load(QStringLiteral("x_utf-8y.ini"), "[DIALOG]\nIDC_BUTTON_CONVERT=\xC3\xA9\n", QStringLiteral("x_utf-8y"));
    EXPECT_EQ(language.GetEncoding(), LanguageFileEncoding::Utf8);
    ASSERT_EQ(services.messageBoxes.size(), 1u);
    EXPECT_EQ(services.messageBoxes[0].caption, QStringLiteral("x_"));
    EXPECT_EQ(convertText(), U("Ã©"));  // no locale: as the system reads it
}

TEST_F(LanguageFileTest, AFailedLookUpKeepsThePreviousLocale) {
    load(QStringLiteral("Russian.ini"), "[STRING]\n", QStringLiteral("Russian"));
    language.LoadLanguageFile(QStringLiteral("Klingon"));
    EXPECT_EQ(language.GetCodePage(), 1251u);
    EXPECT_EQ(language.GetPrimaryLanguage(), 0x19);
    EXPECT_FALSE(language.WasLocaleFound());
}

TEST_F(LanguageFileTest, EscapesBecomeControlCharacters) {
    load(QStringLiteral("English.ini"),
         "[STRING]\nIDS_STRING108=one\\ntwo\nIDS_STRING111=C:\\temp\nIDS_STRING112=\\\\n\nIDS_STRING115=a\\rb\\x\\\n",
         QStringLiteral("English"));
    EXPECT_EQ(language.GetString(108), QStringLiteral("one\ntwo"));
    EXPECT_EQ(language.GetString(111), QStringLiteral("C:\temp"));
    EXPECT_EQ(language.GetString(112), QStringLiteral("\\\n"));
    EXPECT_EQ(language.GetString(115), QStringLiteral("a\rb\\x\\"));
    EXPECT_EQ(CLanguage::UnescapeText(QStringLiteral("\\n\\t\\r")), QStringLiteral("\n\t\r"));
}

TEST_F(LanguageFileTest, ABackslashInsideADoubleByteCharacterIsNoEscape) {
    // "表" is 95 5C in Shift-JIS; followed by "n" it must stay "表n".
    load(QStringLiteral("Japanese.ini"), "[STRING]\nIDS_STRING108=\x95\x5C" "n\n", QStringLiteral("Japanese"));
    EXPECT_EQ(language.GetString(108), U("表n"));
}

TEST_F(LanguageFileTest, QuotedValuesLoseTheirQuotes) {
    load(QStringLiteral("English.ini"), "[DIALOG]\nIDC_BUTTON_CONVERT=\"  Convert now  \"\nIDC_BUTTON_EXIT='Quit'\n",
         QStringLiteral("English"));
    EXPECT_EQ(convertText(), QStringLiteral("  Convert now  "));
    EXPECT_EQ(language.GetDialogText(1037), QStringLiteral("Quit"));
}

TEST_F(LanguageFileTest, EveryKeyIsFiledUnderItsSectionInTableOrder) {
    load(QStringLiteral("English.ini"), "[MENU]\nIDR_MENU_LANGUAGE_POPUP=ignored\nIDM_ABOUT=Info\n", QStringLiteral("English"));
    EXPECT_EQ(language.GetStringTexts().size(), 20u);
    EXPECT_EQ(language.GetMenuTexts().size(), 4u);
    EXPECT_EQ(language.GetDialogTexts().size(), 23u);
    EXPECT_EQ(language.GetMenuText(129), QStringLiteral("PopupMenu1"));  // never read from the file
    EXPECT_EQ(language.GetMenuText(32771), QStringLiteral("Info"));
    EXPECT_EQ(language.GetDialogTexts().front().id, 1001);
    EXPECT_EQ(language.GetStringTexts().front().id, 102);
}

TEST_F(LanguageFileTest, AMissingFileLeavesEveryTextEmpty) {
    language.Initialize(home, QStringLiteral("German"));
    EXPECT_EQ(language.GetDialogTexts().size(), 23u);
    for (const LanguageEntry& entry : language.GetDialogTexts()) EXPECT_TRUE(entry.text.isEmpty());
    EXPECT_EQ(language.GetString(105), QStringLiteral("Error"));
    EXPECT_TRUE(services.messageBoxes.empty());
}

TEST_F(LanguageFileTest, OverLongValuesAreCutAtACharacterBoundary) {
    // 2046 ASCII letters and then a three-byte character: the text limit
    // falls inside nothing, the character fits as the 2047th.
    QByteArray utf8 = QByteArray(2046, 'a') + "\xE2\x82\xAC" + QByteArray(100, 'b');
    load(QStringLiteral("English_utf-8.ini"), "[DIALOG]\nIDC_BUTTON_CONVERT=" + utf8 + "\n", QStringLiteral("English_utf-8"));
    EXPECT_EQ(convertText().size(), 2047);
    EXPECT_TRUE(convertText().endsWith(U("€")));

    // 4094 bytes and then a two-byte Shift-JIS character: the byte limit
    // splits it, so it is dropped, not garbled.
    const QByteArray sjis = QByteArray("\x8E\xCA").repeated(2047);
    load(QStringLiteral("Japanese.ini"), "[DIALOG]\nIDC_BUTTON_CONVERT=" + sjis + "\x90\x5E" "tail\n", QStringLiteral("Japanese"));
    EXPECT_EQ(convertText(), U("写").repeated(2047));
}

TEST_F(LanguageFileTest, InvalidBytesBecomeReplacementCharacters) {
    load(QStringLiteral("English_utf-8.ini"), "[DIALOG]\nIDC_BUTTON_CONVERT=a\xFF\xFE" "b\xE2\x82\n", QStringLiteral("English_utf-8"));
    const QString r{QChar(QChar::ReplacementCharacter)};
    EXPECT_EQ(convertText(), QStringLiteral("a") + r + r + u'b' + r);
}

TEST_F(LanguageFileTest, LoadingNeverChangesHowNumbersAreWritten) {
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const std::string allBefore = std::setlocale(LC_ALL, nullptr);
    load(QStringLiteral("German.ini"), "[STRING]\n", QStringLiteral("German"));
    load(QStringLiteral("Russian.ini"), "[STRING]\n", QStringLiteral("Russian"));
    EXPECT_EQ(std::setlocale(LC_NUMERIC, nullptr), before);
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), allBefore);
    EXPECT_STREQ(std::localeconv()->decimal_point, ".");
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", 2.5);
    EXPECT_STREQ(buffer, "2.5");
    EXPECT_EQ(language.GetLocaleName(), QStringLiteral("rus"));
}

TEST_F(LanguageFileTest, ALanguageWithoutFontSectionUsesTheDefaultInterfaceFont) {
    load(QStringLiteral("German.ini"), "[STRING]\n", QStringLiteral("German"));
    const LOGFONTW& font = language.GetInterfaceFontDescription();
    EXPECT_EQ(font.lfHeight, -11);
    EXPECT_EQ(font.lfWeight, 400);
    EXPECT_EQ(font.faceName(), QStringLiteral("Microsoft Sans Serif"));
    EXPECT_EQ(font.lfQuality, 0);
    ASSERT_TRUE(language.GetInterfaceFont().has_value());
    EXPECT_EQ(language.GetInterfaceFont()->pixelSize(), 11);
}

TEST_F(LanguageFileTest, TheInterfaceFontComesFromTheLanguagesOwnSection) {
    WriteProfileInt(QStringLiteral("German"), QStringLiteral("lfHeight"), -20);
    WriteProfileInt(QStringLiteral("German"), QStringLiteral("lfWeight"), 700);
    WriteProfileInt(QStringLiteral("German"), QStringLiteral("lfOutPrecision"), 259);
    WriteProfileInt(QStringLiteral("German"), QStringLiteral("lfItalic"), 257);
    WriteProfileString(QStringLiteral("German"), QStringLiteral("lfFaceName"), QString(40, u'F'));
    load(QStringLiteral("German.ini"), "[STRING]\n", QStringLiteral("German"));
    const LOGFONTW& font = language.GetInterfaceFontDescription();
    EXPECT_EQ(font.lfHeight, -20);
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_EQ(font.lfOutPrecision, 3);
    EXPECT_EQ(font.lfItalic, 1);
    EXPECT_EQ(font.faceName(), QString(31, u'F'));
    ASSERT_TRUE(language.GetInterfaceFont().has_value());
    EXPECT_TRUE(language.GetInterfaceFont()->bold());
}

TEST_F(LanguageFileTest, AnAbsurdStoredFontIsRefusedWithAMessage) {
    WriteProfileInt(QStringLiteral("German"), QStringLiteral("lfHeight"), -2000000000);
    load(QStringLiteral("German.ini"), "[STRING]\n", QStringLiteral("German"));
    EXPECT_FALSE(language.GetInterfaceFont().has_value());
    ASSERT_EQ(services.messageBoxes.size(), 1u);
    EXPECT_EQ(services.messageBoxes[0].text, QStringLiteral("Failed to create font"));
    EXPECT_EQ(services.messageBoxes[0].caption, QStringLiteral("Error"));
}

}  // namespace

namespace {

// Random bytes under every kind of name: loading must neither crash nor
// leave anything but whole characters.
TEST_F(LanguageFileTest, RandomBytesLoadSafelyUnderEveryEncoding) {
    std::uint32_t state = 12345;
    const auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return static_cast<char>((state >> 16) & 0xFF);
    };
    QByteArray noise("[DIALOG]\nIDC_BUTTON_CONVERT=");
    for (int i = 0; i < 20000; ++i) noise.append(i % 97 == 0 ? '\n' : next());
    for (const char* name : {"Japanese", "Chinese_Traditional", "Korean", "Vietnamese", "Thai", "German_utf-8",
                             "Russian_unicode", "Klingon"}) {
        services.messageBoxes.clear();
        load(QString::fromLatin1(name) + QStringLiteral(".ini"), noise, QString::fromLatin1(name));
        for (const LanguageEntry& entry : language.GetDialogTexts()) {
            EXPECT_LE(entry.text.size(), 2047);
            for (qsizetype i = 0; i < entry.text.size(); ++i) {
                const QChar c = entry.text.at(i);
                if (c.isHighSurrogate()) {
                    ASSERT_LT(i + 1, entry.text.size());
                    EXPECT_TRUE(entry.text.at(++i).isLowSurrogate());
                } else {
                    EXPECT_FALSE(c.isLowSurrogate());
                }
            }
        }
    }
}

}  // namespace
