// The catalogue of language files and the choice of the current language.
#include "language/clanguage.h"

#include "tests/language/language_fixture.h"

namespace {

class CatalogueTest : public LanguageTest {
protected:
    CLanguage language;

    QStringList catalogue() const {
        QStringList names;
        for (int i = 0; i < language.GetLanguageCount(); ++i) names << language.GetLanguageName(i);
        return names;
    }
};

TEST_F(CatalogueTest, ListsTheIniFilesSortedByCodeUnitsWithCaseSignificant) {
    writeFile(QStringLiteral("deu_utf-8.ini"), "");
    writeFile(QStringLiteral("German.ini"), "");
    writeFile(QStringLiteral("English.ini"), "");
    writeFile(QStringLiteral("Zulu.INI"), "");
    writeFile(QStringLiteral("notes.txt"), "");
    writeFile(QStringLiteral(".#German.ini"), "");  // an editor's lock file
    QDir(home + QStringLiteral("/language")).mkdir(QStringLiteral("Folder.ini"));
    language.Initialize(home, QStringLiteral("english"));
    EXPECT_EQ(catalogue(), (QStringList{QStringLiteral("English"), QStringLiteral("Folder"), QStringLiteral("German"),
                                        QStringLiteral("Zulu"), QStringLiteral("deu_utf-8")}));
    EXPECT_EQ(language.GetLanguageName(5), QString());
    EXPECT_EQ(language.GetLanguageName(-1), QString());
}

TEST_F(CatalogueTest, TheNameAsPassedBecomesCurrentWhenTheCatalogueHoldsIt) {
    writeFile(QStringLiteral("German.ini"), "[DIALOG]\nIDC_BUTTON_CONVERT=Konvertieren\n");
    language.Initialize(home, QStringLiteral("GERMAN"));
    EXPECT_EQ(language.GetCurrentLanguage(), QStringLiteral("GERMAN"));
    EXPECT_EQ(language.GetDialogText(1000), QStringLiteral("Konvertieren"));
    EXPECT_TRUE(language.GetLanguageFilePath().endsWith(QStringLiteral("/language/German.ini")));
}

TEST_F(CatalogueTest, ANameOutsideTheCatalogueMakesEnglishCurrentButIsStillTried) {
    writeFile(QStringLiteral("English.ini"), "");
    language.Initialize(home, QStringLiteral("Russian"));
    EXPECT_EQ(language.GetCurrentLanguage(), QStringLiteral("english"));
    EXPECT_EQ(language.GetPrimaryLanguage(), 0x19);  // the locale of the name tried
    EXPECT_EQ(language.GetCodePage(), 1251u);
}

TEST_F(CatalogueTest, AMissingLanguageFolderGivesAnEmptyCatalogue) {
    QDir(home + QStringLiteral("/language")).removeRecursively();
    language.Initialize(home, QStringLiteral("english"));
    EXPECT_EQ(language.GetLanguageCount(), 0);
    EXPECT_EQ(language.GetCurrentLanguage(), QStringLiteral("english"));
    EXPECT_EQ(language.GetString(108), QStringLiteral("Please open a photo file first!"));
}

TEST_F(CatalogueTest, AnEmptyErrorCaptionFallsBackToTheBuiltInText) {
    writeFile(QStringLiteral("German.ini"),
              "[STRING]\nIDS_MESSAGE_ERROR=\nIDS_STRING108=Bitte zuerst ein Foto \xF6" "ffnen!\n");
    language.Initialize(home, QStringLiteral("German"));
    EXPECT_EQ(language.GetString(105), QStringLiteral("Error"));
    EXPECT_EQ(language.GetString(108), U("Bitte zuerst ein Foto öffnen!"));
    EXPECT_EQ(language.GetString(116), QStringLiteral("Unknown rotate angle!"));
    EXPECT_EQ(language.GetString(125), QString());
}

TEST_F(CatalogueTest, SelectingAnotherLanguageReplacesTheTexts) {
    writeFile(QStringLiteral("German.ini"), "[STRING]\nIDS_MESSAGE_ERROR=Fehler\n");
    writeFile(QStringLiteral("French.ini"), "[STRING]\nIDS_MESSAGE_WARNING=Avertissement\n");
    language.Initialize(home, QStringLiteral("German"));
    language.SelectLanguage(QStringLiteral("French"));
    EXPECT_EQ(language.GetCurrentLanguage(), QStringLiteral("French"));
    EXPECT_EQ(language.GetString(105), QStringLiteral("Error"));
    EXPECT_EQ(language.GetString(119), QStringLiteral("Avertissement"));
    EXPECT_EQ(language.GetStringTexts().size(), 20u);
}

}  // namespace
