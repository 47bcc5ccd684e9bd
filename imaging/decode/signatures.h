#pragma once
// The formats a file's first bytes name, without Qt: the router's check
// (file_signature.h) and the launcher's choice of worker both use it.

#include <cstddef>

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

// How many leading bytes the checks look at (fewer is fine for short files).
constexpr int kSignatureBytes = 64;

// The kind the fixed signatures name; Other for anything else (icons and
// short-table bitmaps need more than a signature: file_signature.h).
FileKind KindBySignature(const unsigned char* head, std::size_t size);

}  // namespace imaging::decode
