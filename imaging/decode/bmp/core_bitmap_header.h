#pragma once
// The header test for BMP files with the old OS/2 1.x header whose colour
// table is shorter than the depth allows (core_bitmap_source.h). Apart from
// the decoder, so that recognising a file needs no image library.

#include <QByteArray>

#include <cstdint>

namespace imaging::decode {

constexpr std::uint32_t kBmpFileHeaderBytes = 14, kBmpCoreHeaderBytes = 12;

// The little-endian number of `bytes` bytes at `at`; the caller checked
// that they are there.
std::uint32_t BmpLittleEndian(const QByteArray& b, int at, int bytes);

// True when `head` (the file's first bytes) is such a BMP.
bool IsShortTableCoreBitmap(const QByteArray& head);

}  // namespace imaging::decode
