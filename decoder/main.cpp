// tessaline-decoder: decodes one picture for the program, in a process of
// its own that can do little besides. The program starts it with a socket
// as descriptor 3 and the picture, opened read-only, as descriptor 4; the
// arguments are the decode limits and the thread count:
//   tessaline-decoder MAX_PIXELS MAX_BYTES MAX_SIDE THREADS
#include "decoder/faults.h"
#include "decoder/lockdown.h"
#include "decoder/preparation.h"
#include "decoder/serve.h"
#include "imaging/core/parallel.h"
#include "imaging/sandbox/protocol.h"

#include <cstdlib>
#include <optional>
#include <string>

#include <unistd.h>

namespace {

using namespace tessaline_decoder;
using imaging::sandbox::kPictureFd;
using imaging::sandbox::kSocketFd;

constexpr int kBadUse = 2;
constexpr int kNotConfined = 3;

std::optional<long long> Number(const char* text) {
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (!text[0] || *end || value <= 0) return std::nullopt;
    return value;
}

std::optional<imaging::sandbox::WorkerArguments> Parse(int argc, char** argv) {
    if (argc != 5) return std::nullopt;
    const auto pixels = Number(argv[1]), bytes = Number(argv[2]), side = Number(argv[3]), threads = Number(argv[4]);
    if (!pixels || !bytes || !side || !threads || *side > 1'000'000 || *threads > 1024) return std::nullopt;
    imaging::sandbox::WorkerArguments a;
    a.limits.maxPixels = *pixels;
    a.limits.maxBytes = *bytes;
    a.limits.maxSide = static_cast<int>(*side);
    a.threads = static_cast<int>(*threads);
    return a;
}

}  // namespace

int main(int argc, char** argv) {
    const auto arguments = Parse(argc, argv);
    if (!arguments) return kBadUse;
    // Nothing but the socket and the picture is inherited on purpose.
    ::close_range(kPictureFd + 1, ~0u, 0);
    InstallMemoryHandlers();
    const QString picturePath = QStringLiteral("/proc/self/fd/%1").arg(kPictureFd);
    Preparation prepared = Prepare(argc, argv, kPictureFd, picturePath);
    LockdownReport report;
    if (!LockDown(kPictureFd, arguments->limits, prepared.readable, report)) return kNotConfined;
    RunFault(kSocketFd, report);
    imaging::SetWorkerLimit(arguments->threads);
    return Serve(kSocketFd, picturePath, arguments->limits);
}
