// What decoding needs, and nothing that reaches outside the process: no
// sockets, no exec, no ptrace, no fork, no signals to others, files opened
// for reading only (Landlock decides which). A call outside the list fails
// with EPERM rather than killing the worker, so that a library probing for
// something optional carries on.
#include "decoder/seccomp_filter.h"

#include <seccomp.h>

#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <sched.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace tessaline_decoder {
namespace {

struct FilterReleaser {
    void operator()(void* ctx) const { seccomp_release(ctx); }
};
using Filter = std::unique_ptr<void, FilterReleaser>;

// Reading, memory, threads, time, signals to itself, the socket and
// memfds it was given or makes.
constexpr int kAllowed[] = {
    SCMP_SYS(read), SCMP_SYS(readv), SCMP_SYS(pread64), SCMP_SYS(preadv), SCMP_SYS(write), SCMP_SYS(writev),
    SCMP_SYS(lseek), SCMP_SYS(close), SCMP_SYS(fstat), SCMP_SYS(newfstatat), SCMP_SYS(statx), SCMP_SYS(stat),
    SCMP_SYS(lstat), SCMP_SYS(fstatfs), SCMP_SYS(statfs), SCMP_SYS(getdents64), SCMP_SYS(readlink),
    SCMP_SYS(readlinkat), SCMP_SYS(access), SCMP_SYS(faccessat), SCMP_SYS(faccessat2), SCMP_SYS(getcwd),
    SCMP_SYS(fcntl), SCMP_SYS(dup), SCMP_SYS(dup3), SCMP_SYS(ftruncate), SCMP_SYS(memfd_create),
    SCMP_SYS(mmap), SCMP_SYS(munmap), SCMP_SYS(mremap), SCMP_SYS(mprotect), SCMP_SYS(madvise), SCMP_SYS(brk),
    SCMP_SYS(futex), SCMP_SYS(set_robust_list), SCMP_SYS(rseq), SCMP_SYS(membarrier),
    SCMP_SYS(sched_yield), SCMP_SYS(sched_getaffinity), SCMP_SYS(getrandom), SCMP_SYS(uname), SCMP_SYS(sysinfo),
    SCMP_SYS(rt_sigaction), SCMP_SYS(rt_sigprocmask), SCMP_SYS(rt_sigreturn), SCMP_SYS(sigaltstack),
    SCMP_SYS(restart_syscall), SCMP_SYS(getpid), SCMP_SYS(gettid), SCMP_SYS(getuid), SCMP_SYS(geteuid),
    SCMP_SYS(getgid), SCMP_SYS(getegid), SCMP_SYS(clock_gettime), SCMP_SYS(clock_getres),
    SCMP_SYS(clock_nanosleep), SCMP_SYS(nanosleep), SCMP_SYS(gettimeofday), SCMP_SYS(poll), SCMP_SYS(ppoll),
    SCMP_SYS(eventfd2), SCMP_SYS(sendmsg), SCMP_SYS(recvmsg), SCMP_SYS(exit), SCMP_SYS(exit_group),
};

// Flags that would write, create or truncate.
constexpr scmp_datum_t kWritingOpenFlags = O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND | __O_TMPFILE;

// libseccomp's SCMP_A* macros are C compound literals.
scmp_arg_cmp Arg(unsigned int index, scmp_compare op, scmp_datum_t a, scmp_datum_t b = 0) {
    return scmp_arg_cmp{index, op, a, b};
}

#if defined(TESS_SANITIZED)
// The sanitizers test whether memory is readable by writing it into a pipe;
// denied, every such check reads as a bad pointer.
constexpr int kSanitizerNeeds[] = {SCMP_SYS(pipe), SCMP_SYS(pipe2)};
#endif

bool AddRules(scmp_filter_ctx ctx) {
    for (int call : kAllowed)
        if (seccomp_rule_add(ctx, SCMP_ACT_ALLOW, call, 0) != 0) return false;
#if defined(TESS_SANITIZED)
    for (int call : kSanitizerNeeds)
        if (seccomp_rule_add(ctx, SCMP_ACT_ALLOW, call, 0) != 0) return false;
#endif
    const pid_t self = ::getpid();
    return
        // Files for reading only.
        seccomp_rule_add(ctx, SCMP_ACT_ALLOW, SCMP_SYS(openat), 1,
                         Arg(2, SCMP_CMP_MASKED_EQ, kWritingOpenFlags, 0)) == 0 &&
        seccomp_rule_add(ctx, SCMP_ACT_ALLOW, SCMP_SYS(open), 1,
                         Arg(1, SCMP_CMP_MASKED_EQ, kWritingOpenFlags, 0)) == 0 &&
        // Threads, never a new process; clone3 hides its flags in memory,
        // so glibc is told it is missing and falls back to clone.
        seccomp_rule_add(ctx, SCMP_ACT_ALLOW, SCMP_SYS(clone), 1,
                         Arg(0, SCMP_CMP_MASKED_EQ, CLONE_THREAD, CLONE_THREAD)) == 0 &&
        seccomp_rule_add(ctx, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0) == 0 &&
        // abort() signals itself.
        seccomp_rule_add(ctx, SCMP_ACT_ALLOW, SCMP_SYS(tgkill), 1, Arg(0, SCMP_CMP_EQ, static_cast<scmp_datum_t>(self))) == 0 &&
        // Reading limits (thread stacks), never setting them.
        seccomp_rule_add(ctx, SCMP_ACT_ALLOW, SCMP_SYS(prlimit64), 1, Arg(2, SCMP_CMP_EQ, 0)) == 0 &&
        seccomp_rule_add(ctx, SCMP_ACT_ALLOW, SCMP_SYS(getrlimit), 0) == 0 &&
        // Thread names.
        seccomp_rule_add(ctx, SCMP_ACT_ALLOW, SCMP_SYS(prctl), 1, Arg(0, SCMP_CMP_EQ, PR_SET_NAME)) == 0 &&
        seccomp_rule_add(ctx, SCMP_ACT_ALLOW, SCMP_SYS(prctl), 1, Arg(0, SCMP_CMP_EQ, PR_GET_NAME)) == 0;
}

}  // namespace

bool LoadSystemCallFilter() {
    const Filter ctx(seccomp_init(SCMP_ACT_ERRNO(EPERM)));
    if (!ctx) return false;
    // Threads Qt started before the lockdown get the same filter.
    if (seccomp_attr_set(ctx.get(), SCMP_FLTATR_CTL_TSYNC, 1) != 0) return false;
    return AddRules(ctx.get()) && seccomp_load(ctx.get()) == 0;
}

}  // namespace tessaline_decoder
