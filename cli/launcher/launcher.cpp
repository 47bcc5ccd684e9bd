// tessaline-convert: starts a decoding worker, then becomes the converter.
//
// The converter loads Qt and its GUI libraries, which takes longer than
// the worker's own start. This small program, without Qt, starts the
// worker first and then replaces itself (exec) with the converter proper,
// tessaline-convert-engine (or, for a command line with text, the one that
// draws text: engine_choice.h), which finds the worker waiting for its
// picture: both start at the same time instead of one after the other.
// The worker stays our child through the exec; the converter adopts it by
// the description left in the environment. It is the light worker, unless
// the only input is a picture the light one would hand on to the full one
// (worker_choice.h): then the full one is started straight away.
#include "cli/launcher/engine_choice.h"
#include "cli/launcher/worker_choice.h"
#include "imaging/sandbox/worker_start.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

using namespace imaging::sandbox;

// Help, the version and a call with nothing to convert need no worker.
bool WillDecode(int argc, char** argv) {
    if (argc < 2) return false;
    for (int i = 1; i < argc; ++i)
        for (const char* quick : {"--help", "-h", "--version"})
            if (std::strcmp(argv[i], quick) == 0) return false;
    return true;
}

// Starts the worker of `kind` (the light one when there is no full one),
// and describes it in the environment. Our end of its socket stays open
// across the exec.
void StartWorker(const std::string& converterFolder, WorkerKind kind) {
    std::string program = FindWorkerProgramFrom(converterFolder, kind);
    if (program.empty() && kind == WorkerKind::Full)
        program = FindWorkerProgramFrom(converterFolder, WorkerKind::Light);
    if (program.empty()) return;
    UniqueFd ours, theirs;
    if (!MakeWorkerSocket(ours, theirs)) return;
    const pid_t pid = SpawnWorker(program, theirs.get());
    if (pid <= 0) return;
    const int socket = ours.Release();
    ::fcntl(socket, F_SETFD, 0);
    ::setenv(kStartedWorkerVariable, DescribeStartedWorker(pid, socket, program).c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string converter = launcher::ConverterBeside(launcher::ConverterFor(argc, argv));
    if (converter.empty()) return 127;
    // A description inherited from elsewhere is not ours to pass on.
    ::unsetenv(kStartedWorkerVariable);
    if (WillDecode(argc, argv))
        StartWorker(std::filesystem::path(converter).parent_path().string(), launcher::WorkerKindFor(argc, argv));
    return launcher::RunConverter(converter, argv);
}
