#include "language/key_table.h"

namespace {

constexpr LanguageKey kKeys[] = {
    {1001, u"IDC_BUTTON_OPEN_PHOTO"},
    {1007, u"IDC_STATIC_OUTPUT_WIDTH"},
    {102, u"IDS_LANGUAGE"},
    {102, u"IDD_PROGRAM_JPG_CAPTION"},
    {129, u"IDR_MENU_LANGUAGE_POPUP"},
    {32771, u"IDM_ABOUT"},
    {129 * 65536, u"IDM_SELECT_LANGUAGE"},  // the first submenu of menu 129
    {32773, u"IDM_POPUPMENU_FONT"},
    {1008, u"IDC_STATIC_OUTPUT_HEIGHT"},
    {1010, u"IDC_STATIC_KEEP_RATIO_CALCULATOR"},
    {1011, u"IDC_BUTTON_BASE_WIDTH"},
    {1012, u"IDC_BUTTON_BASE_HEIGHT"},
    {1014, u"IDC_STATIC_QUALITY_CONTROL"},
    {1016, u"IDC_STATIC_QUALITY_MAX"},
    {1017, u"IDC_STATIC_GROUP_ROTATE"},
    {1022, u"IDC_STATIC_FLIP"},
    {1023, u"IDC_RADIO_FLIP_NO"},
    {1024, u"IDC_RADIO_FLIP_HORIZONTAL"},
    {1025, u"IDC_RADIO_FLIP_VERTICAL"},
    {1004, u"IDC_BUTTON_OUTPUT_FILE_BROWSE"},
    {1000, u"IDC_BUTTON_CONVERT"},
    {1033, u"IDC_BUTTON_HOMEPAGE"},
    {1034, u"IDC_BUTTON_HELP"},
    {1037, u"IDC_BUTTON_EXIT"},
    {1038, u"IDC_STATIC_OUTPUT_FILENAME"},
    {1046, u"IDC_STATIC_ADD_TEXT"},
    {1047, u"IDC_STATIC_TEXT_POSITION"},
    {1042, u"IDC_BUTTON_FONT"},
    {105, u"IDS_MESSAGE_ERROR"},
    {119, u"IDS_MESSAGE_WARNING"},
    {109, u"IDS_MESSAGE_UNKNOWN_ERROR"},
    {108, u"IDS_STRING108"},
    {111, u"IDS_STRING111"},
    {112, u"IDS_STRING112"},
    {115, u"IDS_STRING115"},
    {118, u"IDS_STRING118"},
    {120, u"IDS_STRING120"},
    {121, u"IDS_STRING121"},
    {122, u"IDS_STRING122"},
    {123, u"IDS_STRING123"},
    {124, u"IDS_STRING124"},
    {126, u"IDS_STRING126"},
    {127, u"IDS_STRING127"},
    {128, u"IDS_STRING128"},
    {129, u"IDS_STRING129"},
    {130, u"IDS_STRING130"},
    {131, u"IDS_STRING131"},
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
