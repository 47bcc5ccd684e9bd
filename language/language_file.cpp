// Loading one language file into CLanguage: the encoding and locale follow
// from the file's name, each key of the key table is read from its section,
// decoded and unescaped, and the language's interface font is read from the
// settings.
#include "language/clanguage.h"

#include "app/file_paths.h"
#include "app/font_settings.h"
#include "app/profile_store.h"
#include "language/code_page.h"
#include "language/key_table.h"
#include "language/locale_table.h"
#include "language/message_box.h"
#include "language/private_profile_reader.h"
#include "imaging/core/font_conversion.h"

#include <cstdlib>

namespace {

const QString kEnglish = QStringLiteral("english");

// The largest font height or width the interface font accepts; a stored
// description beyond it (a damaged settings file) would make every label
// try to draw glyphs of absurd size.
constexpr std::int32_t kMaxFontPixels = 16384;

void replaceAllFromStart(QString& text, QStringView pair, QChar replacement) {
    for (qsizetype at = text.indexOf(pair); at >= 0; at = text.indexOf(pair)) text.replace(at, 2, replacement);
}

// One value of the language file, decoded; an absent key reads as empty.
QString readValue(const PrivateProfile& profile, const std::optional<CodePageDecoder>& decoder, const QString& section,
                  const QString& key) {
    // The popup menu's top-level item is never shown; its text is fixed.
    if (section == u"MENU" && key == u"IDR_MENU_LANGUAGE_POPUP") return QStringLiteral("PopupMenu1");

    const std::optional<ProfileValue> value = profile.Find(section, key);
    if (!value) return {};
    if (value->isText) return value->text;
    return CutAtCharacterBoundary(DecodeWith(decoder, value->bytes, value->cut), kMaxProfileValueChars);
}

}  // namespace

LanguageFileEncoding CLanguage::DetectEncoding(const QString& name) {
    const QString lower = name.toLower();
    if (lower.contains(u"_utf-8")) return LanguageFileEncoding::Utf8;
    if (lower.contains(u"_unicode")) return LanguageFileEncoding::Unicode;
    return LanguageFileEncoding::Ansi;
}

std::optional<LocaleResult> CLanguage::LookUpLocale(const QString& name) const {
    // The suffix is taken to stand at the end, wherever it was found.
    QString base = name.toLower();
    if (encoding_ == LanguageFileEncoding::Utf8) base.chop(6);
    if (encoding_ == LanguageFileEncoding::Unicode) base.chop(8);

    if (base == kEnglish) {
        return LocaleResult{kEnglish, 9, 1, encoding_ == LanguageFileEncoding::Utf8 ? kUtf8CodePage : kSystemAnsiCodePage};
    }
    for (const LocaleEntry& row : LocaleTable()) {
        const QString abbreviation = QString::fromUtf16(row.abbreviation).toLower();
        if (QString::fromUtf16(row.name).toLower() != base && abbreviation != base) continue;
        LocaleResult result{abbreviation, row.languageId & 0x3FF, (row.languageId & 0xFFFF) >> 10, 0};
        switch (encoding_) {
        case LanguageFileEncoding::Utf8: result.codePage = kUtf8CodePage; break;
        case LanguageFileEncoding::Unicode: result.codePage = kSystemAnsiCodePage; break;
        case LanguageFileEncoding::Ansi: result.codePage = row.ansiCodePage; break;
        }
        return result;
    }
    ShowUnownedMessage(QStringLiteral("Your language file name may be not proper,\n please read the help file!"), base);
    return std::nullopt;
}

std::uint32_t CLanguage::valueCodePage() const {
    // Without a locale, or for a file named as UTF-16, a byte file's values
    // stay as the system reads them.
    if (localeFound_ && encoding_ != LanguageFileEncoding::Unicode) return codePage_;
    return kSystemAnsiCodePage;
}

QString CLanguage::UnescapeText(const QString& text) {
    QString result = text;
    replaceAllFromStart(result, u"\\t", u'\t');
    replaceAllFromStart(result, u"\\n", u'\n');
    replaceAllFromStart(result, u"\\r", u'\r');
    return result;
}

QString CLanguage::DecodeText(const QByteArray& bytes) const {
    // The text ends at the first zero byte, as a C string would.
    const qsizetype zero = bytes.indexOf('\0');
    return DecodeCodePage(zero < 0 ? bytes : bytes.left(zero), codePage_);
}

bool CLanguage::LoadLanguageFile(const QString& name) {
    encoding_ = DetectEncoding(name);
    // A name without a locale keeps the previous language numbers.
    const std::optional<LocaleResult> locale = LookUpLocale(name);
    localeFound_ = locale.has_value();
    if (locale) {
        primaryLanguage_ = locale->primaryLanguage;
        subLanguage_ = locale->subLanguage;
        codePage_ = locale->codePage;
    }
    // The name is used as given; the folder is searched without regard to
    // letter case, as file names are matched on the program's home platform.
    languageFilePath_ = ResolveNameIgnoringCase(homeFolder_ + QStringLiteral("/language/") + name + QStringLiteral(".ini"));

    menuTexts_.clear();
    stringTexts_.clear();
    dialogTexts_.clear();
    // The file is read and parsed once, and its values share one decoder.
    const PrivateProfile profile = PrivateProfile::ReadFile(languageFilePath_);
    const std::optional<CodePageDecoder> decoder = OpenDecoderOrFallback(valueCodePage());
    for (const LanguageKey& key : KeyTable()) {
        const QString keyName = QString::fromUtf16(key.name);
        const LanguageSection section = SectionOfKey(keyName);
        // Values are decoded before the escapes are replaced, so that a
        // backslash inside a double-byte character is never taken for one.
        const QString text = UnescapeText(readValue(profile, decoder, SectionName(section), keyName));
        switch (section) {
        case LanguageSection::Menu: menuTexts_.push_back({key.id, text}); break;
        case LanguageSection::Dialog: dialogTexts_.push_back({key.id, text}); break;
        case LanguageSection::String: stringTexts_.push_back({key.id, text}); break;
        }
    }

    // The locale is recorded, not applied to the process: the C library's
    // locale stays "C", so number formatting and parsing never change.
    localeName_ = locale ? locale->localeName : QString();
    LoadInterfaceFont();
    return true;
}

bool CLanguage::LoadInterfaceFont() {
    LOGFONTW description;  // all zero
    const QString section = currentLanguage_;
    // "lfOutPrecision" is read a second time, right after "lfClipPrecision".
    ReadFontSection(section, kInterfaceFontDefaults, description, [&](FontField field) {
        if (field != FontField::ClipPrecision) return;
        SetFontFieldValue(description, FontField::OutPrecision,
                          GetProfileInt(section, QStringLiteral("lfOutPrecision"), 0));
    });
    if (!CreateInterfaceFont(description)) {
        ShowUnownedMessage(QStringLiteral("Failed to create font"), QStringLiteral("Error"));
        return false;
    }
    return true;
}

bool CLanguage::CreateInterfaceFont(const LOGFONTW& description) {
    interfaceFont_.reset();
    interfaceFontDescription_ = description;
    if (std::abs(static_cast<long long>(description.lfHeight)) > kMaxFontPixels ||
        std::abs(static_cast<long long>(description.lfWidth)) > kMaxFontPixels) {
        return false;
    }
    interfaceFont_ = FontFromLogFont(description);
    return true;
}
