#pragma once
// Menu resource IDR_MENU_LANGUAGE_POPUP: one top-level popup ("PopupMenu")
// holding the Language submenu (with a placeholder separator), Font and About.

#include "platform/menu.h"

#include <optional>

// A fresh copy of the menu with this identifier, or nothing.
std::optional<Menu> LoadMenuResource(int id);
