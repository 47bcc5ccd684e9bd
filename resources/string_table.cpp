#include "resources/string_table.h"

#include <array>
#include <utility>

namespace {

struct StringRow {
    int id;
    const char16_t* text;
};

constexpr std::array kStringTable = {
    StringRow{101, u"&About Tessaline"},
    StringRow{102, u"English"},
    StringRow{105, u"Error"},
    StringRow{108, u"Please open a photo file first!"},
    StringRow{109, u"Unknown error"},
    StringRow{111, u"The output width is invalid!"},
    StringRow{112, u"The output hight is invalid!"},
    StringRow{113, u"Failed to SetResolution!"},
    StringRow{114, u"Failed to SetInterpolationMode!"},
    StringRow{115, u"Failed to convert photo!"},
    StringRow{116, u"Unknown rotate angle!"},
    StringRow{117, u"Failed to rotate and flip photo!"},
    StringRow{118, u"Failed to save the file!"},
    StringRow{119, u"Warning"},
    StringRow{120, u"%s exists. Do you want to replace it?"},
    StringRow{121, u"The frame number is invalid. Please enter again!"},
    StringRow{122, u"Set frame from 0 to %d"},
    StringRow{123, u"The text position X is out of range!"},
    StringRow{124, u"The text position Y is out of range!"},
    StringRow{126, u"Can not get the width of the photo!"},
    StringRow{127, u"Can not get the height of the photo!"},
    StringRow{128, u"The text position X is bigger than the photo width!, The program set it to 0 now."},
    StringRow{129, u"The text position Y is bigger than the photo height!, The program set it to 0 now."},
    StringRow{130, u"The text position X is out of range! The program set it to 0 now."},
    StringRow{131, u"The text position Y is out of range! The program set it to 0 now."},
};

}  // namespace

std::optional<QString> BuiltInString(int id) {
    for (const StringRow& row : kStringTable) {
        if (row.id == id) return QString::fromUtf16(row.text);
    }
    return std::nullopt;
}
