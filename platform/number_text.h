#pragma once
// The decimal rules of the numeric fields: leading white space and a sign are
// accepted, parsing stops at the first character that is not a digit, a text
// without digits gives 0, and a value beyond the signed 32-bit range becomes
// the nearest 32-bit limit. Numbers written back are plain "%d".

#include <QString>

#include <cstdint>
#include <optional>

// The field parse: never fails.
std::int32_t ParseDecimalField(const QString& text);
// The same scan, but empty when the text does not begin with a number
// (after white space and a sign), as the data exchange needs it.
std::optional<std::int32_t> ScanDecimalInteger(const QString& text);
QString FormatDecimal(std::int32_t value);
