// The converter dialog's popup menu and its language commands: a right-click
// shows menu IDR_MENU_LANGUAGE_POPUP with the catalogue in its Language
// submenu; choosing an entry switches the language and translates the
// dialog again at once; the Font command picks the interface font of the
// current language.
#include "dialog/tessaline_dlg.h"

#include "language/clanguage.h"
#include "language/message_box.h"
#include "platform/menu.h"
#include "platform/platform_services.h"
#include "resources/menu_resources.h"
#include "resources/resource_ids.h"

#include <QWidget>

void CTessalineDlg::ShowLanguageMenu(QPoint clientPoint) {
    std::optional<Menu> wholeMenu = LoadMenuResource(IDR_MENU_LANGUAGE_POPUP);
    Menu* shownPopup = wholeMenu ? wholeMenu->GetSubMenu(0) : nullptr;
    if (!shownPopup) {
        ShowUnownedMessage(QStringLiteral("Can not find Language Menu!"), QStringLiteral("error"));
        return;
    }
    FillLanguageMenu(*wholeMenu, *shownPopup);
    const QPoint screenPoint = Window() ? Window()->mapToGlobal(clientPoint) : clientPoint;
    const int command = Services().TrackPopupMenu(*shownPopup, screenPoint, Window());
    // The chosen command reaches the dialog as any menu command would. A
    // command word holds 16 bits; an identifier beyond them (a catalogue of
    // more than twenty thousand files) would arrive as some other command,
    // so it is not sent at all.
    if (command > 0 && command <= 0xFFFF) SendMessage(WM_COMMAND, MAKEWPARAM(command, MENU_COMMAND));
}

bool CTessalineDlg::FillLanguageMenu(Menu& wholeMenu, Menu& shownPopup) {
    Menu* languageMenu = shownPopup.GetSubMenu(0);
    if (!languageMenu) return false;
    languageMenu->RemoveMenu(0);  // the placeholder
    CLanguage& language = TheLanguage();
    const QString current = language.GetCurrentLanguage();
    for (int i = 0; i < language.GetLanguageCount(); ++i) {
        const QString name = language.GetLanguageName(i);
        languageMenu->AppendCommand(IDM_LANGUAGE_FIRST + i, name, name.compare(current, Qt::CaseInsensitive) == 0);
    }
    language.TranslateMenu(wholeMenu, IDR_MENU_LANGUAGE_POPUP, true);
    return true;
}

void CTessalineDlg::OnLanguageCommand(int commandId) {
    CLanguage& language = TheLanguage();
    const int index = commandId - IDM_LANGUAGE_FIRST;
    if (index < 0 || index >= language.GetLanguageCount()) return;
    language.SelectLanguage(language.GetLanguageName(index));
    language.TranslateDialog(*this, IDD_PROGRAM_JPG);
}

void CTessalineDlg::OnInterfaceFont() {
    CLanguage& language = TheLanguage();
    FontRequest request;
    request.font = language.GetInterfaceFontDescription();
    request.effects = true;
    // The chooser's colour is offered but not used.
    const std::optional<FontChoice> choice = Services().ChooseFont(Window(), request);
    if (!choice) return;
    language.CreateInterfaceFont(choice->font);  // its result is not examined
    language.SaveInterfaceFont(choice->font);
    language.TranslateDialog(*this, IDD_PROGRAM_JPG);
}
