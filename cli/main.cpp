// tessaline-convert: the converter's pipeline for scripts. Several inputs
// convert side by side; each prints its own lines when it is done.
#include "cli/cli_options.h"
#include "cli/convert_one.h"
#include "imaging/gdiplus/gdiplus.h"
#include "imaging/core/parallel.h"

#include <QGuiApplication>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

namespace {

void Print(std::FILE* stream, const QStringList& lines) {
    for (const QString& line : lines) {
        const QByteArray bytes = line.toLocal8Bit();
        std::fprintf(stream, "%s\n", bytes.constData());
    }
}

// Runs every input over `jobs` threads; true when all were written.
bool ConvertAll(const CliOptions& options, int jobs) {
    std::mutex printing;
    std::atomic<bool> allOk{true};
    imaging::ParallelFor(static_cast<int>(options.inputs.size()), 1, jobs, [&](int begin, int end) {
        for (int i = begin; i < end; ++i) {
            const FileConversion r = ConvertOneFile(options, options.inputs[i]);
            const std::lock_guard lock(printing);
            Print(stdout, r.out);
            Print(stderr, r.err);
            std::fflush(stdout);
            if (!r.ok) allOk = false;
        }
    });
    return allOk;
}

}  // namespace

int main(int argc, char** argv) {
    // Headless by default: text is drawn without any display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const CliParse parse = ParseCommandLine(arguments);
    if (!parse.options) {
        std::fprintf(stderr, "tessaline-convert: %s\n%s", parse.error.toLocal8Bit().constData(),
                     "Try 'tessaline-convert --help'.\n");
        return 2;
    }
    const CliOptions& options = *parse.options;
    if (options.help) {
        std::fputs(UsageText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("tessaline-convert %s\n", TESS_VERSION);
        return 0;
    }
    Print(stderr, parse.warnings);
    // Fonts need the GUI side of Qt, and not only for --text: a metafile
    // may carry text records of its own. The offscreen platform chosen
    // above keeps this working without a display.
    const QGuiApplication app(argc, argv);
    std::uintptr_t token = 0;
    const imaging::GdiplusStartupInput input;
    if (imaging::GdiplusStartup(&token, &input, nullptr) != imaging::Status::Ok) return 1;

    const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    const int jobs = std::clamp(options.jobs > 0 ? options.jobs : cores, 1, static_cast<int>(options.inputs.size()));
    // Conversions side by side share the cores between them.
    imaging::SetWorkerLimit(std::max(1, cores / jobs));
    const bool ok = ConvertAll(options, jobs);
    imaging::GdiplusShutdown(token);
    return ok ? 0 : 1;
}
