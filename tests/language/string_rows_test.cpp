// The message strings: one row per identifier, from which the built-in
// English texts and the string keys of a language file are both made.

#include "language/key_table.h"
#include "resources/string_ids.h"
#include "resources/string_table.h"

#include <gtest/gtest.h>

#include <QSet>

TEST(StringRows, NamesAndNumbersAreUniqueAndNumberedNamesCarryTheirNumber) {
    QSet<int> numbers;
    QSet<QString> names;
    for (const StringRow& row : kStringRows) {
        const QString name = QString::fromUtf16(row.name);
        EXPECT_FALSE(numbers.contains(row.id)) << row.id;
        EXPECT_FALSE(names.contains(name)) << name.toStdString();
        numbers.insert(row.id);
        names.insert(name);
        if (name.startsWith(u"IDS_STRING")) {
            EXPECT_EQ(name, QStringLiteral("IDS_STRING%1").arg(row.id));
        }
    }
    EXPECT_EQ(QString::fromUtf16(FindStringRow(IDS_LANGUAGE)->name), QStringLiteral("IDS_LANGUAGE"));
    EXPECT_EQ(QString::fromUtf16(FindStringRow(IDS_MESSAGE_WARNING)->name), QStringLiteral("IDS_MESSAGE_WARNING"));
}

TEST(StringRows, TheBuiltInTableHasEveryRowAndNothingElse) {
    EXPECT_EQ(BuiltInString(IDS_STRING108), QStringLiteral("Please open a photo file first!"));
    EXPECT_EQ(BuiltInString(IDS_ABOUTBOX), QStringLiteral("&About Tessaline"));
    EXPECT_EQ(BuiltInString(IDS_STRING116), QStringLiteral("Unknown rotate angle!"));
    EXPECT_EQ(BuiltInString(110), std::nullopt);
    EXPECT_EQ(BuiltInString(125), std::nullopt);
    EXPECT_EQ(BuiltInString(0), std::nullopt);
}

TEST(StringRows, EveryStringKeyOfALanguageFileIsARowUnderItsOwnName) {
    int stringKeys = 0;
    for (const LanguageKey& key : KeyTable()) {
        if (SectionOfKey(QString::fromUtf16(key.name)) != LanguageSection::String) continue;
        ++stringKeys;
        const StringRow* row = FindStringRow(key.id);
        ASSERT_NE(row, nullptr) << key.id;
        EXPECT_EQ(QString::fromUtf16(key.name), QString::fromUtf16(row->name));
    }
    // The about item and the conversion notices 113, 114, 116 and 117 are
    // not translated.
    EXPECT_EQ(stringKeys, static_cast<int>(kStringRows.size()) - 5);
}
