#pragma once
// The program's command line:
//   tessaline [FILE]      start, and open FILE once the window is up
//   tessaline --help      print the usage and end
//   tessaline --version   print the version and end
// "--" ends the options, so a file whose name starts with "-" can be named.

#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString photo;  // the file to open; empty for none
    QString error;  // what was wrong, for Action::Error
};

// `arguments` excludes the program's own name.
CommandLine ParseCommandLine(const QStringList& arguments);

QString UsageText(const QString& programName);
QString VersionText(const QString& programName);
