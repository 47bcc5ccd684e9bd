#include "platform/menu.h"

namespace {
bool validPosition(const Menu& m, int position) { return position >= 0 && position < m.GetMenuItemCount(); }
}  // namespace

int Menu::GetMenuItemID(int position) const {
    if (!validPosition(*this, position)) return 0;
    const MenuItem& item = items[static_cast<size_t>(position)];
    switch (item.kind) {
    case MenuItem::Kind::Popup: return -1;
    case MenuItem::Kind::Separator: return 0;
    case MenuItem::Kind::Command: return item.id;
    }
    return 0;
}

Menu* Menu::GetSubMenu(int position) {
    if (!validPosition(*this, position)) return nullptr;
    return items[static_cast<size_t>(position)].submenu.get();
}

const Menu* Menu::GetSubMenu(int position) const {
    if (!validPosition(*this, position)) return nullptr;
    return items[static_cast<size_t>(position)].submenu.get();
}

bool Menu::RemoveMenu(int position) {
    if (!validPosition(*this, position)) return false;
    items.erase(items.begin() + position);
    return true;
}

void Menu::AppendCommand(int id, const QString& text, bool checked) {
    MenuItem item;
    item.kind = MenuItem::Kind::Command;
    item.id = id;
    item.text = text;
    item.checked = checked;
    items.push_back(std::move(item));
}

void Menu::AppendSeparator() {
    MenuItem item;
    item.kind = MenuItem::Kind::Separator;
    items.push_back(std::move(item));
}

Menu& Menu::AppendPopup(const QString& text) {
    MenuItem item;
    item.kind = MenuItem::Kind::Popup;
    item.id = -1;
    item.text = text;
    item.submenu = std::make_unique<Menu>();
    items.push_back(std::move(item));
    return *items.back().submenu;
}

bool Menu::SetItemText(int position, const QString& text) {
    if (!validPosition(*this, position)) return false;
    items[static_cast<size_t>(position)].text = text;
    return true;
}

QString Menu::GetItemText(int position) const {
    if (!validPosition(*this, position)) return {};
    return items[static_cast<size_t>(position)].text;
}
