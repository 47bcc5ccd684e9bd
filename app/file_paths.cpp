#include "app/file_paths.h"

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool FileExists(const QString& path) {
    if (path.isEmpty()) return false;
    const QByteArray native = QFile::encodeName(QString(path).replace(u'\\', u'/'));
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    const bool isFile = ::fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode);
    ::close(fd);
    return isFile;
}

qsizetype LastSeparator(const QString& path) {
    return std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
}

QString GetFolderOfPath(const QString& path) {
    const qsizetype i = LastSeparator(path);
    return i < 0 ? QString() : path.left(i + 1);
}

QString ResolveNameIgnoringCase(const QString& path) {
    const QString normal = QString(path).replace(u'\\', u'/');
    if (QFileInfo::exists(normal)) return normal;
    const qsizetype i = LastSeparator(normal);
    const QString folder = i < 0 ? QStringLiteral(".") : (i == 0 ? QStringLiteral("/") : normal.left(i));
    const QString name = normal.mid(i + 1);
    const QDir dir(folder);
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return i < 0 ? entry : normal.left(i + 1) + entry;
    }
    return normal;
}

QString ExecutablePath() { return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath(); }
