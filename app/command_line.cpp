#include "app/command_line.h"

#ifndef TESS_VERSION
#define TESS_VERSION "unknown"
#endif

namespace {

CommandLine Failure(const QString& error) {
    CommandLine line;
    line.action = CommandLine::Action::Error;
    line.error = error;
    return line;
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    CommandLine line;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        if (!optionsEnded && argument == QStringLiteral("--")) {
            optionsEnded = true;
            continue;
        }
        const bool isOption = !optionsEnded && argument.size() > 1 && argument.startsWith(u'-');
        if (isOption && (argument == QStringLiteral("--help") || argument == QStringLiteral("-h"))) {
            line.action = CommandLine::Action::Help;
            return line;
        }
        if (isOption && argument == QStringLiteral("--version")) {
            line.action = CommandLine::Action::Version;
            return line;
        }
        if (isOption) return Failure(QStringLiteral("unknown option %1").arg(argument));
        if (!line.photo.isEmpty()) return Failure(QStringLiteral("only one file can be opened"));
        line.photo = argument;
    }
    return line;
}

QString UsageText(const QString& programName) {
    return QStringLiteral(
               "Usage: %1 [FILE]\n"
               "Converts one photo at a time into a JPEG file, in a window.\n"
               "\n"
               "FILE is opened once the window is up, as if chosen with Open Photo.\n"
               "\n"
               "Options:\n"
               "  -h, --help     print this help and exit\n"
               "  --version      print the version and exit\n"
               "  --             end of options (for a FILE whose name starts with '-')\n"
               "\n"
               "For conversions from scripts, see tessaline-convert --help.\n")
        .arg(programName);
}

QString VersionText(const QString& programName) {
    return QStringLiteral("%1 %2\n").arg(programName, QStringLiteral(TESS_VERSION));
}
