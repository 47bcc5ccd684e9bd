// The command line's decisions around one conversion: where each output
// goes, what size it takes, and which message stands for what happened.
#include "cli/convert_one.h"
#include "cli/messages.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using imaging::ConversionNotice;
using imaging::ConversionOutcome;
using imaging::TextReset;

CliOptions WithOutput(const QString& output, QStringList inputs = {"in/photo.png"}) {
    CliOptions o;
    o.output = output;
    o.inputs = std::move(inputs);
    return o;
}

TEST(CliOutputNaming, OneInputToAFileKeepsTheName) {
    EXPECT_EQ(OutputPathFor(WithOutput("x/result.jpg"), "in/photo.png"), "x/result.jpg");
}

TEST(CliOutputNaming, AFolderGetsNameOutJpg) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(OutputPathFor(WithOutput(dir.path()), "in/photo.png"), dir.path() + "/photo_out.jpg");
    // A trailing slash names a folder that need not exist yet.
    EXPECT_EQ(OutputPathFor(WithOutput("later/"), "in/holiday.tar.tif"), "later/holiday.tar_out.jpg");
    // Several inputs always go into a folder.
    const CliOptions several = WithOutput("many", {"a.png", "b.png"});
    EXPECT_EQ(OutputPathFor(several, "b.png"), "many/b_out.jpg");
}

TEST(CliOutputSize, OneSideGivenKeepsTheAspectRatioTruncating) {
    CliOptions o;
    o.width = 90;
    // 700 / 1000 * 90 = 62.99999999999999: truncated to 62, as the window's
    // calculator gives.
    EXPECT_EQ(OutputSizeFor(o, 1000, 700).height, 62);
    EXPECT_EQ(OutputSizeFor(o, 1000, 700).width, 90);
    o.width = 640;
    EXPECT_EQ(OutputSizeFor(o, 4000, 3000).height, 480);
    o.width.reset();
    o.height = 100;
    EXPECT_EQ(OutputSizeFor(o, 300, 200).width, 150);
    EXPECT_EQ(OutputSizeFor(o, 1, 3).width, 33);
}

TEST(CliOutputSize, BothOrNeitherSide) {
    CliOptions o;
    EXPECT_EQ(OutputSizeFor(o, 320, 200).width, 320);
    EXPECT_EQ(OutputSizeFor(o, 320, 200).height, 200);
    o.width = 10;
    o.height = 20;
    EXPECT_EQ(OutputSizeFor(o, 320, 200).width, 10);
    EXPECT_EQ(OutputSizeFor(o, 320, 200).height, 20);
}

TEST(CliOutputSize, NoRatioFromAPictureThatMeasuresNothing) {
    CliOptions o;
    o.width = 50;
    EXPECT_EQ(OutputSizeFor(o, 0, 0).height, 0);  // then refused as invalid
    o.width = 2'000'000'000;
    EXPECT_EQ(OutputSizeFor(o, 1, 3).height, std::numeric_limits<std::int32_t>::max());
}

TEST(CliMessages, EveryEventHasItsNumber) {
    EXPECT_EQ(MessageNumber(ConversionOutcome::Saved), 0);
    EXPECT_EQ(MessageNumber(ConversionOutcome::WidthInvalid), 111);
    EXPECT_EQ(MessageNumber(ConversionOutcome::HeightInvalid), 112);
    EXPECT_EQ(MessageNumber(ConversionNotice::ResolutionFailed), 113);
    EXPECT_EQ(MessageNumber(ConversionNotice::InterpolationFailed), 114);
    EXPECT_EQ(MessageNumber(ConversionOutcome::DrawFailed), 115);
    EXPECT_EQ(MessageNumber(ConversionNotice::UnknownAngle), 116);
    EXPECT_EQ(MessageNumber(ConversionNotice::RotateFlipFailed), 117);
    EXPECT_EQ(MessageNumber(ConversionOutcome::SaveFailed), 118);
    EXPECT_EQ(MessageNumber(TextReset::X), 130);
    EXPECT_EQ(MessageNumber(TextReset::Y), 131);
    // Every number has a text in the built-in table.
    EXPECT_FALSE(MessageText(ConversionOutcome::SaveFailed).startsWith("error "));
    EXPECT_FALSE(MessageText(TextReset::Y).startsWith("error "));
}

}  // namespace
