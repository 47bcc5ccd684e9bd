#pragma once
// Telling picture formats apart by their first bytes. The router picks a
// decoder from this alone: a file's name says nothing about its content.

#include "imaging/core/status.h"
#include "imaging/decode/signatures.h"

#include <QByteArray>
#include <QString>

namespace imaging::decode {

FileKind SniffFileKind(const QByteArray& head);

// Reads up to `count` bytes from the start of the file. FileNotFound when the
// file does not exist or cannot be opened; Win32Error on a read error.
Status ReadFileHead(const QString& path, qint64 count, QByteArray& head);

// The first kSignatureBytes of a picture file, for the dispatchers:
// FileNotFound for a folder too, UnknownImageFormat for an empty file.
Status ReadPictureHead(const QString& path, QByteArray& head);

}  // namespace imaging::decode
