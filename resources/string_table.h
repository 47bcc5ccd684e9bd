#pragma once
// The built-in English string table: message texts by identifier.

#include <QString>

#include <optional>

// The built-in text, or nothing when the table has no row for the identifier.
std::optional<QString> BuiltInString(int id);
