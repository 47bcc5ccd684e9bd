#include "resources/menu_resources.h"

#include "resources/resource_ids.h"

std::optional<Menu> LoadMenuResource(int id) {
    if (id != IDR_MENU_LANGUAGE_POPUP) return std::nullopt;
    Menu menu;
    Menu& popup = menu.AppendPopup(QStringLiteral("PopupMenu"));
    Menu& language = popup.AppendPopup(QStringLiteral("Language"));
    language.AppendSeparator();  // placeholder, replaced by the catalogue
    popup.AppendCommand(IDM_POPUPMENU_FONT, QStringLiteral("Font"));
    popup.AppendCommand(IDM_ABOUT, QStringLiteral("About"));
    return menu;
}
