#include "imaging/decode/bmp/core_bitmap_header.h"

namespace imaging::decode {

std::uint32_t BmpLittleEndian(const QByteArray& b, int at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

bool IsShortTableCoreBitmap(const QByteArray& head) {
    if (head.size() < static_cast<int>(kBmpFileHeaderBytes + kBmpCoreHeaderBytes) || !head.startsWith("BM"))
        return false;
    if (BmpLittleEndian(head, 14, 4) != kBmpCoreHeaderBytes) return false;
    const std::uint32_t bitCount = BmpLittleEndian(head, 24, 2);
    if (bitCount != 1 && bitCount != 4 && bitCount != 8) return false;
    const std::uint32_t rows = BmpLittleEndian(head, 10, 4);
    const std::uint32_t tableEnd = kBmpFileHeaderBytes + kBmpCoreHeaderBytes + 3 * (1u << bitCount);
    return rows >= kBmpFileHeaderBytes + kBmpCoreHeaderBytes && rows < tableEnd;
}

}  // namespace imaging::decode
