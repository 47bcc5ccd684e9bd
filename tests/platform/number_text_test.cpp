#include "platform/number_text.h"

#include <gtest/gtest.h>

TEST(DecimalField, AcceptsWhiteSpaceSignAndStopsAtFirstNonDigit) {
    EXPECT_EQ(ParseDecimalField(QStringLiteral("640")), 640);
    EXPECT_EQ(ParseDecimalField(QStringLiteral("  \t42")), 42);
    EXPECT_EQ(ParseDecimalField(QStringLiteral("-5")), -5);
    EXPECT_EQ(ParseDecimalField(QStringLiteral("+7")), 7);
    EXPECT_EQ(ParseDecimalField(QStringLiteral("12abc")), 12);
    EXPECT_EQ(ParseDecimalField(QStringLiteral("640 px")), 640);
}

TEST(DecimalField, TextWithoutDigitsIsZero) {
    EXPECT_EQ(ParseDecimalField(QString()), 0);
    EXPECT_EQ(ParseDecimalField(QStringLiteral("abc")), 0);
    EXPECT_EQ(ParseDecimalField(QStringLiteral("-")), 0);
    EXPECT_EQ(ParseDecimalField(QStringLiteral("- 5")), 0);
    EXPECT_FALSE(ScanDecimalInteger(QStringLiteral("x1")).has_value());
}

TEST(DecimalField, BeyondThirtyTwoBitsGivesTheNearestLimit) {
    EXPECT_EQ(ParseDecimalField(QStringLiteral("2147483647")), 2147483647);
    EXPECT_EQ(ParseDecimalField(QStringLiteral("2147483648")), 2147483647);
    EXPECT_EQ(ParseDecimalField(QStringLiteral("-2147483648")), INT32_MIN);
    EXPECT_EQ(ParseDecimalField(QStringLiteral("-99999999999999999999999")), INT32_MIN);
    EXPECT_EQ(ParseDecimalField(QStringLiteral("99999999999999999999999999999")), INT32_MAX);
}

TEST(DecimalField, FormatsPlainDecimal) {
    EXPECT_EQ(FormatDecimal(0), QStringLiteral("0"));
    EXPECT_EQ(FormatDecimal(-20), QStringLiteral("-20"));
}
