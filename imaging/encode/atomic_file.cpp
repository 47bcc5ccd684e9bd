// Writing a file without ever leaving a partial one where the user looks.
#include "imaging/encode/atomic_file.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>


namespace imaging {

namespace {

// The process's file-creation mask, read once (reading it means setting it).
mode_t CreationMask() {
    static const mode_t mask = [] {
        const mode_t m = ::umask(022);
        ::umask(m);
        return m;
    }();
    return mask;
}

// Syncs the folder so the rename itself survives a crash.
void SyncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool AtomicFile::Open(const QString& target) {
    Discard();
    if (target.isEmpty()) return false;
    const QFileInfo info(target);
    target_ = QFile::encodeName(info.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    struct stat folderStat {};
    if (::stat(folder.constData(), &folderStat) != 0 || !S_ISDIR(folderStat.st_mode)) return false;
    // An existing target must be a file we may write: a read-only file is
    // not replaced behind its owner's back.
    mode_t mode = 0666 & ~CreationMask();
    struct stat targetStat {};
    if (::stat(target_.constData(), &targetStat) == 0) {
        if (S_ISDIR(targetStat.st_mode) || ::access(target_.constData(), W_OK) != 0) return false;
        mode = targetStat.st_mode & 07777;
    }
    // A hidden name beside the target, cut short enough to stay a valid name.
    QByteArray base = QFile::encodeName(info.fileName()).left(200);
    QByteArray pattern = folder + "/." + base + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return false;
    temporary_ = pattern;
    ::fchmod(fd, mode);
    stream_.reset(::fdopen(fd, "wb"));
    if (!stream_) {
        ::close(fd);
        Discard();
        return false;
    }
    return true;
}

bool AtomicFile::Commit() {
    if (!stream_) return false;
    std::FILE* f = stream_.get();
    bool ok = std::fflush(f) == 0 && !std::ferror(f) && ::fsync(::fileno(f)) == 0;
    // Closing reports the last write errors (some file systems only then).
    ok = (std::fclose(stream_.release()) == 0) && ok;
    if (ok) ok = ::rename(temporary_.constData(), target_.constData()) == 0;
    if (!ok) {
        Discard();
        return false;
    }
    temporary_.clear();
    SyncFolder(QFile::encodeName(QFileInfo(QFile::decodeName(target_)).absolutePath()));
    return true;
}

void AtomicFile::Discard() {
    stream_.reset();
    if (!temporary_.isEmpty()) ::unlink(temporary_.constData());
    temporary_.clear();
}

AtomicFile::~AtomicFile() { Discard(); }

}  // namespace imaging
