#pragma once
// Typed access to the rows of settings_keys.h.

#include "app/profile_store.h"
#include "app/settings_keys.h"

inline std::int32_t ReadSetting(const IntSetting& s) {
    return GetProfileInt(QString::fromUtf16(s.section), QString::fromUtf16(s.key), s.defaultValue);
}
inline QString ReadSetting(const StringSetting& s) {
    return GetProfileString(QString::fromUtf16(s.section), QString::fromUtf16(s.key), QString::fromUtf16(s.defaultValue));
}
// For a string whose default is computed at run time.
inline QString ReadSetting(const StringSetting& s, const QString& defaultValue) {
    return GetProfileString(QString::fromUtf16(s.section), QString::fromUtf16(s.key), defaultValue);
}
inline void WriteSetting(const IntSetting& s, std::int32_t value) {
    WriteProfileInt(QString::fromUtf16(s.section), QString::fromUtf16(s.key), value);
}
inline void WriteSetting(const StringSetting& s, const QString& value) {
    WriteProfileString(QString::fromUtf16(s.section), QString::fromUtf16(s.key), value);
}
