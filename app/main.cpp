// Tessaline's entry point. --help and --version are answered before Qt is
// started, so they work without a display. Otherwise the Qt application,
// named after the executable (the settings location uses that name), then
// the application object, which opens the file named on the command line
// once the window is up.

#include "app/command_line.h"
#include "app/file_paths.h"
#include "app/tessaline_app.h"
#include "imaging/sandbox/spare_workers.h"
#include "resources/application_icon.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>
#include <optional>

namespace {

void Print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

QStringList ArgumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// Usage errors end the program with status 2, as most commands do.
constexpr int kUsageError = 2;

// Help and version are printed, a usage error is reported; each ends the
// program with its status. Nothing to answer for a run.
std::optional<int> Answer(const CommandLine& line, const QString& programName) {
    switch (line.action) {
    case CommandLine::Action::Help: Print(stdout, UsageText(programName)); return 0;
    case CommandLine::Action::Version: Print(stdout, VersionText(programName)); return 0;
    case CommandLine::Action::Error:
        Print(stderr, QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(programName, line.error));
        return kUsageError;
    case CommandLine::Action::Run: break;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    const QString programName = QStringLiteral("tessaline");
    // Help and version before Qt starts, so they need no display. A usage
    // error waits: the argument may be one of Qt's own options.
    const CommandLine early = ParseCommandLine(ArgumentsOf(argc, argv));
    if (early.action != CommandLine::Action::Error) {
        if (const std::optional<int> status = Answer(early, programName)) return *status;
    }

    QApplication application(argc, argv);
    // Qt has taken its own options (-platform, -style ...) out by now.
    const CommandLine line = ParseCommandLine(QApplication::arguments().mid(1));
    if (const std::optional<int> status = Answer(line, programName)) return *status;
    // A decoder waits for the first picture while the window comes up.
    imaging::sandbox::KeepSpareWorkers(1);

    QApplication::setApplicationName(QFileInfo(ExecutablePath()).completeBaseName());
    QApplication::setOrganizationName(QStringLiteral("KORVANE"));
    QApplication::setWindowIcon(ApplicationIcon());
    CTessalineApp app;
    app.InitInstance(line.photo);
    return 0;
}
