// GIF: header, logical screen, optional global palette, then blocks:
// extensions (0x21, label, sub-blocks), images (0x2C, descriptor, optional
// local palette, LZW code size, sub-blocks) and the trailer (0x3B). An image
// counts as complete when its chain of sub-blocks ends inside the file.
// BMP: the pixel data starts at the file header's offset and, uncompressed,
// takes |height| rows of 4-byte aligned width * bits; compressed (RLE) data
// takes the info header's image size.
#include "imaging/decode/container_checks.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace imaging::decode {
namespace {

class ByteReader {
public:
    explicit ByteReader(QIODevice& device) : device_(device) { device_.seek(0); }
    bool Byte(std::uint8_t& v) {
        char c;
        if (!device_.getChar(&c)) return false;
        v = static_cast<std::uint8_t>(c);
        return true;
    }
    bool Skip(qint64 n) { return device_.pos() + n <= device_.size() && device_.seek(device_.pos() + n); }
    // Skips a chain of sub-blocks up to and including its zero terminator.
    bool SkipSubBlocks() {
        for (;;) {
            std::uint8_t length;
            if (!Byte(length)) return false;
            if (length == 0) return true;
            if (!Skip(length)) return false;
        }
    }

private:
    QIODevice& device_;
};

std::uint32_t Le(const unsigned char* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

}  // namespace

GifStructure ReadGifStructure(QIODevice& device) {
    GifStructure gif;
    unsigned char header[13];
    if (!device.seek(0) || device.read(reinterpret_cast<char*>(header), 13) != 13) return gif;
    if (std::memcmp(header, "GIF87a", 6) != 0 && std::memcmp(header, "GIF89a", 6) != 0) return gif;
    gif.valid = true;
    gif.canvas = QSize(static_cast<int>(Le(header + 6, 2)), static_cast<int>(Le(header + 8, 2)));
    ByteReader in(device);
    in.Skip(13);
    if ((header[10] & 0x80) && !in.Skip(3 << ((header[10] & 7) + 1))) return gif;
    for (;;) {
        std::uint8_t kind;
        if (!in.Byte(kind) || kind == 0x3B) return gif;
        if (kind == 0x21) {
            std::uint8_t label;
            if (!in.Byte(label) || !in.SkipSubBlocks()) return gif;
        } else if (kind == 0x2C) {
            unsigned char d[9];
            for (unsigned char& b : d)
                if (!in.Byte(b)) return gif;
            std::uint8_t codeSize;
            if ((d[8] & 0x80) && !in.Skip(3 << ((d[8] & 7) + 1))) return gif;
            if (!in.Byte(codeSize) || !in.SkipSubBlocks()) return gif;
            ++gif.completeFrames;
        } else {
            return gif;  // not a block a GIF can hold: the rest is damaged
        }
    }
}

bool BmpPixelDataComplete(QIODevice& device) {
    unsigned char h[14 + 40];
    if (!device.seek(0) || device.read(reinterpret_cast<char*>(h), sizeof h) != sizeof h) return true;
    if (h[0] != 'B' || h[1] != 'M') return true;
    const std::uint64_t dataOffset = Le(h + 10, 4);
    const std::uint32_t infoSize = Le(h + 14, 4);
    std::uint64_t width = 0, height = 0, bits = 0, compression = 0, imageSize = 0;
    if (infoSize == 12) {  // OS/2 1.x core header
        width = Le(h + 18, 2);
        height = Le(h + 20, 2);
        bits = Le(h + 24, 2);
    } else if (infoSize >= 40) {
        width = static_cast<std::uint64_t>(std::llabs(static_cast<std::int32_t>(Le(h + 18, 4))));
        height = static_cast<std::uint64_t>(std::llabs(static_cast<std::int32_t>(Le(h + 22, 4))));
        bits = Le(h + 28, 2);
        compression = Le(h + 30, 4);
        imageSize = Le(h + 34, 4);
    } else {
        return true;
    }
    const std::uint64_t fileSize = static_cast<std::uint64_t>(device.size());
    if (dataOffset > fileSize) return false;
    const std::uint64_t available = fileSize - dataOffset;
    if (compression != 0 && compression != 3 && compression != 6) return imageSize <= available;
    // Rows times height can pass 64 bits for absurd sizes: compare by division.
    const std::uint64_t rowBytes = (width * bits + 31) / 32 * 4;
    return height == 0 || rowBytes <= available / height;
}

}  // namespace imaging::decode
