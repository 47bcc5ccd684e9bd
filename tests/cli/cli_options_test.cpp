// tessaline-convert's argument parser: values, defaults, warnings and the
// refusals that stop before anything is read.
#include "cli/cli_options.h"

#include <gtest/gtest.h>

namespace {

CliParse Parse(std::initializer_list<const char*> words) {
    QStringList args;
    for (const char* w : words) args << QString::fromUtf8(w);
    return ParseCommandLine(args);
}

TEST(CliOptions, ReadsEveryValueOption) {
    const CliParse p = Parse({"a.png", "b.tif", "-o", "out", "--width", "640px", "--height", "480", "--quality",
                              "90", "--rotate", "270", "--flip", "vertical", "--frame", "2", "--text", "Hi",
                              "--at", "5,7", "--font", "DejaVu Sans", "--font-size", "20", "--bold", "--italic",
                              "--color", "#FF8000", "--force", "--jobs", "3"});
    ASSERT_TRUE(p.options) << p.error.toStdString();
    const CliOptions& o = *p.options;
    EXPECT_EQ(o.inputs, QStringList({"a.png", "b.tif"}));
    EXPECT_EQ(o.output, "out");
    EXPECT_EQ(o.width, 640);  // the size fields' rule: "640px" reads as 640
    EXPECT_EQ(o.height, 480);
    EXPECT_EQ(o.quality, 90u);
    EXPECT_EQ(o.rotateAngle, 270);
    EXPECT_EQ(o.flipType, 2);
    EXPECT_EQ(o.frame, 2u);
    EXPECT_EQ(o.text, "Hi");
    EXPECT_EQ(o.textX, 5);
    EXPECT_EQ(o.textY, 7);
    EXPECT_EQ(o.font.faceName(), "DejaVu Sans");
    EXPECT_EQ(o.font.lfHeight, -20);
    EXPECT_EQ(o.font.lfWeight, FW_BOLD);
    EXPECT_EQ(o.font.lfItalic, 1);
    EXPECT_EQ(o.color, RGB(0xFF, 0x80, 0x00));
    EXPECT_TRUE(o.force);
    EXPECT_EQ(o.jobs, 3);
    EXPECT_TRUE(p.warnings.isEmpty());
}

TEST(CliOptions, DefaultsAreTheWindowsFirstRun) {
    const CliParse p = Parse({"a.png", "-o", "b.jpg"});
    ASSERT_TRUE(p.options);
    EXPECT_FALSE(p.options->width);
    EXPECT_FALSE(p.options->height);
    EXPECT_EQ(p.options->quality, 80u);
    EXPECT_EQ(p.options->font.lfHeight, -13);
    EXPECT_EQ(p.options->font.lfWeight, FW_NORMAL);
    EXPECT_EQ(p.options->color, 0u);
    EXPECT_EQ(p.options->flipType, 0);
}

TEST(CliOptions, QualityOutsideOneToHundredWarnsAndGoesOn) {
    for (const char* q : {"0", "101"}) {
        const CliParse p = Parse({"a.png", "-o", "b.jpg", "--quality", q});
        ASSERT_TRUE(p.options) << q;
        EXPECT_EQ(p.warnings.size(), 1) << q;
    }
}

TEST(CliOptions, RefusesWhatCannotBeRun) {
    EXPECT_FALSE(Parse({"-o", "b.jpg"}).options);                               // no input
    EXPECT_FALSE(Parse({"a.png"}).options);                                     // no output
    EXPECT_FALSE(Parse({"a.png", "-o"}).options);                               // value missing
    EXPECT_FALSE(Parse({"a.png", "-o", "b", "--flip", "diagonal"}).options);    // unknown flip
    EXPECT_FALSE(Parse({"a.png", "-o", "b", "--at", "5"}).options);             // X,Y needed
    EXPECT_FALSE(Parse({"a.png", "-o", "b", "--color", "red"}).options);        // #RRGGBB needed
    EXPECT_FALSE(Parse({"a.png", "-o", "b", "--jobs", "0"}).options);           // 1 to 256
    EXPECT_FALSE(Parse({"a.png", "-o", "b", "--rotate", "ninety"}).options);    // not a number
    EXPECT_FALSE(Parse({"a.png", "-o", "b", "--frame", "-1"}).options);         // not below 0
    EXPECT_FALSE(Parse({"a.png", "-o", "b", "--wobble"}).options);              // unknown option
    const CliParse p = Parse({"a.png", "-o", "b", "--wobble"});
    EXPECT_TRUE(p.error.contains("--wobble"));
}

TEST(CliOptions, HelpAndVersionNeedNoFiles) {
    EXPECT_TRUE(Parse({"--help"}).options->help);
    EXPECT_TRUE(Parse({"--version"}).options->version);
}

}  // namespace
