#pragma once
// The program's message strings, one row each: the identifier (its name is
// also the key a language file files the text under), its number and the
// built-in English text. The built-in string table and the string rows of
// the language key table are both made from these rows.

#include <array>

enum StringId : int {
    IDS_ABOUTBOX = 101,
    IDS_LANGUAGE = 102,
    IDS_MESSAGE_ERROR = 105,
    IDS_STRING108 = 108,
    IDS_MESSAGE_UNKNOWN_ERROR = 109,
    IDS_STRING111 = 111,
    IDS_STRING112 = 112,
    IDS_STRING113 = 113,
    IDS_STRING114 = 114,
    IDS_STRING115 = 115,
    IDS_STRING116 = 116,
    IDS_STRING117 = 117,
    IDS_STRING118 = 118,
    IDS_MESSAGE_WARNING = 119,
    IDS_STRING120 = 120,
    IDS_STRING121 = 121,
    IDS_STRING122 = 122,
    IDS_STRING123 = 123,
    IDS_STRING124 = 124,
    IDS_STRING126 = 126,
    IDS_STRING127 = 127,
    IDS_STRING128 = 128,
    IDS_STRING129 = 129,
    IDS_STRING130 = 130,
    IDS_STRING131 = 131,
};

struct StringRow {
    StringId id;
    const char16_t* name;     // the enumerator's name, as a language file spells the key
    const char16_t* english;  // the built-in text
};

inline constexpr std::array kStringRows = {
    StringRow{IDS_ABOUTBOX, u"IDS_ABOUTBOX", u"&About Tessaline"},
    StringRow{IDS_LANGUAGE, u"IDS_LANGUAGE", u"English"},
    StringRow{IDS_MESSAGE_ERROR, u"IDS_MESSAGE_ERROR", u"Error"},
    StringRow{IDS_STRING108, u"IDS_STRING108", u"Please open a photo file first!"},
    StringRow{IDS_MESSAGE_UNKNOWN_ERROR, u"IDS_MESSAGE_UNKNOWN_ERROR", u"Unknown error"},
    StringRow{IDS_STRING111, u"IDS_STRING111", u"The output width is invalid!"},
    StringRow{IDS_STRING112, u"IDS_STRING112", u"The output hight is invalid!"},
    StringRow{IDS_STRING113, u"IDS_STRING113", u"Failed to SetResolution!"},
    StringRow{IDS_STRING114, u"IDS_STRING114", u"Failed to SetInterpolationMode!"},
    StringRow{IDS_STRING115, u"IDS_STRING115", u"Failed to convert photo!"},
    StringRow{IDS_STRING116, u"IDS_STRING116", u"Unknown rotate angle!"},
    StringRow{IDS_STRING117, u"IDS_STRING117", u"Failed to rotate and flip photo!"},
    StringRow{IDS_STRING118, u"IDS_STRING118", u"Failed to save the file!"},
    StringRow{IDS_MESSAGE_WARNING, u"IDS_MESSAGE_WARNING", u"Warning"},
    StringRow{IDS_STRING120, u"IDS_STRING120", u"%s exists. Do you want to replace it?"},
    StringRow{IDS_STRING121, u"IDS_STRING121", u"The frame number is invalid. Please enter again!"},
    StringRow{IDS_STRING122, u"IDS_STRING122", u"Set frame from 0 to %d"},
    StringRow{IDS_STRING123, u"IDS_STRING123", u"The text position X is out of range!"},
    StringRow{IDS_STRING124, u"IDS_STRING124", u"The text position Y is out of range!"},
    StringRow{IDS_STRING126, u"IDS_STRING126", u"Can not get the width of the photo!"},
    StringRow{IDS_STRING127, u"IDS_STRING127", u"Can not get the height of the photo!"},
    StringRow{IDS_STRING128, u"IDS_STRING128",
              u"The text position X is bigger than the photo width!, The program set it to 0 now."},
    StringRow{IDS_STRING129, u"IDS_STRING129",
              u"The text position Y is bigger than the photo height!, The program set it to 0 now."},
    StringRow{IDS_STRING130, u"IDS_STRING130", u"The text position X is out of range! The program set it to 0 now."},
    StringRow{IDS_STRING131, u"IDS_STRING131", u"The text position Y is out of range! The program set it to 0 now."},
};

// The row of an identifier, or nullptr when the table has none.
constexpr const StringRow* FindStringRow(int id) {
    for (const StringRow& row : kStringRows) {
        if (row.id == id) return &row;
    }
    return nullptr;
}
