#pragma once
// Starting, watching and ending one decoding worker process.

#include "imaging/sandbox/protocol.h"
#include "imaging/sandbox/unique_fd.h"
#include "imaging/sandbox/worker_start.h"
#include "imaging/sandbox/worker_failure.h"

#include <QString>

#include <sys/types.h>

namespace imaging::sandbox {

// The worker program, searched for from this executable's folder as
// FindWorkerProgramFrom (worker_start.h) says. Empty when none is found.
QString FindWorkerProgram(WorkerKind kind = WorkerKind::Full);
// The same search without the environment, for a program in `folder`.
QString FindWorkerProgramIn(const QString& folder, WorkerKind kind);

class WorkerProcess {
public:
    WorkerProcess() = default;
    WorkerProcess(const WorkerProcess&) = delete;
    WorkerProcess& operator=(const WorkerProcess&) = delete;
    // Ends a worker still running (closing its socket is enough for an idle
    // one; a busy one is killed) and reaps it.
    ~WorkerProcess();

    // Starts `program` with one end of a socket pair as its descriptor
    // kSocketFd. It loads its libraries and waits for Hand.
    bool Spawn(const QString& program);
    // Gives the started worker its picture and limits. False when the
    // worker is gone.
    bool Hand(int pictureFd, const WorkerArguments& arguments);
    // Takes over a worker of `program` that was started (spawned, not yet
    // handed a picture) by the process this one replaced through exec: it
    // is our child, and `socket` is our end of its socket.
    void Adopt(pid_t pid, UniqueFd socket, const QString& program);
    // Spawn and Hand at once.
    bool Start(const QString& program, int pictureFd, const WorkerArguments& arguments);
    const QString& program() const { return program_; }
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
    QString program_;
};

}  // namespace imaging::sandbox
