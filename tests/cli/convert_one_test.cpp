// The command line's decisions around one conversion: where each output
// goes, what size it takes, and which message stands for what happened.
#include "cli/convert_one.h"
#include "cli/messages.h"
#include "imaging/conversion/conversion_rules.h"

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

TEST(CliOutputSize, OneSideGivenKeepsTheAspectRatioRounding) {
    CliOptions o;
    o.width = 90;
    // 700 / 1000 * 90 = 63 (62.99999999999999 in the ratio-first order, which
    // the window's calculator truncates to 62; the command line rounds).
    EXPECT_EQ(OutputSizeFor(o, 1000, 700).height, 63);
    EXPECT_EQ(OutputSizeFor(o, 1000, 700).width, 90);
    o.width = 1600;
    EXPECT_EQ(OutputSizeFor(o, 1500, 1000).height, 1067);  // 1066.67, as other resizers give
    o.width = 640;
    EXPECT_EQ(OutputSizeFor(o, 4000, 3000).height, 480);
    o.width.reset();
    o.height = 100;
    EXPECT_EQ(OutputSizeFor(o, 300, 200).width, 150);
    EXPECT_EQ(OutputSizeFor(o, 1, 3).width, 33);
    EXPECT_EQ(OutputSizeFor(o, 2, 3).width, 67);
    // Never below one pixel once a ratio exists.
    EXPECT_EQ(OutputSizeFor(o, 1, 1000).width, 1);
}

TEST(CliOutputSize, RoundingVariantBesideTheTruncatingRule) {
    EXPECT_EQ(imaging::ProportionalSizeRounded(1000, 1500, 1600), 1067);
    EXPECT_EQ(imaging::ProportionalSize(1000, 1500, 1600), 1066);  // the window keeps this
    EXPECT_EQ(imaging::ProportionalSizeRounded(1, 2, 3), 2);       // 1.5: halves go up
    EXPECT_EQ(imaging::ProportionalSizeRounded(0, 2, 3), std::nullopt);
    EXPECT_EQ(imaging::ProportionalSizeRounded(3, 1, 2'000'000'000), std::numeric_limits<std::int32_t>::max());
}

TEST(CliOutputSize, FitKeepsTheRatioInsideTheBox) {
    CliOptions o;
    o.fitWidth = 1920;
    o.fitHeight = 1080;
    const OutputSize wide = OutputSizeFor(o, 6000, 2000);  // width bound
    EXPECT_EQ(wide.width, 1920);
    EXPECT_EQ(wide.height, 640);
    const OutputSize tall = OutputSizeFor(o, 3000, 4000);  // height bound: 810
    EXPECT_EQ(tall.width, 810);
    EXPECT_EQ(tall.height, 1080);
    const OutputSize small = OutputSizeFor(o, 300, 200);  // enlarged to the box
    EXPECT_EQ(small.width, 1620);
    EXPECT_EQ(small.height, 1080);
    o.fitWidth = 1600;
    o.fitHeight = 1600;
    EXPECT_EQ(OutputSizeFor(o, 1500, 1000).height, 1067);
}

TEST(CliOutputSize, LongEdgeSetsTheLongerSide) {
    CliOptions o;
    o.longEdge = 1600;
    EXPECT_EQ(OutputSizeFor(o, 6000, 4000).width, 1600);
    EXPECT_EQ(OutputSizeFor(o, 6000, 4000).height, 1067);
    EXPECT_EQ(OutputSizeFor(o, 4000, 6000).width, 1067);
    EXPECT_EQ(OutputSizeFor(o, 4000, 6000).height, 1600);
    EXPECT_EQ(OutputSizeFor(o, 500, 500).width, 1600);
}

TEST(CliOutputSize, ShrinkOnlyNeverEnlarges) {
    CliOptions o;
    o.shrinkOnly = true;
    o.longEdge = 1600;
    EXPECT_EQ(OutputSizeFor(o, 800, 600).width, 800);
    EXPECT_EQ(OutputSizeFor(o, 800, 600).height, 600);
    EXPECT_EQ(OutputSizeFor(o, 3200, 2400).width, 1600);
    EXPECT_EQ(OutputSizeFor(o, 3200, 2400).height, 1200);
    o.longEdge.reset();
    o.width = 1000;
    o.height = 100;  // each side kept within the picture's
    EXPECT_EQ(OutputSizeFor(o, 800, 600).width, 800);
    EXPECT_EQ(OutputSizeFor(o, 800, 600).height, 100);
}

TEST(CliOutputSize, SizesBeyondTheEngineAreOneClearProblem) {
    EXPECT_FALSE(OutputSizeProblem({640, 480}));
    const auto huge = OutputSizeProblem({20000, 20000});
    ASSERT_TRUE(huge);
    EXPECT_TRUE(huge->contains("20000 x 20000")) << huge->toStdString();
    EXPECT_TRUE(OutputSizeProblem({0, 10}));
    EXPECT_TRUE(OutputSizeProblem({10, 0}));
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
