#pragma once
// Finding and starting a decoding worker without Qt, so that the command
// line's launcher can start one before the converter itself (and Qt) is
// even loaded. worker_process.h builds on these.

#include "imaging/sandbox/unique_fd.h"

#include <string>

#include <sys/types.h>

namespace imaging::sandbox {

// The descriptor the worker finds its socket on.
constexpr int kSocketFd = 3;

// The full worker has every decoder; the light one starts faster and hands
// camera RAW, HEIF and JPEG XL pictures on to the full one.
enum class WorkerKind { Light, Full };

// The worker program: $TESS_DECODER_LIGHT for the light one when set;
// $TESS_DECODER for the full one when set, with tessaline-decoder-light
// beside it as the light one; else the search below from `programFolder`.
// Empty when none is found.
std::string FindWorkerProgramFrom(const std::string& programFolder, WorkerKind kind);
// tessaline-decoder(-light) in `folder`, in the installed program folder
// (for a program in the bin folder), or in the build tree's decoder folder
// (for the window at the build tree's top and for programs one folder
// down). Where there is no light worker, the full one serves for both.
std::string FindWorkerProgramIn(const std::string& folder, WorkerKind kind);

// `name` in `folder` or where FindWorkerProgramIn looks for a worker;
// empty when it is in none of those places.
std::string FindProgramBeside(const std::string& folder, const std::string& name);

// The folder of the running executable.
std::string ExecutableFolder();
// `path` is a file we may execute.
bool IsProgram(const std::string& path);

// A socket pair for a worker: our end, and the worker's, both closed on
// exec (the worker gets its end through a dup2 onto kSocketFd).
bool MakeWorkerSocket(UniqueFd& ours, UniqueFd& theirs);
// Starts `program` with `theirs` as its descriptor kSocketFd; its process
// id, or -1 when it could not be started.
pid_t SpawnWorker(const std::string& program, int theirs);

// A worker started by a launcher that then execs the program proper, which
// adopts it as a waiting worker: the launcher describes it in this
// environment variable as "pid descriptor program".
constexpr const char* kStartedWorkerVariable = "TESS_STARTED_WORKER";
std::string DescribeStartedWorker(pid_t pid, int socket, const std::string& program);
// False when `text` is not such a description.
bool ParseStartedWorker(const std::string& text, pid_t& pid, int& socket, std::string& program);

}  // namespace imaging::sandbox
