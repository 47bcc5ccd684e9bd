// Language files: the private-profile reader, then every key of the key
// table looked up, decoded and unescaped as a language is loaded. Values are
// decoded as UTF-8 and in one more code page chosen by the input's length,
// so the shipped language files serve as inputs as they are.
#include "language/clanguage.h"
#include "language/code_page.h"
#include "language/key_table.h"
#include "language/private_profile_reader.h"
#include "tests/fuzz/fuzz_support.h"

#include <array>

namespace {

// The ANSI code pages of the locale table, and one no system has.
constexpr std::array<std::uint32_t, 15> kCodePages{1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257,
                                                   1258, 874,  932,  936,  949,  950,  54321};

void Check(const QString& text) {
    if (text.size() > kMaxProfileValueChars) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray contents = fuzz::Bytes(data, size);
    const PrivateProfile profile = PrivateProfile::FromContents(contents);
    static const std::optional<CodePageDecoder> utf8 = OpenDecoderOrFallback(kUtf8CodePage);
    const std::optional<CodePageDecoder> other = OpenDecoderOrFallback(kCodePages[size % kCodePages.size()]);
    for (const LanguageKey& key : KeyTable()) {
        const QString keyName = QString::fromUtf16(key.name);
        const std::optional<ProfileValue> value = profile.Find(SectionName(SectionOfKey(keyName)), keyName);
        if (!value) continue;
        if (value->isText) {
            Check(value->text);
            CLanguage::UnescapeText(value->text);
            continue;
        }
        if (value->bytes.size() > kMaxProfileValueBytes) __builtin_trap();
        for (const std::optional<CodePageDecoder>* decoder : {&utf8, &other}) {
            const QString text = CutAtCharacterBoundary(DecodeWith(*decoder, value->bytes, value->cut), kMaxProfileValueChars);
            Check(text);
            CLanguage::UnescapeText(text);
        }
    }
    // A whole file decoded in one go, cut or not, as message texts are.
    DecodeWith(other, contents, size & 1);
    return 0;
}
