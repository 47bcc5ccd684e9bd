// tessaline-convert's argument parser: values, defaults, warnings and the
// refusals that stop before anything is read.
#include "cli/cli_options.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

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
    EXPECT_TRUE(p.error.isEmpty());
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

TEST(CliOptions, QualityOutsideOneToHundredIsRefused) {
    for (const char* q : {"0", "101"}) {
        const CliParse p = Parse({"a.png", "-o", "b.jpg", "--quality", q});
        EXPECT_FALSE(p.options) << q;
        EXPECT_TRUE(p.error.contains("--quality")) << p.error.toStdString();
        EXPECT_TRUE(p.error.contains("1 to 100")) << p.error.toStdString();
    }
    EXPECT_EQ(Parse({"a.png", "-o", "b.jpg", "--quality", "1"}).options->quality, 1u);
    EXPECT_EQ(Parse({"a.png", "-o", "b.jpg", "--quality", "100"}).options->quality, 100u);
}

// Each bad value: refused with one line that names the option and the value.
TEST(CliOptions, EveryBadValueNamesItsOptionInOneLine) {
    const std::vector<std::pair<std::vector<const char*>, const char*>> cases = {
        {{"--rotate", "45"}, "--rotate"},       {{"--rotate", "-90"}, "--rotate"},
        {{"--rotate", "360"}, "--rotate"},      {{"--width", "0"}, "--width"},
        {{"--width", "-5"}, "--width"},         {{"--width", "abc"}, "--width"},
        {{"--height", "0"}, "--height"},        {{"--fit", "100"}, "--fit"},
        {{"--fit", "0x100"}, "--fit"},          {{"--fit", "100x"}, "--fit"},
        {{"--long-edge", "0"}, "--long-edge"},  {{"--frame", "-1"}, "--frame"},
        {{"--frame", "x"}, "--frame"},          {{"--color", "red"}, "--color"},
        {{"--color", "#12345"}, "--color"},     {{"--flip", "diagonal"}, "--flip"},
        {{"--at", "5"}, "--at"},                {{"--at", "a,b"}, "--at"},
        {{"--font-size", "0"}, "--font-size"},  {{"--jobs", "0"}, "--jobs"},
        {{"--quality", "high"}, "--quality"},   {{"--quality"}, "--quality"},
    };
    for (const auto& [words, option] : cases) {
        QStringList args{"a.png", "-o", "b.jpg"};
        for (const char* w : words) args << QString::fromUtf8(w);
        const CliParse p = ParseCommandLine(args);
        EXPECT_FALSE(p.options) << args.join(' ').toStdString();
        EXPECT_TRUE(p.error.startsWith(QString::fromUtf8(option))) << p.error.toStdString();
        EXPECT_FALSE(p.error.contains('\n')) << p.error.toStdString();
        if (words.size() > 1) {
            EXPECT_TRUE(p.error.contains(QString::fromUtf8(words[1]))) << p.error.toStdString();
        }
    }
}

// The edges of what a value may look like: spaces around a side and "px",
// signs, a line feed a shell's $(...) leaves, and only ASCII digits.
TEST(CliOptions, ValueShapesAcceptedAndRefused) {
    const auto width = [](const char* v) { return Parse({"a.png", "-o", "b", "--width", v}).options; };
    EXPECT_EQ(width(" +640 ")->width, 640);
    EXPECT_EQ(width("640 px")->width, 640);
    EXPECT_EQ(width("640px\n")->width, 640);
    for (const char* bad : {"640pxx", "640 p", "1234567890123", "\u0666\u0664\u0660", "++640", ""})
        EXPECT_FALSE(width(bad)) << bad;
    const auto at = [](const char* v) { return Parse({"a.png", "-o", "b", "--at", v}).options; };
    EXPECT_EQ(at("-5,+7")->textX, -5);
    EXPECT_EQ(at("-5,+7")->textY, 7);
    EXPECT_FALSE(at("5,7.0"));
    EXPECT_FALSE(at("5,1234567890123"));
    const auto colour = [](const char* v) { return Parse({"a.png", "-o", "b", "--color", v}).options; };
    EXPECT_EQ(colour("#a0B1c2")->color, RGB(0xA0, 0xB1, 0xC2));
    EXPECT_EQ(colour("#A0B1C2\n")->color, RGB(0xA0, 0xB1, 0xC2));
    for (const char* bad : {"#A0B1C", "#A0B1C2D", "A0B1C2", "#A0B1G2", " #A0B1C2", "#A0B1C2 "})
        EXPECT_FALSE(colour(bad)) << bad;
}

TEST(CliOptions, OneWayOfSizingAtATime) {
    EXPECT_FALSE(Parse({"a.png", "-o", "b", "--width", "5", "--fit", "5x5"}).options);
    EXPECT_FALSE(Parse({"a.png", "-o", "b", "--long-edge", "5", "--fit", "5x5"}).options);
    EXPECT_FALSE(Parse({"a.png", "-o", "b", "--height", "5", "--long-edge", "5"}).options);
    const CliParse p = Parse({"a.png", "-o", "b", "--fit", "1920X1080", "--shrink-only"});
    ASSERT_TRUE(p.options) << p.error.toStdString();
    EXPECT_EQ(p.options->fitWidth, 1920);
    EXPECT_EQ(p.options->fitHeight, 1080);
    EXPECT_TRUE(p.options->shrinkOnly);
    EXPECT_EQ(Parse({"a.png", "-o", "b", "--long-edge", "800"}).options->longEdge, 800);
}

TEST(CliOptions, DoubleDashEndsTheOptions) {
    const CliParse p = Parse({"-o", "out/", "--", "-dash.png", "--force", "b.png"});
    ASSERT_TRUE(p.options) << p.error.toStdString();
    EXPECT_EQ(p.options->inputs, QStringList({"-dash.png", "--force", "b.png"}));
    EXPECT_FALSE(p.options->force);
}

TEST(CliOptions, AnUnknownDashWordIsAnOptionMistake) {
    // Even when a file of that name exists: a mistyped option must not turn
    // into an input. The message then says how to name the file.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    QFile file("-dash.png");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const CliParse p = Parse({"a.png", "-dash.png", "-o", "out"});
    const CliParse typo = Parse({"a.png", "--qualty", "5", "-o", "out"});
    QDir::setCurrent(previous);
    EXPECT_FALSE(p.options);
    EXPECT_TRUE(p.error.contains("-dash.png")) << p.error.toStdString();
    EXPECT_TRUE(p.error.contains("--")) << p.error.toStdString();
    EXPECT_TRUE(p.error.contains("./-dash.png")) << p.error.toStdString();
    EXPECT_FALSE(typo.options);
    EXPECT_TRUE(typo.error.contains("--qualty"));
    EXPECT_FALSE(typo.error.contains("./"));  // no file of that name: no hint
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
    EXPECT_FALSE(Parse({"a.png", "-o", ""}).options);                           // empty output
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
