#include "app/profile_store.h"

#include <QCoreApplication>
#include <QSettings>

#include <limits>
#include <optional>
#include <memory>

namespace {

std::unique_ptr<QSettings>& store() {
    static std::unique_ptr<QSettings> settings;
    return settings;
}

// The spelling under which a name is already stored, matched without regard
// to letter case; the name itself when there is none.
QString storedSpelling(const QStringList& existing, const QString& name) {
    for (const QString& candidate : existing) {
        if (candidate.compare(name, Qt::CaseInsensitive) == 0) return candidate;
    }
    return name;
}

// Opens the section (creating nothing) and returns the stored key spelling.
QString enterSection(QSettings& s, const QString& section, const QString& key) {
    s.beginGroup(storedSpelling(s.childGroups(), section));
    return storedSpelling(s.childKeys(), key);
}

std::optional<std::int32_t> toInt32(const QVariant& value) {
    bool ok = false;
    const qlonglong n = value.toString().trimmed().toLongLong(&ok, 10);
    if (!ok) return std::nullopt;
    if (n >= std::numeric_limits<std::int32_t>::min() && n <= std::numeric_limits<std::int32_t>::max())
        return static_cast<std::int32_t>(n);
    // A DWORD spelt unsigned: its two's-complement reading.
    if (n > std::numeric_limits<std::int32_t>::max() && n <= std::numeric_limits<std::uint32_t>::max())
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(n));
    return std::nullopt;
}

std::function<void(const QString&, const QString&)>& writeObserver() {
    static std::function<void(const QString&, const QString&)> observer;
    return observer;
}

}  // namespace

void SetProfileWriteObserver(std::function<void(const QString& section, const QString& key)> observer) {
    writeObserver() = std::move(observer);
}

void SetRegistryKey(const QString& organisation) {
    store() = std::make_unique<QSettings>(organisation, QCoreApplication::applicationName());
}

void ResetRegistryKey() { store().reset(); }

QString ProfileFilePath() { return store() ? store()->fileName() : QString(); }

namespace {

// The stored value, or an invalid variant when there is none.
QVariant readValue(const QString& section, const QString& key) {
    QSettings* s = store().get();
    if (!s) return {};
    s->sync();  // another copy of the program may have written meanwhile
    const QString storedKey = enterSection(*s, section, key);
    const QVariant value = s->value(storedKey);
    s->endGroup();
    return value;
}

bool writeValue(const QString& section, const QString& key, const QVariant& value) {
    QSettings* s = store().get();
    if (!s) return false;
    const QString storedKey = enterSection(*s, section, key);
    s->setValue(storedKey, value);
    s->endGroup();
    s->sync();
    if (writeObserver()) writeObserver()(section, key);
    return s->status() == QSettings::NoError;
}

}  // namespace

std::int32_t GetProfileInt(const QString& section, const QString& key, std::int32_t defaultValue) {
    const QVariant value = readValue(section, key);
    if (!value.isValid()) return defaultValue;
    return toInt32(value).value_or(defaultValue);
}

QString GetProfileString(const QString& section, const QString& key, const QString& defaultValue) {
    const QVariant value = readValue(section, key);
    if (!value.isValid() || !value.canConvert<QString>()) return defaultValue;
    return value.toString();
}

bool WriteProfileInt(const QString& section, const QString& key, std::int32_t value) {
    return writeValue(section, key, value);
}

bool WriteProfileString(const QString& section, const QString& key, const QString& value) {
    return writeValue(section, key, value);
}
