#include "decoder/faults.h"

#include "imaging/sandbox/channel.h"

#include <QByteArray>
#include <QList>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tessaline_decoder {
namespace {

// 0 when the call succeeded, else its errno.
int Outcome(int result) {
    const int error = result < 0 ? errno : 0;
    if (result >= 0) ::close(result);
    return error;
}

std::string Probe(const QList<QByteArray>& lines, const LockdownReport& report) {
    const QByteArray outside = lines.value(1);
    const QByteArray writable = lines.value(2);
    std::string text = "landlock=" + std::to_string(report.landlock ? 1 : 0);
    text += " picture=" + std::to_string(Outcome(::open("/proc/self/fd/4", O_RDONLY)));
    text += " read=" + std::to_string(Outcome(::open(outside.constData(), O_RDONLY)));
    text += " write=" + std::to_string(Outcome(::open(writable.constData(), O_WRONLY | O_CREAT, 0600)));
    text += " inet=" + std::to_string(Outcome(::socket(AF_INET, SOCK_STREAM, 0)));
    text += " unix=" + std::to_string(Outcome(::socket(AF_UNIX, SOCK_STREAM, 0)));
    char program[] = "/bin/true";
    char* const argv[] = {program, nullptr};
    char* const envp[] = {nullptr};
    text += " exec=" + std::to_string(Outcome(::execve(program, argv, envp)));
    return text;
}

QList<QByteArray> FaultLines() {
    QByteArray head(4096, '\0');
    const ssize_t got = ::pread(imaging::sandbox::kPictureFd, head.data(), static_cast<std::size_t>(head.size()), 0);
    head.resize(got > 0 ? static_cast<int>(got) : 0);
    if (!head.startsWith("FAULT:")) return {};
    return head.mid(6).split('\n');
}

}  // namespace

void RunFault(int socket, const LockdownReport& report) {
    const QList<QByteArray> lines = FaultLines();
    const QByteArray fault = lines.value(0).trimmed();
    if (fault == "crash") {
        std::raise(SIGSEGV);
    } else if (fault == "hang") {
        std::atomic<unsigned> spin{0};
        for (;;) spin.fetch_add(1, std::memory_order_relaxed);
    } else if (fault == "allocate") {
        std::vector<std::unique_ptr<char[]>> hoard;
        for (;;) hoard.push_back(std::make_unique_for_overwrite<char[]>(64u << 20));
    } else if (fault == "lie") {
        imaging::sandbox::OpenReply reply;
        reply.dimensionCount = 1000;
        imaging::sandbox::Send(socket, reply);
        ::_exit(0);
    } else if (fault == "probe") {
        const std::string text = Probe(lines, report);
        imaging::sandbox::SendPacket(socket, text.data(), text.size());
        ::_exit(0);
    }
}

}  // namespace tessaline_decoder
