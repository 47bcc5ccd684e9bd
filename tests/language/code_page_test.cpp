// Decoding byte strings in Windows code pages.
#include "language/code_page.h"

#include <gtest/gtest.h>

namespace {

const QChar kReplacement(QChar::ReplacementCharacter);

TEST(CodePage, DecodesTheCodePagesOfTheShippedLanguages) {
    EXPECT_EQ(DecodeCodePage("\xCE\xF2\xEA\xF0\xFB\xF2\xFC", 1251), QString::fromUtf8("Открыть"));
    EXPECT_EQ(DecodeCodePage("\x8E\xCA\x90\x5E\x82\xF0\x8A\x4A\x82\xAD", 932), QString::fromUtf8("写真を開く"));
    EXPECT_EQ(DecodeCodePage("\xB4\xF2\xBF\xAA", 936), QString::fromUtf8("打开"));
    EXPECT_EQ(DecodeCodePage("Gr\xF6\xDF" "e \x80", 1252), QString::fromUtf8("Größe €"));
    EXPECT_EQ(DecodeCodePage("\xE2\x82\xAC", kUtf8CodePage), QString::fromUtf8("€"));
}

TEST(CodePage, CodePageZeroIsTheSystemAnsiCodePage) {
    EXPECT_EQ(DecodeCodePage("\x80", 0), QString::fromUtf8("€"));
    EXPECT_EQ(IconvNameOfCodePage(0), "CP1252");
    EXPECT_EQ(IconvNameOfCodePage(65001), "UTF-8");
}

TEST(CodePage, InvalidSequencesBecomeReplacementCharacters) {
    EXPECT_EQ(DecodeCodePage("a\xFF" "b", kUtf8CodePage), QStringLiteral("a") + kReplacement + u'b');
    EXPECT_EQ(DecodeCodePage("\xC3(", kUtf8CodePage), QString(kReplacement) + u'(');
    // An unfinished sequence at the very end is shown as well ...
    EXPECT_EQ(DecodeCodePage("ok\xE2\x82", kUtf8CodePage), QStringLiteral("ok") + kReplacement);
    // ... unless the bytes were cut there.
    EXPECT_EQ(DecodeCodePage("ok\xE2\x82", kUtf8CodePage, true), QStringLiteral("ok"));
    EXPECT_EQ(DecodeCodePage("\x8E\xCA\x90", 932, true), QString::fromUtf8("写"));
}

TEST(CodePage, EveryByteValueDecodesWithoutCrashingInEveryTableCodePage) {
    QByteArray all;
    for (int b = 1; b < 256; ++b) all.append(static_cast<char>(b));
    for (std::uint32_t cp : {874u, 932u, 936u, 949u, 950u, 1250u, 1251u, 1252u, 1253u, 1254u, 1255u, 1256u, 1257u,
                             1258u, 65001u}) {
        const QString text = DecodeCodePage(all + all, cp);
        EXPECT_FALSE(text.isEmpty()) << cp;
        EXPECT_TRUE(text.startsWith(QStringLiteral("\x01\x02\x03"))) << cp;
    }
}

TEST(CodePage, ACodePageTheSystemLacksFallsBackToTheSystemAnsiCodePage) {
    EXPECT_FALSE(CodePageDecoder::Open(4242).has_value());
    EXPECT_EQ(DecodeCodePage("Gr\xF6\xDF" "e", 4242), QString::fromUtf8("Größe"));
}

}  // namespace
