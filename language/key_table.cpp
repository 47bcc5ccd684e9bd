#include "language/key_table.h"

#include "resources/resource_ids.h"
#include "resources/string_ids.h"

namespace {

// A string row's key: its number and name come from the string table.
constexpr LanguageKey StringKey(StringId id) { return {id, FindStringRow(id)->name}; }

constexpr LanguageKey kKeys[] = {
    {IDC_BUTTON_OPEN_PHOTO, u"IDC_BUTTON_OPEN_PHOTO"},
    {IDC_STATIC_OUTPUT_WIDTH, u"IDC_STATIC_OUTPUT_WIDTH"},
    StringKey(IDS_LANGUAGE),
    {IDD_PROGRAM_JPG, u"IDD_PROGRAM_JPG_CAPTION"},
    {IDR_MENU_LANGUAGE_POPUP, u"IDR_MENU_LANGUAGE_POPUP"},
    {IDM_ABOUT, u"IDM_ABOUT"},
    {IDR_MENU_LANGUAGE_POPUP * 65536, u"IDM_SELECT_LANGUAGE"},  // the first submenu of the popup menu
    {IDM_POPUPMENU_FONT, u"IDM_POPUPMENU_FONT"},
    {IDC_STATIC_OUTPUT_HEIGHT, u"IDC_STATIC_OUTPUT_HEIGHT"},
    {IDC_STATIC_KEEP_RATIO_CALCULATOR, u"IDC_STATIC_KEEP_RATIO_CALCULATOR"},
    {IDC_BUTTON_BASE_WIDTH, u"IDC_BUTTON_BASE_WIDTH"},
    {IDC_BUTTON_BASE_HEIGHT, u"IDC_BUTTON_BASE_HEIGHT"},
    {IDC_STATIC_QUALITY_CONTROL, u"IDC_STATIC_QUALITY_CONTROL"},
    {IDC_STATIC_QUALITY_MAX, u"IDC_STATIC_QUALITY_MAX"},
    {IDC_STATIC_GROUP_ROTATE, u"IDC_STATIC_GROUP_ROTATE"},
    {IDC_STATIC_FLIP, u"IDC_STATIC_FLIP"},
    {IDC_RADIO_FLIP_NO, u"IDC_RADIO_FLIP_NO"},
    {IDC_RADIO_FLIP_HORIZONTAL, u"IDC_RADIO_FLIP_HORIZONTAL"},
    {IDC_RADIO_FLIP_VERTICAL, u"IDC_RADIO_FLIP_VERTICAL"},
    {IDC_BUTTON_OUTPUT_FILE_BROWSE, u"IDC_BUTTON_OUTPUT_FILE_BROWSE"},
    {IDC_BUTTON_CONVERT, u"IDC_BUTTON_CONVERT"},
    {IDC_BUTTON_HOMEPAGE, u"IDC_BUTTON_HOMEPAGE"},
    {IDC_BUTTON_HELP, u"IDC_BUTTON_HELP"},
    {IDC_BUTTON_EXIT, u"IDC_BUTTON_EXIT"},
    {IDC_STATIC_OUTPUT_FILENAME, u"IDC_STATIC_OUTPUT_FILENAME"},
    {IDC_STATIC_ADD_TEXT, u"IDC_STATIC_ADD_TEXT"},
    {IDC_STATIC_TEXT_POSITION, u"IDC_STATIC_TEXT_POSITION"},
    {IDC_BUTTON_FONT, u"IDC_BUTTON_FONT"},
    StringKey(IDS_MESSAGE_ERROR),
    StringKey(IDS_MESSAGE_WARNING),
    StringKey(IDS_MESSAGE_UNKNOWN_ERROR),
    StringKey(IDS_STRING108),
    StringKey(IDS_STRING111),
    StringKey(IDS_STRING112),
    StringKey(IDS_STRING115),
    StringKey(IDS_STRING118),
    StringKey(IDS_STRING120),
    StringKey(IDS_STRING121),
    StringKey(IDS_STRING122),
    StringKey(IDS_STRING123),
    StringKey(IDS_STRING124),
    StringKey(IDS_STRING126),
    StringKey(IDS_STRING127),
    StringKey(IDS_STRING128),
    StringKey(IDS_STRING129),
    StringKey(IDS_STRING130),
    StringKey(IDS_STRING131),
};

static_assert(std::size(kKeys) == 47);

}  // namespace

std::span<const LanguageKey> KeyTable() { return kKeys; }

LanguageSection SectionOfKey(const QString& keyName) {
    const QString prefix = keyName.left(3);
    if (prefix == u"IDS") return LanguageSection::String;
    if (prefix == u"IDM" || prefix == u"IDR") return LanguageSection::Menu;
    return LanguageSection::Dialog;
}

QString SectionName(LanguageSection section) {
    switch (section) {
    case LanguageSection::String: return QStringLiteral("STRING");
    case LanguageSection::Menu: return QStringLiteral("MENU");
    case LanguageSection::Dialog: return QStringLiteral("DIALOG");
    }
    return {};
}
