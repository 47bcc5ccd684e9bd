// The line syntax of language files, read from memory.
#include "language/code_page.h"
#include "language/private_profile_reader.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

QByteArray bytesOf(const PrivateProfile& p, const char* section, const char* key) {
    const auto value = p.Find(QString::fromLatin1(section), QString::fromLatin1(key));
    return value ? value->bytes : QByteArray("<absent>");
}

TEST(PrivateProfileReader, SectionsAndKeysIgnoreLetterCaseAndSurroundingSpaces) {
    const PrivateProfile p = PrivateProfile::FromContents(
        "[Dialog]\r\n  idc_button_convert   =   Umwandeln  \r\n[ string ]\nIDS_X=\tA B\t\n");
    EXPECT_EQ(bytesOf(p, "DIALOG", "IDC_BUTTON_CONVERT"), "Umwandeln");
    EXPECT_EQ(bytesOf(p, "STRING", "ids_x"), "A B");
    EXPECT_EQ(bytesOf(p, "STRING", "IDC_BUTTON_CONVERT"), "<absent>");
    EXPECT_EQ(bytesOf(p, "MENU", "IDS_X"), "<absent>");
}

TEST(PrivateProfileReader, OnePairOfMatchingQuotesIsRemoved) {
    const PrivateProfile p = PrivateProfile::FromContents(
        "[S]\nA=\"  spaced  \"\nB='single'\nC=\"mixed'\nD=\"\"\"twice\"\"\"\nE=\"\nF=say \"hi\"\n");
    const std::pair<const char*, const char*> expected[] = {
        {"A", "  spaced  "}, {"B", "single"}, {"C", "\"mixed'"},
        {"D", "\"\"twice\"\""}, {"E", "\""}, {"F", "say \"hi\""},
    };
    for (const auto& [key, value] : expected) EXPECT_EQ(bytesOf(p, "S", key), value) << key;
}

TEST(PrivateProfileReader, FirstOccurrenceWinsAndEmptyValuesArePresent) {
    const PrivateProfile p = PrivateProfile::FromContents("[S]\nK=first\nK=second\nE=\n[s]\nK=third\nL=later\n");
    EXPECT_EQ(bytesOf(p, "S", "K"), "first");
    EXPECT_EQ(bytesOf(p, "S", "L"), "later");  // a repeated section continues the first
    const auto empty = p.Find(QStringLiteral("S"), QStringLiteral("E"));
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->bytes.isEmpty());
}

TEST(PrivateProfileReader, LinesOutsideSectionsOrWithoutEqualsHoldNothing) {
    const PrivateProfile p = PrivateProfile::FromContents("K=before\n[S]\nnovalue\n=orphan\nK=a=b\r[T\nX=1");
    EXPECT_EQ(bytesOf(p, "S", "K"), "a=b");  // a lone CR ends a line as well
    EXPECT_EQ(bytesOf(p, "S", "novalue"), "<absent>");
    EXPECT_EQ(bytesOf(p, "T", "X"), "1");   // a header without ']' still names its section
}

TEST(PrivateProfileReader, Utf16FilesAreRecognisedByTheirByteOrderMark) {
    const QString text = QString::fromUtf8("[DIALOG]\r\nIDC_A=写真 😀\r\n");
    QByteArray le("\xFF\xFE", 2), be("\xFE\xFF", 2);
    for (const QChar c : text) {
        le.append(static_cast<char>(c.unicode() & 0xFF)).append(static_cast<char>(c.unicode() >> 8));
        be.append(static_cast<char>(c.unicode() >> 8)).append(static_cast<char>(c.unicode() & 0xFF));
    }
    for (const QByteArray& contents : {le, be}) {
        const PrivateProfile p = PrivateProfile::FromContents(contents);
        EXPECT_TRUE(p.IsUtf16());
        const auto value = p.Find(QStringLiteral("dialog"), QStringLiteral("idc_a"));
        ASSERT_TRUE(value.has_value());
        EXPECT_TRUE(value->isText);
        EXPECT_EQ(value->text, QString::fromUtf8("写真 😀"));
    }
}

TEST(PrivateProfileReader, BrokenUtf16NeverCrashesAndLoneSurrogatesBecomeReplacements) {
    QByteArray contents("\xFF\xFE[\0S\0]\0\n\0K\0=\0\x00\xD8x\0", 18);
    contents.append('\x41');  // an odd last byte
    const auto value = PrivateProfile::FromContents(contents).Find(QStringLiteral("S"), QStringLiteral("K"));
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->text, QString(QChar(QChar::ReplacementCharacter)) + u'x');
}

TEST(PrivateProfileReader, AUtf8ByteOrderMarkDoesNotHideTheFirstSection) {
    const PrivateProfile p = PrivateProfile::FromContents("\xEF\xBB\xBF[STRING]\nK=v\n");
    EXPECT_EQ(bytesOf(p, "STRING", "K"), "v");
}

TEST(PrivateProfileReader, LongValuesAreCutToTheLimits) {
    const QByteArray longBytes(5000, 'x');
    const auto bytes = PrivateProfile::FromContents("[S]\nK=" + longBytes + "\n").Find(QStringLiteral("S"), QStringLiteral("K"));
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->bytes.size(), kMaxProfileValueBytes);
    EXPECT_TRUE(bytes->cut);

    // 2046 letters and an emoji (a surrogate pair) across the 2047 limit.
    const QString text = QStringLiteral("[S]\nK=") + QString(2046, u'a') + QString::fromUtf8("😀") + u'\n';
    QByteArray utf16("\xFF\xFE", 2);
    for (const QChar c : text) utf16.append(static_cast<char>(c.unicode() & 0xFF)).append(static_cast<char>(c.unicode() >> 8));
    const auto wide = PrivateProfile::FromContents(utf16).Find(QStringLiteral("S"), QStringLiteral("K"));
    ASSERT_TRUE(wide.has_value());
    EXPECT_EQ(wide->text, QString(2046, u'a'));
    EXPECT_TRUE(wide->cut);
}

TEST(PrivateProfileReader, DoubleByteCharactersWithSyntaxBytesInsideSurvive) {
    // Shift-JIS: "表" is 95 5C and "ソ" is 83 5C; "[" (5B) and "]" (5D) also
    // occur as second bytes.
    const PrivateProfile p = PrivateProfile::FromContents("[DIALOG]\nK=\x95\x5C\x83\x5C\x83\x5B\x83\x5D\n");
    EXPECT_EQ(DecodeCodePage(bytesOf(p, "DIALOG", "K"), 932), QString::fromUtf8("表ソゼゾ"));
}

TEST(PrivateProfileReader, AMissingFileReadsAsEmpty) {
    const PrivateProfile p = PrivateProfile::ReadFile(QStringLiteral("/nonexistent/folder/file.ini"));
    EXPECT_FALSE(p.Find(QStringLiteral("S"), QStringLiteral("K")).has_value());
}

}  // namespace
