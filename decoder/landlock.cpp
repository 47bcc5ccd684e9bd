#include "decoder/landlock.h"

#include <linux/landlock.h>

#include <cerrno>
#include <cstdint>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// Rights of later Landlock versions, for older kernel headers; the values
// are part of the kernel's stable interface.
#ifndef LANDLOCK_ACCESS_FS_TRUNCATE
#define LANDLOCK_ACCESS_FS_TRUNCATE (1ULL << 14)
#endif
#ifndef LANDLOCK_ACCESS_FS_IOCTL_DEV
#define LANDLOCK_ACCESS_FS_IOCTL_DEV (1ULL << 15)
#endif
#ifndef LANDLOCK_ACCESS_NET_BIND_TCP
#define LANDLOCK_ACCESS_NET_BIND_TCP (1ULL << 0)
#define LANDLOCK_ACCESS_NET_CONNECT_TCP (1ULL << 1)
#endif
#ifndef LANDLOCK_SCOPE_SIGNAL
#define LANDLOCK_SCOPE_ABSTRACT_UNIX_SOCKET (1ULL << 0)
#define LANDLOCK_SCOPE_SIGNAL (1ULL << 1)
#endif

namespace tessaline_decoder {
namespace {

// Landlock has no glibc wrappers.
int CreateRuleset(const void* attr, std::size_t size, std::uint32_t flags) {
    return static_cast<int>(::syscall(SYS_landlock_create_ruleset, attr, size, flags));
}
int AddRule(int ruleset, const landlock_path_beneath_attr& rule) {
    return static_cast<int>(::syscall(SYS_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &rule, 0));
}
int RestrictSelf(int ruleset) { return static_cast<int>(::syscall(SYS_landlock_restrict_self, ruleset, 0)); }

// Every file-system right the kernel's Landlock version knows, so that all
// of them are denied unless a rule grants them.
std::uint64_t HandledFileRights(int abi) {
    std::uint64_t rights = LANDLOCK_ACCESS_FS_EXECUTE | LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_READ_FILE |
                           LANDLOCK_ACCESS_FS_READ_DIR | LANDLOCK_ACCESS_FS_REMOVE_DIR |
                           LANDLOCK_ACCESS_FS_REMOVE_FILE | LANDLOCK_ACCESS_FS_MAKE_CHAR |
                           LANDLOCK_ACCESS_FS_MAKE_DIR | LANDLOCK_ACCESS_FS_MAKE_REG | LANDLOCK_ACCESS_FS_MAKE_SOCK |
                           LANDLOCK_ACCESS_FS_MAKE_FIFO | LANDLOCK_ACCESS_FS_MAKE_BLOCK |
                           LANDLOCK_ACCESS_FS_MAKE_SYM;
    if (abi >= 2) rights |= LANDLOCK_ACCESS_FS_REFER;
    if (abi >= 3) rights |= LANDLOCK_ACCESS_FS_TRUNCATE;
    if (abi >= 5) rights |= LANDLOCK_ACCESS_FS_IOCTL_DEV;
    return rights;
}

// The attribute structure grew with the versions; the kernel takes the
// size of the one we fill.
struct RulesetAttr {
    std::uint64_t handled_access_fs;
    std::uint64_t handled_access_net;
    std::uint64_t scoped;
};

std::size_t AttrSize(int abi) {
    if (abi >= 6) return sizeof(RulesetAttr);
    if (abi >= 4) return 2 * sizeof(std::uint64_t);
    return sizeof(std::uint64_t);
}

RulesetAttr AttrFor(int abi) {
    RulesetAttr attr{HandledFileRights(abi), 0, 0};
    if (abi >= 4) attr.handled_access_net = LANDLOCK_ACCESS_NET_BIND_TCP | LANDLOCK_ACCESS_NET_CONNECT_TCP;
    if (abi >= 6) attr.scoped = LANDLOCK_SCOPE_ABSTRACT_UNIX_SOCKET | LANDLOCK_SCOPE_SIGNAL;
    return attr;
}

bool Allow(int ruleset, int fd, std::uint64_t rights) {
    const landlock_path_beneath_attr rule{rights, fd};
    return AddRule(ruleset, rule) == 0;
}

bool AllowPath(int ruleset, const std::string& path) {
    const int fd = ::open(path.c_str(), O_PATH | O_CLOEXEC);
    if (fd < 0) return true;  // absent here: nothing to allow
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0;
    if (ok) {
        const std::uint64_t rights = S_ISDIR(info.st_mode)
                                         ? LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_READ_DIR
                                         : LANDLOCK_ACCESS_FS_READ_FILE;
        ok = Allow(ruleset, fd, rights);
    }
    ::close(fd);
    return ok;
}

}  // namespace

LandlockResult RestrictFiles(int pictureFd, const std::vector<std::string>& readable) {
    const int abi = CreateRuleset(nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (abi < 1) return LandlockResult::Unavailable;
    const RulesetAttr attr = AttrFor(abi);
    const int ruleset = CreateRuleset(&attr, AttrSize(abi), 0);
    if (ruleset < 0) return LandlockResult::Failed;
    bool ok = Allow(ruleset, pictureFd, LANDLOCK_ACCESS_FS_READ_FILE);
    for (const std::string& path : readable) ok = ok && AllowPath(ruleset, path);
    ok = ok && ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && RestrictSelf(ruleset) == 0;
    ::close(ruleset);
    return ok ? LandlockResult::Enforced : LandlockResult::Failed;
}

}  // namespace tessaline_decoder
