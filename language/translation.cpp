// Applying the loaded language: the lookups of menu and dialog texts, the
// translation of a dialog and of a menu, and storing the interface font.
#include "language/clanguage.h"

#include "app/font_settings.h"
#include "app/profile_store.h"
#include "platform/cdialog.h"
#include "platform/menu.h"

#include <QComboBox>

namespace {

QString firstText(const std::vector<LanguageEntry>& list, std::int32_t id) {
    for (const LanguageEntry& entry : list) {
        if (entry.id == id) return entry.text;
    }
    return {};
}

}  // namespace

QString CLanguage::GetMenuText(std::int32_t id) const { return firstText(menuTexts_, id); }

QString CLanguage::GetDialogText(std::int32_t id) const { return firstText(dialogTexts_, id); }

QString CLanguage::GetMenuField(std::int32_t menuId, int n) const {
    // A comma-separated list of the texts of the menu's top-level items; the
    // first comma is looked for from the second character on.
    const QString list = GetMenuText(menuId);
    qsizetype begin = 0;
    qsizetype searchFrom = 1;
    for (int field = 0; field < n; ++field) {
        const qsizetype comma = list.indexOf(u',', searchFrom);
        if (comma < 0) return list;  // fewer fields than asked for
        begin = comma + 1;
        searchFrom = begin;
    }
    const qsizetype end = list.indexOf(u',', searchFrom);
    return end < 0 ? list.mid(begin) : list.mid(begin, end - begin);
}

bool CLanguage::TranslateDialog(CDialog& dialog, std::int32_t dialogId) {
    const QString caption = GetDialogText(dialogId);
    if (!caption.isEmpty()) {
        if (interfaceFont_) dialog.SetFont(*interfaceFont_);
        dialog.SetWindowText(caption);
    }
    for (const int childId : dialog.ChildIds()) {
        const auto id = static_cast<std::int16_t>(childId);
        const BoundControl bound = dialog.GetBoundControl(childId);
        if (bound == BoundControl::Edit || bound == BoundControl::ListView || bound == BoundControl::SpinButton) continue;
        if (id <= 0) continue;  // static texts without an identifier of their own
        const QString text = id < 100 ? GetString(id) : GetDialogText(id);
        if (text.isEmpty()) continue;
        if (bound == BoundControl::ComboBox) {
            // One item per line; the piece after the last line feed is added
            // even when it is empty.
            if (auto* box = qobject_cast<QComboBox*>(dialog.GetDlgItem(childId))) {
                box->clear();
                for (const QString& item : text.split(u'\n')) box->addItem(item);
            }
            continue;
        }
        dialog.SetDlgItemText(childId, text);
        if (interfaceFont_) dialog.SetItemFont(childId, *interfaceFont_);
    }
    return true;
}

bool CLanguage::TranslateMenu(Menu& menu, std::int32_t menuId, bool topLevel) {
    // Submenus below the top level are numbered depth first, each before its
    // own items, from the menu identifier times 65536 on; the counter lives
    // across the recursive calls.
    if (topLevel) menuCounter_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(menuId & 0xFFFF) << 16);
    for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
        const int itemId = menu.GetMenuItemID(i);
        if (itemId == 0) continue;  // separator
        const bool isPopup = itemId == -1;
        QString text;
        if (topLevel) {
            text = GetMenuField(menuId, i);
        } else if (isPopup) {
            text = GetMenuText(menuCounter_);
            ++menuCounter_;
        } else {
            text = GetMenuText(itemId);
        }
        if (!text.isEmpty()) menu.SetItemText(i, text);
        if (isPopup) {
            if (Menu* submenu = menu.GetSubMenu(i)) TranslateMenu(*submenu, -1, false);
        }
    }
    return true;
}

bool CLanguage::SaveInterfaceFont(const LOGFONTW& font) {
    const QString section = currentLanguage_;
    // "lfOutPrecision" is written a second time, right after "lfClipPrecision".
    WriteFontSection(section, font, [&](FontField field) {
        if (field == FontField::ClipPrecision) {
            WriteProfileInt(section, QStringLiteral("lfOutPrecision"), FontFieldValue(font, FontField::OutPrecision));
        }
    });
    return true;
}
