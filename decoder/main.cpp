// tessaline-decoder: decodes one picture for the program, in a process of
// its own that can do little besides. The program starts it with a socket
// as descriptor 3 and no arguments; the worker loads its libraries and
// waits. The program may start it before it knows the picture, so that this
// start-up overlaps with its own work. The picture then arrives over the
// socket as a read-only descriptor, with the decode limits and the thread
// count (a Job message); only then does the worker lock itself down.
#include "decoder/faults.h"
#include "decoder/lockdown.h"
#include "decoder/memory_handlers.h"
#include "decoder/preparation.h"
#include "decoder/serve.h"
#include "imaging/core/parallel.h"
#include "imaging/sandbox/channel.h"
#include "imaging/sandbox/protocol.h"

#include <optional>

#include <unistd.h>

namespace {

using namespace tessaline_decoder;
using namespace imaging::sandbox;

constexpr int kBadUse = 2;
constexpr int kNotConfined = 3;

bool Sensible(const Job& job) {
    return job.maxPixels > 0 && job.maxBytes > 0 && job.maxSide > 0 && job.maxSide <= 1'000'000 &&
           job.threads > 0 && job.threads <= 1024;
}

// Waits for the job and puts its picture at kPictureFd. Nothing when the
// program ended without handing one over (a spare worker it did not need).
std::optional<WorkerArguments> ReceiveJob() {
    Packet packet;
    if (ReceivePacket(kSocketFd, packet, -1) != Received::Ok) return std::nullopt;
    Job job;
    if (!Decode(packet, MessageType::Job, job) || !Sensible(job) || !packet.fd.valid()) return std::nullopt;
    if (packet.fd.get() != kPictureFd && ::dup2(packet.fd.get(), kPictureFd) != kPictureFd) return std::nullopt;
    if (packet.fd.get() == kPictureFd) (void)packet.fd.Release();
    WorkerArguments a;
    a.limits.maxPixels = job.maxPixels;
    a.limits.maxBytes = job.maxBytes;
    a.limits.maxSide = job.maxSide;
    a.threads = job.threads;
    return a;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 1) return kBadUse;
    // Nothing but the socket is inherited on purpose.
    ::close_range(kSocketFd + 1, ~0u, 0);
    InstallMemoryHandlers();
    const std::optional<WorkerArguments> arguments = ReceiveJob();
    if (!arguments) return 0;
    const QString picturePath = QStringLiteral("/proc/self/fd/%1").arg(kPictureFd);
    Preparation prepared = Prepare(argc, argv, kPictureFd, picturePath);
    LockdownReport report;
    if (!LockDown(kPictureFd, arguments->limits, prepared.readable, report)) return kNotConfined;
    RunFault(kSocketFd, report);
    imaging::SetWorkerLimit(arguments->threads);
    return Serve(kSocketFd, picturePath, arguments->limits);
}
