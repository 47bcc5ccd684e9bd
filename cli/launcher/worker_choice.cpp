#include "cli/launcher/worker_choice.h"

#include "imaging/sandbox/unique_fd.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

namespace launcher {
namespace {

using imaging::sandbox::WorkerKind;

// The converter's options that take the next word as their value, and
// those that stand alone (cli/cli_options.cpp).
constexpr std::array<std::string_view, 16> kWithValue = {
    "-o",     "--output", "--width", "--height", "--fit",       "--long-edge", "--quality", "--rotate",
    "--flip", "--frame",  "--text",  "--at",     "--font",      "--font-size", "--color",   "--jobs"};
constexpr std::array<std::string_view, 10> kAlone = {
    "--help",   "-h",      "--version",       "--shrink-only",    "--bold",
    "--italic", "--force", "--keep-location", "--strip-metadata", "--keep-profile"};

template <std::size_t N>
bool OneOf(const std::array<std::string_view, N>& words, std::string_view word) {
    for (std::string_view w : words)
        if (w == word) return true;
    return false;
}

bool StartsWith(const unsigned char* head, std::size_t size, std::size_t offset, std::string_view text) {
    return size >= offset + text.size() && std::memcmp(head + offset, text.data(), text.size()) == 0;
}

std::uint32_t Be32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// The signatures below are those of imaging/decode/file_signature.cpp,
// which the worker tells formats apart by.

// A RAW container no other reader handles. (A TIFF-based RAW is found out
// only by the light worker, from the TIFF directory.)
bool IsCameraRawContainer(const unsigned char* head, std::size_t size) {
    const auto at = [&](std::size_t offset, std::string_view text) { return StartsWith(head, size, offset, text); };
    using namespace std::string_view_literals;
    return (at(0, "II*\0"sv) && at(8, "CR"sv)) || at(0, "IIRO"sv) || at(0, "IIRS"sv) || at(0, "MMOR"sv) ||
           at(0, "IIU\0"sv) || at(4, "ftypcrx "sv) || at(0, "FUJIFILM"sv) || at(0, "II\x1a\0\0\0HEAPCCDR"sv) ||
           at(0, "\0MRM"sv) || at(0, "FOVb"sv) || at(0, "IIII"sv);
}

bool IsHeifBrand(const unsigned char* brand) {
    static constexpr std::array<std::string_view, 10> kBrands = {"heic", "heix", "hevc", "heim", "heis",
                                                                 "hevx", "mif1", "msf1", "avif", "avis"};
    for (std::string_view b : kBrands)
        if (std::memcmp(brand, b.data(), 4) == 0) return true;
    return false;
}

// An ftyp box naming a HEIF brand, as the major brand or a compatible one.
bool IsHeif(const unsigned char* head, std::size_t size) {
    if (size < 12 || !StartsWith(head, size, 4, "ftyp")) return false;
    const std::uint32_t boxSize = Be32(head);
    if (boxSize < 16) return false;
    if (IsHeifBrand(head + 8)) return true;
    const std::size_t end = std::min<std::size_t>(boxSize, size);
    for (std::size_t at = 16; at + 4 <= end; at += 4)
        if (IsHeifBrand(head + at)) return true;
    return false;
}

bool IsJpegXl(const unsigned char* head, std::size_t size) {
    using namespace std::string_view_literals;
    return StartsWith(head, size, 0, "\xFF\x0A"sv) || StartsWith(head, size, 0, "\0\0\0\x0CJXL \r\n\x87\n"sv);
}

// As many leading bytes as the worker's own check looks at.
constexpr std::size_t kHeadBytes = 64;

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
    const bool full = IsCameraRawContainer(head, size) || IsHeif(head, size) || IsJpegXl(head, size);
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
