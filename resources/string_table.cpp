#include "resources/string_table.h"

#include "resources/string_ids.h"

std::optional<QString> BuiltInString(int id) {
    if (const StringRow* row = FindStringRow(id)) return QString::fromUtf16(row->english);
    return std::nullopt;
}
