// The router's check: the fixed signatures (signatures.h), then the two
// kinds that need a look at their structure.
#include "imaging/decode/file_signature.h"

#include "imaging/decode/bmp/core_bitmap_header.h"
#include "imaging/decode/ico/ico_directory.h"

#include <QFile>
#include <QFileInfo>

namespace imaging::decode {

FileKind SniffFileKind(const QByteArray& bytes) {
    const FileKind kind =
        KindBySignature(reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
    if (kind != FileKind::Other) return kind;
    if (ico::LooksLikeIcoDirectory(bytes)) return FileKind::Icon;
    if (IsShortTableCoreBitmap(bytes)) return FileKind::CoreBitmap;
    return FileKind::Other;
}

Status ReadFileHead(const QString& path, qint64 count, QByteArray& head) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Status::FileNotFound;
    head = file.read(count);
    if (head.isNull() && file.error() != QFileDevice::NoError) return Status::Win32Error;
    return Status::Ok;
}

Status ReadPictureHead(const QString& path, QByteArray& head) {
    if (QFileInfo(path).isDir()) return Status::FileNotFound;
    if (Status s = ReadFileHead(path, kSignatureBytes, head); s != Status::Ok) return s;
    return head.isEmpty() ? Status::UnknownImageFormat : Status::Ok;
}

}  // namespace imaging::decode
