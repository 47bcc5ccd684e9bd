#include "imaging/sandbox/worker_process.h"

#include "imaging/sandbox/channel.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>

extern char** environ;

namespace imaging::sandbox {
namespace {

constexpr const char* kProgramName = "tessaline-decoder";
constexpr const char* kLightProgramName = "tessaline-decoder-light";

QString ExecutableFolder() {
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

bool IsProgram(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// Beside the program, in the installed program folder (for a program in
// the bin folder), or in the build tree's decoder folder (for the window at
// the build tree's top and for programs one folder down).
QString FindBeside(const QString& folder, const QString& name) {
    const QDir here(folder);
    const QString candidates[] = {
        here.filePath(name),
        here.filePath(QStringLiteral(TESS_DECODER_FROM_BIN "/") + name),
        here.filePath(QStringLiteral("decoder/") + name),
        here.filePath(QStringLiteral("../decoder/") + name),
    };
    for (const QString& candidate : candidates)
        if (IsProgram(candidate)) return QDir::cleanPath(candidate);
    return {};
}

// The socket end the worker inherits is moved above the standard
// descriptors and kSocketFd, so that the dup2 onto it never meets itself.
UniqueFd Lifted(int fd) { return UniqueFd(::fcntl(fd, F_DUPFD_CLOEXEC, 10)); }

// The worker's environment: ours, and in a sanitizer build no leak check in
// the worker (LeakSanitizer stops the process with ptrace at exit, which the
// worker's filter forbids), and a segmentation fault left to end the worker
// by its signal, as in any other build.
std::vector<std::string> EnvironmentForWorker() {
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) env.emplace_back(*e);
#if defined(TESS_SANITIZED)
    bool found = false;
    for (std::string& entry : env) {
        if (entry.rfind("ASAN_OPTIONS=", 0) == 0) {
            entry += ":detect_leaks=0:handle_segv=0";
            found = true;
        }
    }
    if (!found) env.emplace_back("ASAN_OPTIONS=detect_leaks=0:handle_segv=0");
#endif
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

QString FindWorkerProgram(WorkerKind kind) {
    const QString light = QFile::decodeName(qgetenv("TESS_DECODER_LIGHT"));
    if (kind == WorkerKind::Light && !light.isEmpty()) return IsProgram(light) ? light : QString();
    const QString full = QFile::decodeName(qgetenv("TESS_DECODER"));
    if (!full.isEmpty()) {
        const QString beside = QFileInfo(full).dir().filePath(QLatin1String(kLightProgramName));
        if (kind == WorkerKind::Light && IsProgram(beside)) return beside;
        return IsProgram(full) ? full : QString();
    }
    return FindWorkerProgramIn(ExecutableFolder(), kind);
}

QString FindWorkerProgramIn(const QString& folder, WorkerKind kind) {
    if (kind == WorkerKind::Light) {
        const QString found = FindBeside(folder, QLatin1String(kLightProgramName));
        if (!found.isEmpty()) return found;
    }
    return FindBeside(folder, QLatin1String(kProgramName));
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
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return false;
    UniqueFd ours(ends[0]);
    const UniqueFd theirs = Lifted(ends[1]);
    ::close(ends[1]);
    if (!theirs.valid()) return false;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, theirs.get(), kSocketFd);
    std::vector<std::string> args = {QFile::encodeName(program).toStdString()};
    std::vector<std::string> env = EnvironmentForWorker();
    std::vector<char*> argv = Pointers(args);
    std::vector<char*> envp = Pointers(env);
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) return false;
    pid_ = pid;
    socket_ = std::move(ours);
    program_ = program;
    return true;
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
