// tessaline-convert: the converter's pipeline for scripts. Every option and
// every output path is settled first; then several inputs convert side by
// side, each printing its own lines when it is done.
#include "cli/cli_options.h"
#include "cli/convert_one.h"
#include "cli/launcher/engine_choice.h"
#include "cli/output_plan.h"
#include "cli/progress.h"
#include "imaging/conversion/text_stamp.h"
#include "imaging/core/parallel.h"
#include "imaging/gdiplus/gdiplus.h"
#include "imaging/sandbox/spare_workers.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <memory>
#include <thread>


namespace {

constexpr int kUsageError = 2;

int Usage(const QString& message) {
    std::fprintf(stderr, "tessaline-convert: %s\n", message.toLocal8Bit().constData());
    return kUsageError;
}

// mkdir -p for an output folder; the system's reason when it fails.
bool CreateFolder(const QString& folder) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(folder.toStdString()), error);
    if (!error) return true;
    std::fprintf(stderr, "tessaline-convert: cannot create the folder %s: %s\n", folder.toLocal8Bit().constData(),
                 error.message().c_str());
    return false;
}

// Runs every input over `jobs` threads; the number that failed.
int ConvertAll(const CliOptions& options, const OutputPlan& plan, int jobs) {
    Progress progress(static_cast<int>(options.inputs.size()));
    imaging::ParallelFor(static_cast<int>(options.inputs.size()), 1, jobs, [&](int begin, int end) {
        for (int i = begin; i < end; ++i) progress.Report(ConvertOneFile(options, options.inputs[i], plan.outputs[i]));
    });
    progress.Finish();
    return progress.failed();
}

// Only text needs the GUI side of Qt, for its fonts: pictures, metafiles
// with text records of their own included, are drawn by the decoding
// worker. Without text the converter is a plain core application, with no
// platform plugin to load and no font configuration to read (Qt's font
// database reads it even when it is let go of at the end). The offscreen
// platform chosen in main draws text without any display.
std::unique_ptr<QCoreApplication> StartQt(bool needsFonts, int& argc, char** argv) {
    if (!needsFonts) return std::make_unique<QCoreApplication>(argc, argv);
    return imaging::ApplicationForText(argc, argv);
}

// Qt's GUI side, here or in a full decoding worker (which inherits our
// environment), wants a private runtime folder and, when the session names
// none, makes one in the temporary folder and leaves it behind. A script's
// converter leaves nothing behind: it lends Qt a folder of its own for the
// run, removed at the end. (The light worker the launcher may have started
// does not use Qt's GUI side.)
void LendRuntimeFolder(QTemporaryDir& runtimeFolder) {
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeFolder.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeFolder.path()));
}

}  // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const CliParse parse = ParseCommandLine(arguments);
    if (!parse.options) return Usage(parse.error + QStringLiteral(" (see --help)"));
    const CliOptions& options = *parse.options;
    // This converter draws no text (imaging/conversion/text_stamp.h): a line
    // with text goes to the one beside it that does, with the worker the
    // launcher started still described in the environment.
    if (!options.text.isEmpty() && !imaging::DrawsText()) {
        const std::string textConverter = launcher::ConverterBeside(launcher::kTextConverterName);
        return textConverter.empty() ? 127 : launcher::RunConverter(textConverter, argv);
    }
    // A worker the launcher started while this program loaded.
    imaging::sandbox::AdoptStartedWorker();
    // Headless by default: text is drawn without any display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (options.help) {
        std::fputs(UsageText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("tessaline-convert %s\n", TESS_VERSION);
        return 0;
    }
    const OutputPlan plan = PlanOutputs(options);
    if (!plan.error.isEmpty()) return Usage(plan.error);
    for (const QString& warning : plan.warnings) std::fprintf(stderr, "%s\n", warning.toLocal8Bit().constData());
    if (!plan.folderToCreate.isEmpty() && !CreateFolder(plan.folderToCreate)) return 1;
    QTemporaryDir runtimeFolder;
    LendRuntimeFolder(runtimeFolder);
    const int inputs = static_cast<int>(options.inputs.size());
    const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    const int jobs = std::clamp(options.jobs > 0 ? options.jobs : cores, 1, inputs);
    // The decoders start up while Qt does.
    imaging::sandbox::KeepSpareWorkers(jobs, inputs);
    const std::unique_ptr<QCoreApplication> app = StartQt(!options.text.isEmpty(), argc, argv);
    std::uintptr_t token = 0;
    const imaging::GdiplusStartupInput input;
    if (imaging::GdiplusStartup(&token, &input, nullptr) != imaging::Status::Ok) return 1;

    // Conversions side by side share the cores between them.
    imaging::SetWorkerLimit(std::max(1, cores / jobs));
    const int failed = ConvertAll(options, plan, jobs);
    imaging::GdiplusShutdown(token);
    return failed == 0 ? 0 : 1;
}
