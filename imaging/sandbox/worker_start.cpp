#include "imaging/sandbox/worker_start.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <unistd.h>

extern char** environ;

namespace imaging::sandbox {
namespace {

constexpr const char* kProgramName = "tessaline-decoder";
constexpr const char* kLightProgramName = "tessaline-decoder-light";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : std::string();
}

std::string Joined(const std::string& folder, const std::string& rest) {
    return (std::filesystem::path(folder) / rest).lexically_normal().string();
}

}  // namespace

std::string FindProgramBeside(const std::string& folder, const std::string& name) {
    const std::array<std::string, 4> candidates = {
        Joined(folder, name),
        Joined(folder, std::string(TESS_DECODER_FROM_BIN "/") + name),
        Joined(folder, "decoder/" + name),
        Joined(folder, "../decoder/" + name),
    };
    for (const std::string& candidate : candidates)
        if (IsProgram(candidate)) return candidate;
    return {};
}

namespace {

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

bool IsProgram(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

std::string ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.parent_path().string();
}

std::string FindWorkerProgramFrom(const std::string& programFolder, WorkerKind kind) {
    const std::string light = Environment("TESS_DECODER_LIGHT");
    if (kind == WorkerKind::Light && !light.empty()) return IsProgram(light) ? light : std::string();
    const std::string full = Environment("TESS_DECODER");
    if (!full.empty()) {
        const std::string beside = (std::filesystem::path(full).parent_path() / kLightProgramName).string();
        if (kind == WorkerKind::Light && IsProgram(beside)) return beside;
        return IsProgram(full) ? full : std::string();
    }
    return FindWorkerProgramIn(programFolder, kind);
}

std::string FindWorkerProgramIn(const std::string& folder, WorkerKind kind) {
    if (kind == WorkerKind::Light) {
        const std::string found = FindProgramBeside(folder, kLightProgramName);
        if (!found.empty()) return found;
    }
    return FindProgramBeside(folder, kProgramName);
}

bool MakeWorkerSocket(UniqueFd& ours, UniqueFd& theirs) {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return false;
    ours.Reset(ends[0]);
    // The worker's end is moved above the standard descriptors and
    // kSocketFd, so that the dup2 onto it never meets itself.
    theirs.Reset(::fcntl(ends[1], F_DUPFD_CLOEXEC, 10));
    ::close(ends[1]);
    return theirs.valid();
}

pid_t SpawnWorker(const std::string& program, int theirs) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, theirs, kSocketFd);
    std::vector<std::string> args = {program};
    std::vector<std::string> env = EnvironmentForWorker();
    std::vector<char*> argv = Pointers(args);
    std::vector<char*> envp = Pointers(env);
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

std::string DescribeStartedWorker(pid_t pid, int socket, const std::string& program) {
    return std::to_string(pid) + ' ' + std::to_string(socket) + ' ' + program;
}

bool ParseStartedWorker(const std::string& text, pid_t& pid, int& socket, std::string& program) {
    long long numbers[2] = {0, 0};
    std::size_t at = 0;
    for (long long& number : numbers) {
        const std::size_t end = text.find(' ', at);
        if (end == std::string::npos || end == at || end - at > 9) return false;
        for (std::size_t i = at; i < end; ++i) {
            if (text[i] < '0' || text[i] > '9') return false;
            number = number * 10 + (text[i] - '0');
        }
        at = end + 1;
    }
    program = text.substr(at);
    pid = static_cast<pid_t>(numbers[0]);
    socket = static_cast<int>(numbers[1]);
    return pid > 0 && !program.empty();
}

}  // namespace imaging::sandbox
