#include "cli/reasons.h"

#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <unistd.h>

namespace {

QString SystemWords(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

QString ReadProblem(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    errno = 0;
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(name.constData(), "rb"));
    if (!file) return SystemWords(errno ? errno : ENOENT);
    // A folder opens on Linux but cannot be read as a picture.
    if (QFileInfo(path).isDir()) return SystemWords(EISDIR);
    return {};
}

QString WriteProblem(const QString& path) {
    const QFileInfo target(path);
    if (target.isDir()) return SystemWords(EISDIR);
    const QByteArray folder = QFile::encodeName(target.absolutePath());
    // The folder must exist and take new files (the JPEG is written through a
    // temporary file beside the output).
    if (::access(folder.constData(), W_OK | X_OK) != 0) return SystemWords(errno);
    if (target.exists() && ::access(QFile::encodeName(path).constData(), W_OK) != 0) return SystemWords(errno);
    return {};
}

QString StatusReason(imaging::Status status) {
    using imaging::Status;
    switch (status) {
    case Status::Ok: return QStringLiteral("no error");
    case Status::InvalidParameter: return QStringLiteral("damaged or unsupported picture data, or no such frame");
    case Status::OutOfMemory: return QStringLiteral("too large for the memory limits");
    case Status::FileNotFound: return SystemWords(ENOENT);
    case Status::AccessDenied: return SystemWords(EACCES);
    case Status::UnknownImageFormat: return QStringLiteral("not a picture format this program reads");
    case Status::NotImplemented: return QStringLiteral("a kind of picture this program does not support");
    case Status::ValueOverflow: return QStringLiteral("sizes in the file are out of range");
    case Status::Aborted: return QStringLiteral("decoding was stopped");
    case Status::Win32Error: return QStringLiteral("a system call failed");
    case Status::GenericError: return QStringLiteral("the picture data could not be decoded");
    default: return QStringLiteral("error %1").arg(static_cast<int>(status));
    }
}

QString WorkerFailureReason(const imaging::sandbox::WorkerFailure& failure) {
    using imaging::sandbox::WorkerFailureKind;
    switch (failure.kind) {
    case WorkerFailureKind::None: break;
    case WorkerFailureKind::NotStarted: return QStringLiteral("the decoder program could not be started");
    case WorkerFailureKind::Crashed: return QStringLiteral("the decoder crashed (signal %1)").arg(failure.signal);
    case WorkerFailureKind::TimedOut: return QStringLiteral("the decoder took longer than %1 s").arg(failure.seconds);
    case WorkerFailureKind::OutOfMemory: return QStringLiteral("the picture needs more memory than allowed");
    case WorkerFailureKind::BrokenReply: return QStringLiteral("the decoder sent a reply that makes no sense");
    }
    return {};
}
