#pragma once
// The built-in locale table: 273 rows in a fixed order, each a platform
// language identifier (low 10 bits primary language, bits 10-15
// sublanguage), the locale's default ANSI code page (0 where it has none),
// its English name with spaces written as underscores, and its three-letter
// abbreviation. Many abbreviations occur in several rows; lookups take the
// first row in table order.

#include <cstdint>
#include <span>

struct LocaleEntry {
    std::int32_t languageId;
    std::uint32_t ansiCodePage;
    const char16_t* name;
    const char16_t* abbreviation;
};

std::span<const LocaleEntry> LocaleTable();
