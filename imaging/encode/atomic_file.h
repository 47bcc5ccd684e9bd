#pragma once
// A file written beside its target under a unique temporary name and moved
// over the target only when it is complete and on disk. Until then the
// target is untouched; a file that is not committed is removed.

#include "imaging/core/file_handle.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <memory>

namespace imaging {

class AtomicFile {
public:
    // Opens the temporary file; false when the target's folder is missing,
    // the target is a folder or cannot be written, or no file can be made.
    bool Open(const QString& target);
    std::FILE* stream() { return stream_.get(); }
    // Flushes, syncs and renames over the target. False (and nothing left
    // behind) when any of that fails.
    bool Commit();

    AtomicFile() = default;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

private:
    void Discard();

    FileHandle stream_;
    QByteArray target_;
    QByteArray temporary_;
};

}  // namespace imaging
