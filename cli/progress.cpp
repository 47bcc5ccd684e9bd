#include "cli/progress.h"

#include <cstdio>

#include <unistd.h>

namespace {

void Print(std::FILE* stream, const QStringList& lines) {
    for (const QString& line : lines) std::fprintf(stream, "%s\n", line.toLocal8Bit().constData());
}

}  // namespace

Progress::Progress(int total) : total_(total), terminal_(total > 1 && ::isatty(STDERR_FILENO) == 1) {}

// The count is one line that each update rewrites; other lines first erase it.
void Progress::clearCount() {
    if (terminal_) std::fputs("\r\033[K", stderr);
}

void Progress::Report(const FileConversion& result) {
    const std::lock_guard lock(printing_);
    clearCount();
    Print(stdout, result.out);
    std::fflush(stdout);
    Print(stderr, result.err);
    ++(result.ok ? saved_ : failed_);
    if (terminal_) std::fprintf(stderr, "%d of %d done", saved_ + failed_, total_);
    std::fflush(stderr);
}

void Progress::Finish() {
    const std::lock_guard lock(printing_);
    clearCount();
    if (total_ > 1) std::fprintf(stderr, "%d saved, %d failed\n", saved_, failed_);
}
