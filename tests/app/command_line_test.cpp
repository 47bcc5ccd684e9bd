// The program's command line: a file to open, help, version, and the
// mistakes that end the program before any window.

#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {
CommandLine Parse(std::initializer_list<const char*> arguments) {
    QStringList list;
    for (const char* a : arguments) list << QString::fromUtf8(a);
    return ParseCommandLine(list);
}
}  // namespace

TEST(CommandLine, NoArgumentsRunsWithNothingToOpen) {
    const CommandLine line = Parse({});
    EXPECT_EQ(line.action, CommandLine::Action::Run);
    EXPECT_TRUE(line.photo.isEmpty());
}

TEST(CommandLine, AFileIsOpenedAsGiven) {
    EXPECT_EQ(Parse({"/photos/sea.png"}).photo, QStringLiteral("/photos/sea.png"));
    EXPECT_EQ(Parse({"relative name.jpg"}).photo, QStringLiteral("relative name.jpg"));
    // A lone "-" is a name, not an option.
    EXPECT_EQ(Parse({"-"}).photo, QStringLiteral("-"));
}

TEST(CommandLine, HelpAndVersionWinWhereverTheyStand) {
    EXPECT_EQ(Parse({"--help"}).action, CommandLine::Action::Help);
    EXPECT_EQ(Parse({"-h"}).action, CommandLine::Action::Help);
    EXPECT_EQ(Parse({"photo.png", "--help"}).action, CommandLine::Action::Help);
    EXPECT_EQ(Parse({"--version"}).action, CommandLine::Action::Version);
    EXPECT_EQ(Parse({"photo.png", "--version"}).action, CommandLine::Action::Version);
}

TEST(CommandLine, DoubleDashMakesTheRestNames) {
    const CommandLine line = Parse({"--", "--help"});
    EXPECT_EQ(line.action, CommandLine::Action::Run);
    EXPECT_EQ(line.photo, QStringLiteral("--help"));
    EXPECT_EQ(Parse({"--", "-dash.png"}).photo, QStringLiteral("-dash.png"));
}

TEST(CommandLine, MistakesAreReported) {
    const CommandLine unknown = Parse({"--bogus"});
    EXPECT_EQ(unknown.action, CommandLine::Action::Error);
    EXPECT_TRUE(unknown.error.contains(QStringLiteral("--bogus")));
    EXPECT_EQ(Parse({"a.png", "b.png"}).action, CommandLine::Action::Error);
    EXPECT_EQ(Parse({"-x", "a.png"}).action, CommandLine::Action::Error);
}

TEST(CommandLine, TheTextsNameTheProgramAndItsVersion) {
    const QString usage = UsageText(QStringLiteral("tessaline"));
    EXPECT_TRUE(usage.startsWith(QStringLiteral("Usage: tessaline [FILE]")));
    for (const char* option : {"--help", "--version", "--"}) EXPECT_TRUE(usage.contains(QLatin1String(option))) << option;
    EXPECT_EQ(VersionText(QStringLiteral("tessaline")), QStringLiteral("tessaline " TESS_EXPECTED_VERSION "\n"));
}
