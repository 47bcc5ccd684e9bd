// The catalogue of language files and the choice of the current language.
#include "language/clanguage.h"

#include <QDir>

#include <algorithm>

namespace {
const QString kIniSuffix = QStringLiteral(".ini");
}  // namespace

bool CLanguage::Initialize(const QString& homeFolder, const QString& languageName) {
    homeFolder_ = homeFolder;
    catalogue_.clear();
    ListLanguages();
    SelectLanguage(languageName);
    return true;
}

void CLanguage::ListLanguages() {
    // Every entry of the language folder whose name ends in ".ini", in any
    // letter case; folders count like files. Names starting with a dot are
    // hidden on this platform (editors keep lock and backup files so) and
    // are left out.
    const QDir folder(homeFolder_ + QStringLiteral("/language"));
    const QStringList entries = folder.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (!entry.endsWith(kIniSuffix, Qt::CaseInsensitive)) continue;
        catalogue_.append(entry.left(entry.size() - kIniSuffix.size()));
    }
    // Ordinal order of the UTF-16 code units, letter case significant.
    std::sort(catalogue_.begin(), catalogue_.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseSensitive) < 0; });
}

bool CLanguage::SelectLanguage(const QString& name) {
    menuTexts_.clear();
    stringTexts_.clear();
    dialogTexts_.clear();
    currentLanguage_ = QStringLiteral("english");
    for (const QString& entry : catalogue_) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) {
            currentLanguage_ = name;  // as passed, not the catalogue's form
            break;
        }
    }
    LoadLanguageFile(name);
    return true;
}
