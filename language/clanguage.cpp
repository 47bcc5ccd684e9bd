#include "language/clanguage.h"

#include "resources/string_table.h"

CLanguage::CLanguage() = default;
CLanguage::~CLanguage() = default;

CLanguage& TheLanguage() {
    static CLanguage language;
    return language;
}

QString CLanguage::GetCurrentLanguage() const { return currentLanguage_; }

int CLanguage::GetLanguageCount() const { return static_cast<int>(catalogue_.size()); }

QString CLanguage::GetLanguageName(int index) const {
    return index >= 0 && index < catalogue_.size() ? catalogue_.at(index) : QString();
}

QString CLanguage::GetString(std::int32_t id) const {
    for (const LanguageEntry& entry : stringTexts_) {
        if (entry.id != id) continue;
        if (!entry.text.isEmpty()) return entry.text;
        break;  // the first entry counts, even when empty
    }
    return BuiltInString(id).value_or(QString());
}
