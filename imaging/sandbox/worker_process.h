#pragma once
// Starting, watching and ending one decoding worker process.

#include "imaging/sandbox/protocol.h"
#include "imaging/sandbox/unique_fd.h"
#include "imaging/sandbox/worker_failure.h"

#include <QString>

#include <sys/types.h>

namespace imaging::sandbox {

// The worker program: $TESS_DECODER when set; else tessaline-decoder next
// to this executable, in the installed program folder (for a program in
// the bin folder), or in the build tree's decoder folder. Empty when none
// is found.
QString FindWorkerProgram();

class WorkerProcess {
public:
    WorkerProcess() = default;
    WorkerProcess(const WorkerProcess&) = delete;
    WorkerProcess& operator=(const WorkerProcess&) = delete;
    // Ends a worker still running (closing its socket is enough for an idle
    // one; a busy one is killed) and reaps it.
    ~WorkerProcess();

    // Starts `program` with the picture as its descriptor kPictureFd and one
    // end of a socket pair as kSocketFd.
    bool Start(const QString& program, int pictureFd, const WorkerArguments& arguments);
    int socket() const { return socket_.get(); }
    bool running() const { return pid_ > 0; }

    // Ends the worker and says why it failed: its socket closed or failed
    // (the exit status tells), the time ran out, or it broke the protocol.
    enum class Ending { SocketClosed, TimedOut, Broken };
    WorkerFailure Stop(Ending ending, int timeLimitMs);

private:
    // The worker's end, by its wait status: crashed, out of memory, or
    // broken (it exited on its own).
    WorkerFailure Classify(int waitStatus, int timeLimitMs) const;
    UniqueFd socket_;
    pid_t pid_ = -1;
};

}  // namespace imaging::sandbox
