#pragma once
// The key table: every key a language file can hold, with the identifier its
// text is filed under, in the fixed order in which a language file is
// loaded. The first three letters of a key name choose its section.

#include <QString>

#include <cstdint>
#include <span>

struct LanguageKey {
    std::int32_t id;
    const char16_t* name;
};

enum class LanguageSection { String, Menu, Dialog };

std::span<const LanguageKey> KeyTable();

// "IDS" -> STRING, "IDM"/"IDR" -> MENU, "IDD"/"IDC" -> DIALOG. Every key of
// the table has one of these prefixes; anything else counts as DIALOG.
LanguageSection SectionOfKey(const QString& keyName);
// The section's name as a language file spells it.
QString SectionName(LanguageSection section);
