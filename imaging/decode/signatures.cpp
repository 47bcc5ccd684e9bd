// Signatures of the formats the router tells apart. Camera RAW formats that
// are TIFF underneath (DNG, NEF, ARW, PEF, SRW ...) are only recognised as
// TIFF here; the router asks the TIFF directory whether they are RAW.
#include "imaging/decode/signatures.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace imaging::decode {
namespace {

// The first bytes, zero-padded to a fixed size; `size` says how many are real.
struct Head {
    unsigned char bytes[kSignatureBytes] = {};
    int size = 0;
    Head(const unsigned char* head, std::size_t count)
        : size(static_cast<int>(std::min<std::size_t>(count, kSignatureBytes))) {
        if (size > 0) std::memcpy(bytes, head, static_cast<std::size_t>(size));
    }
    bool StartsWith(int offset, const char* text, int length) const {
        return size >= offset + length && std::memcmp(bytes + offset, text, static_cast<std::size_t>(length)) == 0;
    }
    std::uint32_t Le32(int offset) const {
        const unsigned char* p = bytes + offset;
        return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
    std::uint32_t Be32(int offset) const {
        const unsigned char* p = bytes + offset;
        return (static_cast<std::uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
    }
    std::uint16_t Le16(int offset) const {
        return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
    }
};

bool IsMetafile(const Head& b) {
    if (b.size >= 4 && b.Le32(0) == 0x9AC6CDD7u) return true;  // placeable WMF
    // EMF: the header record (type 1) carries the signature " EMF" at 40.
    if (b.size >= 44 && b.Le32(0) == 1 && b.Le32(40) == 0x464D4520u) return true;
    // Standard WMF: memory or disk metafile, 9-word header, version 1 or 3.
    if (b.size >= 6) {
        const std::uint16_t type = b.Le16(0), words = b.Le16(2), version = b.Le16(4);
        if ((type == 1 || type == 2) && words == 9 && (version == 0x0100 || version == 0x0300)) return true;
    }
    return false;
}

bool IsCameraRawContainer(const Head& b) {
    if (b.StartsWith(0, "II*\0", 4) && b.StartsWith(8, "CR", 2)) return true;  // CR2
    if (b.StartsWith(0, "IIRO", 4) || b.StartsWith(0, "IIRS", 4) || b.StartsWith(0, "MMOR", 4)) return true;  // ORF
    if (b.StartsWith(0, "IIU\0", 4)) return true;                  // RW2, RWL
    if (b.StartsWith(4, "ftypcrx ", 8)) return true;               // CR3
    if (b.StartsWith(0, "FUJIFILM", 8)) return true;               // RAF
    if (b.StartsWith(0, "II\x1a\0\0\0HEAPCCDR", 14)) return true;  // CRW
    if (b.StartsWith(0, "\0MRM", 4)) return true;                  // MRW
    if (b.StartsWith(0, "FOVb", 4)) return true;                   // X3F
    if (b.StartsWith(0, "IIII", 4)) return true;                   // IIQ
    return false;
}

bool IsTiff(const Head& b) {
    return b.StartsWith(0, "II*\0", 4) || b.StartsWith(0, "MM\0*", 4) || b.StartsWith(0, "II+\0", 4) ||
           b.StartsWith(0, "MM\0+", 4);
}

bool IsHeifBrand(const unsigned char* brand) {
    static constexpr const char* kBrands[] = {"heic", "heix", "hevc", "heim", "heis",
                                              "hevx", "mif1", "msf1", "avif", "avis"};
    for (const char* b : kBrands)
        if (std::memcmp(brand, b, 4) == 0) return true;
    return false;
}

// An ISO base media file whose ftyp box names a HEIF brand, as the major
// brand or among the compatible ones (a file may start with a brand of its
// own, such as "MiHE", and list "mif1" after it). Brands past the bytes we
// were given are not seen; real files list theirs within the first few dozen.
bool IsHeif(const Head& b) {
    if (!b.StartsWith(4, "ftyp", 4) || b.size < 12) return false;
    const std::uint32_t boxSize = b.Be32(0);
    if (boxSize < 16) return false;
    if (IsHeifBrand(b.bytes + 8)) return true;
    const int end = static_cast<int>(std::min<std::uint32_t>(boxSize, static_cast<std::uint32_t>(b.size)));
    for (int at = 16; at + 4 <= end; at += 4)
        if (IsHeifBrand(b.bytes + at)) return true;
    return false;
}

bool IsJpegXl(const Head& b) {
    return b.StartsWith(0, "\xFF\x0A", 2) || b.StartsWith(0, "\0\0\0\x0CJXL \r\n\x87\n", 12);
}

}  // namespace

FileKind KindBySignature(const unsigned char* bytes, std::size_t count) {
    const Head head(bytes, count);
    if (head.StartsWith(0, "\xFF\xD8\xFF", 3)) return FileKind::Jpeg;
    if (head.StartsWith(0, "\x89PNG\r\n\x1a\n", 8)) return FileKind::Png;
    if (head.StartsWith(0, "GIF87a", 6) || head.StartsWith(0, "GIF89a", 6)) return FileKind::Gif;
    if (IsCameraRawContainer(head)) return FileKind::CameraRaw;
    if (IsTiff(head)) return FileKind::Tiff;
    if (IsMetafile(head)) return FileKind::Metafile;
    if (IsHeif(head)) return FileKind::Heif;
    if (IsJpegXl(head)) return FileKind::JpegXl;
    return FileKind::Other;
}

}  // namespace imaging::decode
