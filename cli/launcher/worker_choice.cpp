#include "cli/launcher/worker_choice.h"

#include "cli/launcher/option_words.h"
#include "imaging/decode/signatures.h"
#include "imaging/sandbox/unique_fd.h"

#include <array>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace launcher {
namespace {

using imaging::sandbox::WorkerKind;

// As many leading bytes as the worker's own check looks at.
constexpr std::size_t kHeadBytes = imaging::decode::kSignatureBytes;

}  // namespace

std::optional<std::string> OnlyInput(int argc, const char* const* argv) {
    std::optional<std::string> input;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (optionsEnded || a == "-" || !a.starts_with('-')) {
            if (input || a == "-") return std::nullopt;
            input = std::string(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if (OneOf(kWithValue, a)) {
            if (++i == argc) return std::nullopt;
        } else if (!OneOf(kAlone, a)) {
            return std::nullopt;
        }
    }
    return input;
}

WorkerKind WorkerKindForHead(const unsigned char* head, std::size_t size) {
    using imaging::decode::FileKind;
    const FileKind kind = imaging::decode::KindBySignature(head, size);
    const bool full = kind == FileKind::CameraRaw || kind == FileKind::Heif || kind == FileKind::JpegXl;
    return full ? WorkerKind::Full : WorkerKind::Light;
}

WorkerKind WorkerKindFor(int argc, const char* const* argv) {
    const std::optional<std::string> input = OnlyInput(argc, argv);
    if (!input) return WorkerKind::Light;
    // Non-blocking, so that a FIFO given as the input cannot hold us up.
    const imaging::sandbox::UniqueFd file(::open(input->c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file.valid()) return WorkerKind::Light;
    std::array<unsigned char, kHeadBytes> head{};
    ssize_t got = -1;
    do {
        got = ::read(file.get(), head.data(), head.size());
    } while (got < 0 && errno == EINTR);
    return got > 0 ? WorkerKindForHead(head.data(), static_cast<std::size_t>(got)) : WorkerKind::Light;
}

}  // namespace launcher
