// Applying a language to a dialog and a menu, and the interface font of
// each language.
#include "language/clanguage.h"

#include "app/profile_store.h"
#include "platform/cdialog.h"
#include "platform/menu.h"
#include "resources/dialog_templates.h"
#include "resources/menu_resources.h"
#include "tests/language/language_fixture.h"

#include <QComboBox>

namespace {

class TranslationTest : public LanguageTest {
protected:
    void SetUp() override {
        LanguageTest::SetUp();
        dialog.BindControl(1013, BoundControl::Slider);
        dialog.BindControl(1039, BoundControl::ComboBox);
        dialog.BindControl(1045, BoundControl::Edit);
        dialog.Create();
    }

    CLanguage language;
    CDialog dialog{ConverterDialogTemplate()};
};

TEST_F(TranslationTest, CaptionAndControlTextsComeFromTheDialogSection) {
    writeFile(QStringLiteral("German.ini"),
              "[DIALOG]\nIDD_PROGRAM_JPG_CAPTION=Tessaline Deutsch\nIDC_BUTTON_CONVERT=Umwandeln\n"
              "IDC_STATIC_FLIP=Spiegeln\nIDC_STATIC_OUTPUT_WIDTH=Breite:\n");
    language.Initialize(home, QStringLiteral("German"));
    const QFont templateFont = dialog.GetItemFont(1005);
    EXPECT_TRUE(language.TranslateDialog(dialog, 102));
    EXPECT_EQ(dialog.GetWindowText(), QStringLiteral("Tessaline Deutsch"));
    EXPECT_EQ(dialog.GetDlgItemText(1000, 256), QStringLiteral("Umwandeln"));
    EXPECT_EQ(dialog.GetDlgItemText(1022, 256), QStringLiteral("Spiegeln"));
    EXPECT_EQ(dialog.GetDlgItemText(1007, 256), QStringLiteral("Breite:"));
    EXPECT_EQ(dialog.GetDlgItemText(1001, 256), QStringLiteral("Open Photo"));  // no text: unchanged

    // The replaced controls and the dialog get the interface font; the
    // others keep the template's.
    EXPECT_EQ(dialog.GetItemFont(1000).pixelSize(), 11);
    EXPECT_EQ(dialog.GetFont().pixelSize(), 11);
    EXPECT_EQ(dialog.GetItemFont(1001), templateFont);
    EXPECT_EQ(dialog.GetItemFont(1005), templateFont);
}

TEST_F(TranslationTest, WithoutCaptionNeitherCaptionNorDialogFontChange) {
    writeFile(QStringLiteral("German.ini"), "[DIALOG]\nIDC_BUTTON_CONVERT=Umwandeln\n");
    language.Initialize(home, QStringLiteral("German"));
    const QFont before = dialog.GetFont();
    language.TranslateDialog(dialog, 102);
    EXPECT_EQ(dialog.GetWindowText(), QStringLiteral("Tessaline"));
    EXPECT_EQ(dialog.GetFont(), before);
}

TEST_F(TranslationTest, ComboBoxItemsAreSplitAtLineFeedsKeepingTheLastPiece) {
    // A template whose combo box carries a language key's identifier.
    DialogTemplate t = ConverterDialogTemplate();
    for (ControlTemplate& c : t.controls) {
        if (c.id == 1039) c.id = 1046;        // the combo box takes IDC_STATIC_ADD_TEXT's identifier
        else if (c.id == 1046) c.id = 1099;   // and the label another one
    }
    CDialog withCombo{t};
    withCombo.BindControl(1046, BoundControl::ComboBox);
    withCombo.Create();
    writeFile(QStringLiteral("German.ini"), "[DIALOG]\nIDC_STATIC_ADD_TEXT=eins\\nzwei\\n\n");
    language.Initialize(home, QStringLiteral("German"));
    language.TranslateDialog(withCombo, 102);
    auto* box = qobject_cast<QComboBox*>(withCombo.GetDlgItem(1046));
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->count(), 3);
    EXPECT_EQ(box->itemText(0), QStringLiteral("eins"));
    EXPECT_EQ(box->itemText(1), QStringLiteral("zwei"));
    EXPECT_EQ(box->itemText(2), QString());
}

TEST_F(TranslationTest, BoundEditControlsAndStaticsWithoutIdentifierAreNeverTouched) {
    // Identifiers 1 to 99 take message texts; IDOK of the About box is 1.
    writeFile(QStringLiteral("German.ini"), "[DIALOG]\nIDC_BUTTON_CONVERT=Umwandeln\n");
    language.Initialize(home, QStringLiteral("German"));
    CDialog about{AboutDialogTemplate()};
    about.Create();
    const QString ok = about.GetDlgItemText(1, 64);
    language.TranslateDialog(about, 100);
    EXPECT_EQ(about.GetWindowText(), QStringLiteral("About Tessaline"));
    EXPECT_EQ(about.GetDlgItemText(1, 64), ok);  // GetString(1) is empty
    dialog.SetDlgItemText(1045, QStringLiteral("typed"));
    language.TranslateDialog(dialog, 102);
    EXPECT_EQ(dialog.GetDlgItemText(1045, 64), QStringLiteral("typed"));
}

TEST_F(TranslationTest, ASwitchKeepsThePreviousTextWhereTheNewLanguageLacksOne) {
    writeFile(QStringLiteral("German.ini"),
              "[DIALOG]\nIDD_PROGRAM_JPG_CAPTION=Deutsch\nIDC_BUTTON_CONVERT=Umwandeln\nIDC_BUTTON_EXIT=Beenden\n");
    writeFile(QStringLiteral("French.ini"), "[DIALOG]\nIDC_BUTTON_EXIT=Quitter\n");
    language.Initialize(home, QStringLiteral("German"));
    language.TranslateDialog(dialog, 102);
    language.SelectLanguage(QStringLiteral("French"));
    language.TranslateDialog(dialog, 102);
    EXPECT_EQ(dialog.GetDlgItemText(1037, 64), QStringLiteral("Quitter"));
    EXPECT_EQ(dialog.GetDlgItemText(1000, 64), QStringLiteral("Umwandeln"));
    EXPECT_EQ(dialog.GetWindowText(), QStringLiteral("Deutsch"));
}

TEST_F(TranslationTest, EachLanguageKeepsItsOwnInterfaceFont) {
    writeFile(QStringLiteral("German.ini"), "");
    writeFile(QStringLiteral("English.ini"), "");
    language.Initialize(home, QStringLiteral("German"));
    LOGFONTW bold = language.GetInterfaceFontDescription();
    bold.lfWeight = 700;
    bold.lfHeight = -15;
    bold.lfOutPrecision = 3;
    bold.setFaceName(QStringLiteral("Noto Sans"));
    EXPECT_TRUE(language.SaveInterfaceFont(bold));
    EXPECT_EQ(GetProfileInt(QStringLiteral("German"), QStringLiteral("lfWeight"), 0), 700);
    EXPECT_EQ(GetProfileInt(QStringLiteral("German"), QStringLiteral("lfOutPrecision"), 0), 3);
    EXPECT_EQ(GetProfileString(QStringLiteral("German"), QStringLiteral("lfFaceName")), QStringLiteral("Noto Sans"));
    EXPECT_EQ(GetProfileInt(QStringLiteral("English"), QStringLiteral("lfWeight"), -1), -1);

    language.SelectLanguage(QStringLiteral("English"));
    EXPECT_EQ(language.GetInterfaceFontDescription().lfWeight, 400);
    EXPECT_EQ(language.GetInterfaceFontDescription().faceName(), QStringLiteral("Microsoft Sans Serif"));
    language.SelectLanguage(QStringLiteral("German"));
    EXPECT_EQ(language.GetInterfaceFontDescription(), bold);
}

TEST_F(TranslationTest, TheRememberedLetterCaseNamesTheFontSection) {
    writeFile(QStringLiteral("German.ini"), "");
    language.Initialize(home, QStringLiteral("GERMAN"));
    LOGFONTW font = language.GetInterfaceFontDescription();
    font.lfWeight = 600;
    language.SaveInterfaceFont(font);
    EXPECT_TRUE(ReadSettingsFileText().contains(QStringLiteral("[GERMAN]")));
}

TEST_F(TranslationTest, MenuTextsReplaceItemsAndTheFirstSubmenuIsTheLanguageMenu) {
    writeFile(QStringLiteral("German.ini"),
              "[MENU]\nIDM_SELECT_LANGUAGE=Sprache\nIDM_POPUPMENU_FONT=Schrift\nIDM_ABOUT=\n");
    language.Initialize(home, QStringLiteral("German"));
    std::optional<Menu> menu = LoadMenuResource(129);
    ASSERT_TRUE(menu.has_value());
    Menu* popup = menu->GetSubMenu(0);
    popup->GetSubMenu(0)->AppendCommand(45400, QStringLiteral("German"), true);
    EXPECT_TRUE(language.TranslateMenu(*menu, 129, true));
    EXPECT_EQ(menu->GetItemText(0), QStringLiteral("PopupMenu1"));
    EXPECT_EQ(popup->GetItemText(0), QStringLiteral("Sprache"));
    EXPECT_EQ(popup->GetItemText(1), QStringLiteral("Schrift"));
    EXPECT_EQ(popup->GetItemText(2), QStringLiteral("About"));  // empty: unchanged
    EXPECT_EQ(popup->GetSubMenu(0)->GetItemText(1), QStringLiteral("German"));
    EXPECT_EQ(popup->GetMenuItemID(1), 32773);
}

TEST_F(TranslationTest, SubmenusAreNumberedDepthFirstAndTheCounterRestartsAtTopLevel) {
    writeFile(QStringLiteral("German.ini"), "[MENU]\nIDM_SELECT_LANGUAGE=Sprache\n");
    language.Initialize(home, QStringLiteral("German"));
    // Top level: one popup holding Outer (which holds Inner) and Other.
    // Outer is numbered 129 * 65536, Inner the next, Other the one after.
    const auto build = [] {
        Menu menu;
        Menu& top = menu.AppendPopup(QStringLiteral("Top"));
        Menu& outer = top.AppendPopup(QStringLiteral("Outer"));
        outer.AppendPopup(QStringLiteral("Inner"));
        top.AppendPopup(QStringLiteral("Other"));
        return menu;
    };
    for (int run = 0; run < 2; ++run) {
        Menu menu = build();
        language.TranslateMenu(menu, 129, true);
        Menu* top = menu.GetSubMenu(0);
        EXPECT_EQ(top->GetItemText(0), QStringLiteral("Sprache")) << run;
        EXPECT_EQ(top->GetSubMenu(0)->GetItemText(0), QStringLiteral("Inner"));
        EXPECT_EQ(top->GetItemText(1), QStringLiteral("Other"));
    }
    // Inner first in a second layout: now it takes the language key.
    Menu menu;
    Menu& top = menu.AppendPopup(QStringLiteral("Top"));
    top.AppendCommand(1, QStringLiteral("Cmd"));
    top.AppendPopup(QStringLiteral("First")).AppendPopup(QStringLiteral("Nested"));
    language.TranslateMenu(menu, 129, true);
    EXPECT_EQ(top.GetItemText(1), QStringLiteral("Sprache"));
    EXPECT_EQ(top.GetSubMenu(1)->GetItemText(0), QStringLiteral("Nested"));
}

TEST_F(TranslationTest, MenuFieldsAreCommaSeparated) {
    writeFile(QStringLiteral("German.ini"), "[MENU]\nIDM_ABOUT=,first,second,third\n");
    language.Initialize(home, QStringLiteral("German"));
    // The first comma is looked for from the second character on.
    EXPECT_EQ(language.GetMenuField(32771, 0), QStringLiteral(",first"));
    EXPECT_EQ(language.GetMenuField(32771, 1), QStringLiteral("second"));
    EXPECT_EQ(language.GetMenuField(32771, 2), QStringLiteral("third"));
    EXPECT_EQ(language.GetMenuField(32771, 3), QStringLiteral(",first,second,third"));
    EXPECT_EQ(language.GetMenuField(129, 0), QStringLiteral("PopupMenu1"));
    EXPECT_EQ(language.GetMenuField(32773, 0), QString());
}

}  // namespace
