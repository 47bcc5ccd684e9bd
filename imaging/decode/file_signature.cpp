// Signatures of the formats the router tells apart. Camera RAW formats that
// are TIFF underneath (DNG, NEF, ARW, PEF, SRW ...) are only recognised as
// TIFF here; the router asks the TIFF directory whether they are RAW.
#include "imaging/decode/file_signature.h"

#include <QFile>

#include <cstdint>
#include <cstring>

namespace imaging::decode {
namespace {

bool StartsWith(const QByteArray& bytes, int offset, const char* text, int length) {
    return bytes.size() >= offset + length && std::memcmp(bytes.constData() + offset, text, length) == 0;
}

std::uint32_t Le32(const QByteArray& b, int offset) {
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData()) + offset;
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t Le16(const QByteArray& b, int offset) {
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData()) + offset;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

bool IsMetafile(const QByteArray& b) {
    if (b.size() >= 4 && Le32(b, 0) == 0x9AC6CDD7u) return true;  // placeable WMF
    // EMF: the header record (type 1) carries the signature " EMF" at 40.
    if (b.size() >= 44 && Le32(b, 0) == 1 && Le32(b, 40) == 0x464D4520u) return true;
    // Standard WMF: memory or disk metafile, 9-word header, version 1 or 3.
    if (b.size() >= 6) {
        const std::uint16_t type = Le16(b, 0), words = Le16(b, 2), version = Le16(b, 4);
        if ((type == 1 || type == 2) && words == 9 && (version == 0x0100 || version == 0x0300)) return true;
    }
    return false;
}

bool IsCameraRawContainer(const QByteArray& b) {
    if (StartsWith(b, 0, "II*\0", 4) && StartsWith(b, 8, "CR", 2)) return true;  // CR2
    if (StartsWith(b, 0, "IIRO", 4) || StartsWith(b, 0, "IIRS", 4) || StartsWith(b, 0, "MMOR", 4)) return true;  // ORF
    if (StartsWith(b, 0, "IIU\0", 4)) return true;                        // RW2, RWL
    if (StartsWith(b, 4, "ftypcrx ", 8)) return true;                     // CR3
    if (StartsWith(b, 0, "FUJIFILM", 8)) return true;                     // RAF
    if (StartsWith(b, 0, "II\x1a\0\0\0HEAPCCDR", 14)) return true;        // CRW
    if (StartsWith(b, 0, "\0MRM", 4)) return true;                        // MRW
    if (StartsWith(b, 0, "FOVb", 4)) return true;                         // X3F
    if (StartsWith(b, 0, "IIII", 4)) return true;                         // IIQ
    return false;
}

bool IsTiff(const QByteArray& b) {
    return StartsWith(b, 0, "II*\0", 4) || StartsWith(b, 0, "MM\0*", 4) || StartsWith(b, 0, "II+\0", 4) ||
           StartsWith(b, 0, "MM\0+", 4);
}

}  // namespace

FileKind SniffFileKind(const QByteArray& head) {
    if (StartsWith(head, 0, "\xFF\xD8\xFF", 3)) return FileKind::Jpeg;
    if (IsCameraRawContainer(head)) return FileKind::CameraRaw;
    if (IsTiff(head)) return FileKind::Tiff;
    if (IsMetafile(head)) return FileKind::Metafile;
    return FileKind::Other;
}

Status ReadFileHead(const QString& path, qint64 count, QByteArray& head) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Status::FileNotFound;
    head = file.read(count);
    if (head.isNull() && file.error() != QFileDevice::NoError) return Status::Win32Error;
    return Status::Ok;
}

}  // namespace imaging::decode
