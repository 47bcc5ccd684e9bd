// The rules both front ends apply before a conversion runs.
#include "imaging/conversion/conversion_rules.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace imaging;

TEST(ConversionRules, OutputSizeMustBeAboveZeroWidthFirst) {
    EXPECT_FALSE(CheckOutputSize(1, 1));
    EXPECT_EQ(CheckOutputSize(0, 10), ConversionOutcome::WidthInvalid);
    EXPECT_EQ(CheckOutputSize(-5, 10), ConversionOutcome::WidthInvalid);
    EXPECT_EQ(CheckOutputSize(10, 0), ConversionOutcome::HeightInvalid);
    EXPECT_EQ(CheckOutputSize(0, 0), ConversionOutcome::WidthInvalid);
}

TEST(ConversionRules, TextCornerOutsideTheOutputIsResetPerAxis) {
    TextPosition p = CheckTextPosition(99, 49, 100, 50);  // the last pixel is inside
    EXPECT_EQ(p.x, 99);
    EXPECT_EQ(p.y, 49);
    EXPECT_FALSE(p.xReset || p.yReset);
    p = CheckTextPosition(100, 10, 100, 50);
    EXPECT_TRUE(p.xReset);
    EXPECT_FALSE(p.yReset);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 10);
    p = CheckTextPosition(-1, 50, 100, 50);
    EXPECT_TRUE(p.xReset && p.yReset);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
}

TEST(ConversionRules, ProportionalSizeFormsTheRatioFirstAndTruncates) {
    EXPECT_EQ(ProportionalSize(700, 1000, 90), 62);  // 62.99999999999999
    EXPECT_EQ(ProportionalSize(3, 4, 640), 480);
    EXPECT_EQ(ProportionalSize(1, 3, 100), 33);
    EXPECT_EQ(ProportionalSize(1, 3, -100), -33);  // toward zero
    EXPECT_FALSE(ProportionalSize(0, 10, 5));
    EXPECT_FALSE(ProportionalSize(10, 0, 5));
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(ProportionalSize(1000, 1, kMax), kMax);
    EXPECT_EQ(ProportionalSize(1000, 1, kMin), kMin);
}

}  // namespace
