#include "imaging/sandbox/worker_process.h"

#include "imaging/sandbox/channel.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include <sys/wait.h>

namespace imaging::sandbox {

QString FindWorkerProgram(WorkerKind kind) {
    return QFile::decodeName(QByteArray::fromStdString(FindWorkerProgramFrom(ExecutableFolder(), kind)));
}

QString FindWorkerProgramIn(const QString& folder, WorkerKind kind) {
    const std::string found = sandbox::FindWorkerProgramIn(QFile::encodeName(folder).toStdString(), kind);
    return QFile::decodeName(QByteArray::fromStdString(found));
}

WorkerProcess::~WorkerProcess() {
    socket_.Reset();
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
    }
}

bool WorkerProcess::Spawn(const QString& program) {
    UniqueFd ours, theirs;
    if (!MakeWorkerSocket(ours, theirs)) return false;
    const pid_t pid = SpawnWorker(QFile::encodeName(program).toStdString(), theirs.get());
    if (pid <= 0) return false;
    pid_ = pid;
    socket_ = std::move(ours);
    program_ = program;
    return true;
}

void WorkerProcess::Adopt(pid_t pid, UniqueFd socket, const QString& program) {
    pid_ = pid;
    socket_ = std::move(socket);
    program_ = program;
}

bool WorkerProcess::Hand(int pictureFd, const WorkerArguments& arguments) {
    Job job;
    job.maxPixels = arguments.limits.maxPixels;
    job.maxBytes = arguments.limits.maxBytes;
    job.maxSide = arguments.limits.maxSide;
    job.threads = arguments.threads;
    return running() && Send(socket_.get(), job, pictureFd);
}

bool WorkerProcess::Start(const QString& program, int pictureFd, const WorkerArguments& arguments) {
    return Spawn(program) && Hand(pictureFd, arguments);
}

WorkerFailure WorkerProcess::Stop(Ending ending, int timeLimitMs) {
    socket_.Reset();
    if (pid_ <= 0) return {WorkerFailureKind::BrokenReply};
    int status = 0;
    pid_t done = 0;
    if (ending == Ending::SocketClosed) {
        // A worker whose socket closed is on its way out: give it a moment
        // to end by itself so its exit status tells why.
        for (int i = 0; i < 200 && done == 0; ++i) {
            done = ::waitpid(pid_, &status, WNOHANG);
            if (done == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    if (done <= 0) {
        ::kill(pid_, SIGKILL);
        while ((done = ::waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {}
    }
    pid_ = -1;
    if (ending == Ending::TimedOut) return {WorkerFailureKind::TimedOut, 0, (timeLimitMs + 999) / 1000};
    if (ending == Ending::Broken) return {WorkerFailureKind::BrokenReply};
    return Classify(status, timeLimitMs);
}

WorkerFailure WorkerProcess::Classify(int status, int timeLimitMs) const {
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        // The CPU limit ends a worker that spins between our watches.
        if (signal == SIGXCPU) return {WorkerFailureKind::TimedOut, 0, (timeLimitMs + 999) / 1000};
        return {WorkerFailureKind::Crashed, signal, 0};
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kExitOutOfMemory) return {WorkerFailureKind::OutOfMemory};
    return {WorkerFailureKind::BrokenReply};
}

}  // namespace imaging::sandbox
