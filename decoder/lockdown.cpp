#include "decoder/lockdown.h"

#include "decoder/landlock.h"
#include "decoder/seccomp_filter.h"

#include <QLibraryInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cstdint>

#include <sys/prctl.h>
#include <sys/resource.h>

namespace tessaline_decoder {
namespace {

// CPU seconds over the worker's whole life: a backstop for a worker that
// spins while the program is not waiting for it. The program's own time
// limit ends a slow request long before.
constexpr rlim_t kCpuSeconds = 300;

// Lowers a limit; one the caller already set lower (ulimit -v, a test
// harness) is kept, since a process cannot raise its hard limit.
bool Limit(int resource, rlim_t soft, rlim_t hard) {
    rlimit current{};
    if (::getrlimit(resource, &current) == 0 && current.rlim_max != RLIM_INFINITY) {
        hard = std::min(hard, current.rlim_max);
        soft = std::min(soft, hard);
    }
    const rlimit value{soft, hard};
    return ::setrlimit(resource, &value) == 0;
}

// A frame, the decoder's working copies of it (a RAW decoder holds several)
// and the libraries' own mappings and thread arenas.
[[maybe_unused]] rlim_t AddressSpaceFor(const imaging::DecodeLimits& limits) {
    const std::uint64_t headroom = 1ull << 30;
    return static_cast<rlim_t>(3 * static_cast<std::uint64_t>(limits.maxBytes) + headroom);
}

bool SetResourceLimits(const imaging::DecodeLimits& limits) {
    bool ok = Limit(RLIMIT_CORE, 0, 0) && Limit(RLIMIT_CPU, kCpuSeconds, kCpuSeconds + 5);
#if !defined(TESS_SANITIZED)
    // AddressSanitizer reserves terabytes of address space for its shadow.
    ok = ok && Limit(RLIMIT_AS, AddressSpaceFor(limits), AddressSpaceFor(limits));
#else
    (void)limits;
#endif
    return ok;
}

std::string Home() { return QStandardPaths::writableLocation(QStandardPaths::HomeLocation).toStdString(); }

std::string XdgOr(const char* variable, const std::string& fallback) {
    const QByteArray value = qgetenv(variable);
    return value.isEmpty() ? fallback : value.toStdString();
}

}  // namespace

std::vector<std::string> ReadableFolders(bool fonts, bool qtReaders) {
    std::vector<std::string> folders;
    if (fonts) {
        const std::string home = Home();
        folders = {"/usr/share/fonts", "/usr/local/share/fonts", "/etc/fonts", "/var/cache/fontconfig",
                   "/usr/share/fontconfig", home + "/.fonts",
                   XdgOr("XDG_DATA_HOME", home + "/.local/share") + "/fonts",
                   XdgOr("XDG_CACHE_HOME", home + "/.cache") + "/fontconfig",
                   XdgOr("XDG_CONFIG_HOME", home + "/.config") + "/fontconfig",
                   QLibraryInfo::path(QLibraryInfo::LibrariesPath).toStdString() + "/fonts"};
    }
    if (qtReaders) {
        // A reader's plugin may load libraries of its own on first use.
        folders.push_back(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString() + "/imageformats");
        folders.push_back(QLibraryInfo::path(QLibraryInfo::LibrariesPath).toStdString());
        folders.push_back("/etc/ld.so.cache");
    }
    return folders;
}

bool LockDown(int pictureFd, const imaging::DecodeLimits& limits, const std::vector<std::string>& readable,
              LockdownReport& report) {
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || !SetResourceLimits(limits)) return false;
    const LandlockResult landlock = RestrictFiles(pictureFd, readable);
    if (landlock == LandlockResult::Failed) return false;
    report.landlock = landlock == LandlockResult::Enforced;
    return LoadSystemCallFilter();
}

}  // namespace tessaline_decoder
