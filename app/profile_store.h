#pragma once
// The per-user settings store: named sections of integer and string values,
// kept by QSettings under the organisation "KORVANE" and the application's
// name (on Linux an INI file under ~/.config/KORVANE/). Section and key names
// match without regard to letter case. Every write reaches the file at once.
//
// Integers are 32-bit: a stored value reads back as a signed 32-bit number
// (an unsigned 32-bit spelling such as 4294967276 reads as -20); anything
// that is not a 32-bit integer reads as the caller's default.

#include <QString>

#include <cstdint>
#include <functional>

// Points the store at KORVANE/<application name>; until then the
// functions below use the defaults and write nothing.
void SetRegistryKey(const QString& organisation);
// For tests: forget the location (reads give defaults again).
void ResetRegistryKey();

std::int32_t GetProfileInt(const QString& section, const QString& key, std::int32_t defaultValue);
QString GetProfileString(const QString& section, const QString& key, const QString& defaultValue = {});
bool WriteProfileInt(const QString& section, const QString& key, std::int32_t value);
bool WriteProfileString(const QString& section, const QString& key, const QString& value);

// The file the store writes to (empty before SetRegistryKey).
QString ProfileFilePath();

// Tells an observer of every write, in order (section, key); the file itself
// keeps its keys sorted. Pass an empty function to stop.
void SetProfileWriteObserver(std::function<void(const QString& section, const QString& key)> observer);
