#pragma once
// Telling picture formats apart by their first bytes. The router picks a
// decoder from this alone: a file's name says nothing about its content.

#include "imaging/core/status.h"

#include <QByteArray>
#include <QString>

namespace imaging::decode {

enum class FileKind {
    Jpeg,       // SOI marker
    Png,        // the PNG signature
    Gif,        // GIF87a or GIF89a
    Tiff,       // TIFF or BigTIFF: a plain TIFF or a TIFF-based camera RAW
    CameraRaw,  // a RAW container no other reader handles (CR2, CR3, RAF, ORF, RW2 ...)
    Metafile,   // WMF (placeable or standard) or EMF
    Heif,       // HEIF family by its ftyp brands: HEIC, HEIF, AVIF
    JpegXl,     // JPEG XL, bare codestream or ISO container
    Icon,       // ICO or CUR: a directory of PNG or bitmap entries
    CoreBitmap, // an OS/2 1.x BMP whose colour table is short (Qt misreads it)
    Other,      // left to Qt's readers, which decide from the content
};

// How many leading bytes SniffFileKind looks at (fewer is fine for short files).
constexpr int kSignatureBytes = 64;

FileKind SniffFileKind(const QByteArray& head);

// Reads up to `count` bytes from the start of the file. FileNotFound when the
// file does not exist or cannot be opened; Win32Error on a read error.
Status ReadFileHead(const QString& path, qint64 count, QByteArray& head);

// The first kSignatureBytes of a picture file, for the dispatchers:
// FileNotFound for a folder too, UnknownImageFormat for an empty file.
Status ReadPictureHead(const QString& path, QByteArray& head);

}  // namespace imaging::decode
