// The popup menu of the converter dialog: the catalogue in the Language
// submenu, switching languages at once, and the interface font per language.
#include "tests/dialog/dialog_fixture.h"

#include "app/profile_store.h"
#include "language/clanguage.h"
#include "platform/menu.h"
#include "resources/resource_ids.h"

#include <QDir>
#include <QFile>
#include <QWidget>

namespace {

class LanguageMenuTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        home = MakeTempFolder();
        QDir(home).mkdir(QStringLiteral("language"));
        writeFile(QStringLiteral("English.ini"), "[DIALOG]\nIDC_BUTTON_CONVERT=Convert\n");
        writeFile(QStringLiteral("German.ini"),
                  "[MENU]\nIDM_SELECT_LANGUAGE=Sprache\nIDM_POPUPMENU_FONT=Schriftart\nIDM_ABOUT=Info\n"
                  "[DIALOG]\nIDD_PROGRAM_JPG_CAPTION=Tessaline (Deutsch)\nIDC_BUTTON_CONVERT=Umwandeln\n"
                  "IDC_BUTTON_EXIT=Beenden\n");
        writeFile(QStringLiteral("deu_utf-8.ini"), "[DIALOG]\nIDC_BUTTON_EXIT=Schlie\xC3\x9F" "en\n");
    }

    void writeFile(const QString& name, const QByteArray& bytes) {
        QFile file(home + QStringLiteral("/language/") + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // Starts with the language `name` remembered, as start-up would.
    CTessalineDlg& start(const QString& name) {
        TheLanguage().Initialize(home, name);
        return createDialog();
    }

    // A right-button release at the point; the scripted user picks `command`
    // (0: dismisses the menu).
    void rightClick(QPoint point, int command = 0) {
        services.menuAnswers.push_back(command);
        dialog->SendMessage(WM_RBUTTONUP, 0, static_cast<std::intptr_t>(MAKELPARAM(point.x(), point.y())));
    }

    const Menu& lastShown() const { return services.menusShown.back(); }
    const Menu& languageSubmenu() const { return *lastShown().GetSubMenu(0); }

    QString home;
};

TEST_F(LanguageMenuTest, TheLanguageSubmenuListsTheCatalogueWithTheCurrentOneChecked) {
    start(QStringLiteral("english"));
    rightClick({40, 300});
    ASSERT_EQ(services.menusShown.size(), 1u);
    const Menu& shown = lastShown();
    ASSERT_EQ(shown.GetMenuItemCount(), 3);
    EXPECT_EQ(shown.GetItemText(0), QStringLiteral("Language"));
    EXPECT_EQ(shown.GetMenuItemID(1), 32773);
    EXPECT_EQ(shown.GetItemText(1), QStringLiteral("Font"));
    EXPECT_EQ(shown.GetMenuItemID(2), 32771);
    EXPECT_EQ(shown.GetItemText(2), QStringLiteral("About"));

    const Menu& languages = languageSubmenu();
    ASSERT_EQ(languages.GetMenuItemCount(), 3);
    const QStringList names{QStringLiteral("English"), QStringLiteral("German"), QStringLiteral("deu_utf-8")};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(languages.GetMenuItemID(i), 45400 + i);
        EXPECT_EQ(languages.GetItemText(i), names[i]);
        EXPECT_EQ(languages.items[static_cast<size_t>(i)].checked, i == 0);
    }
    // The menu opens with its corner at the pointer, in screen coordinates.
    EXPECT_EQ(services.menuPositions.back(), dialog->Window()->mapToGlobal(QPoint(40, 300)));
}

TEST_F(LanguageMenuTest, ChoosingALanguageTranslatesTheDialogAtOnce) {
    start(QStringLiteral("english"));
    rightClick({10, 10}, 45401);
    EXPECT_EQ(TheLanguage().GetCurrentLanguage(), QStringLiteral("German"));
    EXPECT_EQ(text(IDC_BUTTON_CONVERT), QStringLiteral("Umwandeln"));
    EXPECT_EQ(text(IDC_BUTTON_EXIT), QStringLiteral("Beenden"));
    EXPECT_EQ(dialog->GetWindowText(), QStringLiteral("Tessaline (Deutsch)"));

    // The next menu is in German and checks German; the names stay as they are.
    rightClick({10, 10});
    EXPECT_EQ(lastShown().GetItemText(0), QStringLiteral("Sprache"));
    EXPECT_EQ(lastShown().GetItemText(1), QStringLiteral("Schriftart"));
    EXPECT_EQ(lastShown().GetItemText(2), QStringLiteral("Info"));
    EXPECT_EQ(languageSubmenu().GetItemText(1), QStringLiteral("German"));
    EXPECT_FALSE(languageSubmenu().items[0].checked);
    EXPECT_TRUE(languageSubmenu().items[1].checked);

    // deu has no caption or Convert text: the German ones stay on the window.
    rightClick({10, 10}, 45402);
    EXPECT_EQ(text(IDC_BUTTON_EXIT), QString::fromUtf8("Schließen"));
    EXPECT_EQ(text(IDC_BUTTON_CONVERT), QStringLiteral("Umwandeln"));
    EXPECT_EQ(dialog->GetWindowText(), QStringLiteral("Tessaline (Deutsch)"));
    // ... while the menu, rebuilt each time, is English again.
    rightClick({10, 10});
    EXPECT_EQ(lastShown().GetItemText(0), QStringLiteral("Language"));
}

TEST_F(LanguageMenuTest, ChoosingTheCurrentLanguageReloadsAndTranslatesAgain) {
    start(QStringLiteral("German"));
    dialog->SetDlgItemText(IDC_BUTTON_CONVERT, QStringLiteral("changed"));
    rightClick({10, 10}, 45401);
    EXPECT_EQ(text(IDC_BUTTON_CONVERT), QStringLiteral("Umwandeln"));
}

TEST_F(LanguageMenuTest, ARememberedNameInAnotherLetterCaseChecksItsEntry) {
    start(QStringLiteral("GERMAN"));
    EXPECT_EQ(text(IDC_BUTTON_CONVERT), QStringLiteral("Umwandeln"));
    rightClick({10, 10});
    EXPECT_TRUE(languageSubmenu().items[1].checked);
    EXPECT_EQ(TheLanguage().GetCurrentLanguage(), QStringLiteral("GERMAN"));
}

TEST_F(LanguageMenuTest, DismissingTheMenuOrCommandsPastTheReservedRangeChangeNothing) {
    start(QStringLiteral("German"));
    rightClick({10, 10}, 0);
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(46400, 0));
    EXPECT_EQ(TheLanguage().GetCurrentLanguage(), QStringLiteral("German"));
    EXPECT_EQ(text(IDC_BUTTON_CONVERT), QStringLiteral("Umwandeln"));
    // An identifier in the range but past the catalogue's end is ignored too.
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(45410, 0));
    EXPECT_EQ(TheLanguage().GetCurrentLanguage(), QStringLiteral("German"));
}

TEST_F(LanguageMenuTest, FillLanguageMenuNeedsTheLanguageSubmenu) {
    start(QStringLiteral("english"));
    Menu whole;
    Menu& popup = whole.AppendPopup(QStringLiteral("PopupMenu"));
    popup.AppendCommand(32773, QStringLiteral("Font"));
    EXPECT_FALSE(dialog->FillLanguageMenu(whole, popup));
    EXPECT_EQ(popup.GetItemText(0), QStringLiteral("Font"));
}

TEST_F(LanguageMenuTest, TheFontCommandStoresTheFontForTheCurrentLanguageOnly) {
    start(QStringLiteral("German"));
    LOGFONTW chosen = TheLanguage().GetInterfaceFontDescription();
    chosen.lfWeight = FW_BOLD;
    chosen.lfHeight = -14;
    chosen.setFaceName(QStringLiteral("Noto Sans"));
    services.fontAnswers.push_back(FontChoice{chosen, 0x0000FF});
    rightClick({10, 10}, 32773);

    ASSERT_EQ(services.fontRequests.size(), 1u);
    EXPECT_EQ(services.fontRequests[0].font.lfHeight, -11);  // starts from the current font
    EXPECT_TRUE(services.fontRequests[0].effects);
    EXPECT_EQ(GetProfileInt(QStringLiteral("German"), QStringLiteral("lfWeight"), 0), FW_BOLD);
    EXPECT_EQ(GetProfileInt(QStringLiteral("German"), QStringLiteral("lfHeight"), 0), -14);
    EXPECT_EQ(GetProfileInt(QStringLiteral("english"), QStringLiteral("lfWeight"), -1), -1);
    // The new font shows at once on the translated texts only.
    EXPECT_TRUE(dialog->GetItemFont(IDC_BUTTON_CONVERT).bold());
    EXPECT_EQ(dialog->GetItemFont(IDC_BUTTON_CONVERT).pixelSize(), 14);
    EXPECT_FALSE(dialog->GetItemFont(IDC_BUTTON_OPEN_PHOTO).bold());

    // English keeps its own font; German's comes back with German.
    rightClick({10, 10}, 45400);
    EXPECT_EQ(TheLanguage().GetInterfaceFontDescription().lfWeight, FW_NORMAL);
    rightClick({10, 10}, 45401);
    EXPECT_EQ(TheLanguage().GetInterfaceFontDescription(), chosen);
}

TEST_F(LanguageMenuTest, CancellingTheFontChooserChangesNothing) {
    start(QStringLiteral("German"));
    const LOGFONTW before = TheLanguage().GetInterfaceFontDescription();
    rightClick({10, 10}, 32773);  // no answer queued: the user cancels
    EXPECT_EQ(services.fontRequests.size(), 1u);
    EXPECT_EQ(TheLanguage().GetInterfaceFontDescription(), before);
    EXPECT_EQ(GetProfileInt(QStringLiteral("German"), QStringLiteral("lfWeight"), -1), -1);
}

}  // namespace
