// Reading a numeric field through its buffer, and the wait cursor's scope.

#include "platform/cdialog.h"
#include "platform/number_field.h"
#include "platform/wait_cursor.h"
#include "tests/support/scripted_platform_services.h"

#include <gtest/gtest.h>

namespace {

constexpr int kField = 11;

class NumberFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetServices(&services);
        dialog.Create();
    }
    void TearDown() override { SetServices(nullptr); }
    std::optional<std::int32_t> read(const QString& text, int bufferChars) {
        dialog.SetDlgItemText(kField, text);
        return ReadNumberField(dialog, kField, bufferChars);
    }

    ScriptedPlatformServices services;
    CDialog dialog{DialogTemplate{7, QStringLiteral("Test"), 100, 40,
                                  {{kField, ControlKind::Edit, ControlStyle::Border, 4, 4, 60, 14, {}}}}};
};

}  // namespace

TEST_F(NumberFieldTest, ParsesTheFieldWithTheDecimalFieldRules) {
    EXPECT_EQ(read(QStringLiteral("  -42px"), kNumberFieldBuffer), -42);
    EXPECT_EQ(read(QStringLiteral("+7"), kNumberFieldBuffer), 7);
    EXPECT_EQ(read(QStringLiteral("abc"), kNumberFieldBuffer), 0);
    EXPECT_EQ(read(QStringLiteral("99999999999"), kSizeFieldBuffer), 2147483647);
    EXPECT_EQ(read(QStringLiteral("-99999999999"), kSizeFieldBuffer), -2147483647 - 1);
}

TEST_F(NumberFieldTest, AnEmptyFieldGivesNothing) { EXPECT_EQ(read(QString(), kFrameFieldBuffer), std::nullopt); }

TEST_F(NumberFieldTest, ReadsOnlyWhatTheBufferHolds) {
    // 62 blanks and "5": the digit is the 63rd character and still read; one
    // blank more pushes it out of a 64-character buffer.
    EXPECT_EQ(read(QString(62, u' ') + u'5', kNumberFieldBuffer), 5);
    EXPECT_EQ(read(QString(63, u' ') + u'5', kNumberFieldBuffer), 0);
    EXPECT_EQ(read(QString(126, u' ') + u'5', kFrameFieldBuffer), 5);
    EXPECT_EQ(read(QString(127, u' ') + u'5', kFrameFieldBuffer), 0);
    EXPECT_EQ(read(QString(254, u' ') + u'5', kSizeFieldBuffer), 5);
    EXPECT_EQ(read(QString(255, u' ') + u'5', kSizeFieldBuffer), 0);
}

TEST_F(NumberFieldTest, TheWaitCursorLastsForItsScope) {
    {
        const WaitCursor outer;
        EXPECT_EQ(services.waitCursorDepth, 1);
        {
            const WaitCursor inner;
            EXPECT_EQ(services.waitCursorDepth, 2);
        }
        EXPECT_EQ(services.waitCursorDepth, 1);
    }
    EXPECT_EQ(services.waitCursorDepth, 0);
}
