#pragma once
// Menus as plain data. A menu is a list of items; an item is a command, a
// separator or a popup holding a submenu. The popup menu of the dialog is
// loaded from its template, filled and translated as data, and only then
// shown (PlatformServices::TrackPopupMenu).

#include <QString>

#include <memory>
#include <vector>

struct Menu;

struct MenuItem {
    enum class Kind { Command, Separator, Popup };
    Kind kind = Kind::Command;
    int id = 0;  // command identifier; 0 for separators, -1 for popups
    QString text;
    bool checked = false;
    std::unique_ptr<Menu> submenu;  // popups only
};

struct Menu {
    std::vector<MenuItem> items;

    int GetMenuItemCount() const { return static_cast<int>(items.size()); }
    // -1 for a popup, 0 for a separator, the command identifier otherwise.
    int GetMenuItemID(int position) const;
    Menu* GetSubMenu(int position);
    const Menu* GetSubMenu(int position) const;
    bool RemoveMenu(int position);
    void AppendCommand(int id, const QString& text, bool checked = false);
    void AppendSeparator();
    Menu& AppendPopup(const QString& text);
    bool SetItemText(int position, const QString& text);
    QString GetItemText(int position) const;
};
