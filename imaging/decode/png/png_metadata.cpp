#include "imaging/decode/png/png_metadata.h"

#include "imaging/decode/exif_payload.h"

#include <QFile>

#include <cstring>

#include <zlib.h>

namespace imaging::decode {
namespace {

// A profile's stated length above this is not believed (the text chunk
// holding it could not be read in any case: libpng's limit is the same);
// nor is an eXIf chunk read beyond it.
constexpr qsizetype kMaxRawProfileBytes = 64 * 1024 * 1024;

QByteArray TextOf(const png_text& text) {
    if (!text.text) return {};
    // iTXt chunks state their length in itxt_length, the others in text_length.
    const std::size_t length = text.compression >= PNG_ITXT_COMPRESSION_NONE ? text.itxt_length : text.text_length;
    return QByteArray(text.text, static_cast<qsizetype>(length));
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// The first of the keys that `texts` holds, in the order of `keys`.
QByteArray FindText(png_textp texts, int count, std::initializer_list<const char*> keys) {
    for (const char* key : keys)
        for (int i = 0; i < count; ++i)
            if (texts[i].key && std::strcmp(texts[i].key, key) == 0) return TextOf(texts[i]);
    return {};
}

std::vector<std::uint8_t> Bytes(const QByteArray& b) { return std::vector<std::uint8_t>(b.begin(), b.end()); }

std::uint32_t Be32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return (static_cast<std::uint32_t>(u[0]) << 24) | (u[1] << 16) | (u[2] << 8) | u[3];
}

// The chunk's type and data against the CRC that follows them.
bool CrcMatches(const QByteArray& typeAndData, const char* crc) {
    const uLong computed = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(typeAndData.constData()),
                                 static_cast<uInt>(typeAndData.size()));
    return computed == Be32(crc);
}

}  // namespace

QByteArray DecodeRawProfile(const QByteArray& text) {
    qsizetype at = 0;
    while (at < text.size() && text[at] == '\n') ++at;
    at = text.indexOf('\n', at);  // past the profile's name
    if (at < 0) return {};
    while (at < text.size() && IsSpace(text[at])) ++at;
    qsizetype length = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        length = length * 10 + (text[at] - '0');
        if (length > kMaxRawProfileBytes) return {};
    }
    if (length == 0) return {};
    QByteArray bytes;
    bytes.reserve(length);
    int high = -1;
    for (; at < text.size() && bytes.size() < length; ++at) {
        if (IsSpace(text[at])) continue;
        const int v = HexValue(text[at]);
        if (v < 0) return {};
        if (high < 0) {
            high = v;
        } else {
            bytes.append(static_cast<char>(high * 16 + v));
            high = -1;
        }
    }
    return bytes.size() == length ? bytes : QByteArray();
}

QByteArray ReadExifChunk(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    char header[8];
    for (qint64 at = 8; at + 12 <= file.size();) {
        if (!file.seek(at) || file.read(header, 8) != 8) return {};
        const std::uint32_t length = Be32(header);
        if (length > 0x7FFFFFFFu || at + 12 + static_cast<qint64>(length) > file.size()) return {};
        if (std::memcmp(header + 4, "IEND", 4) == 0) return {};
        if (std::memcmp(header + 4, "eXIf", 4) == 0) {
            if (length > static_cast<std::uint32_t>(kMaxRawProfileBytes)) return {};
            const QByteArray typeAndData = QByteArray(header + 4, 4) + file.read(length);
            char crc[4];
            if (typeAndData.size() != 4 + static_cast<qsizetype>(length) || file.read(crc, 4) != 4 ||
                !CrcMatches(typeAndData, crc))
                return {};
            return typeAndData.mid(4);
        }
        at += 12 + static_cast<qint64>(length);
    }
    return {};
}

PngBlocks ReadPngBlocks(png_structp png, png_infop info) {
    PngBlocks blocks;
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    if (png_get_iCCP(png, info, &name, &compression, &profile, &length) && profile && length > 0)
        blocks.iccProfile = QByteArray(reinterpret_cast<const char*>(profile), static_cast<qsizetype>(length));
    png_uint_32 count = 0;
    png_bytep data = nullptr;
    if (png_get_eXIf_1(png, info, &count, &data) && data && count > 0)
        blocks.exif = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));

    png_textp texts = nullptr;
    int textCount = 0;
    png_get_text(png, info, &texts, &textCount);
    if (blocks.iccProfile.isEmpty())
        blocks.iccProfile =
            DecodeRawProfile(FindText(texts, textCount, {"Raw profile type icc", "Raw profile type icm"}));
    if (blocks.exif.isEmpty()) blocks.exif = DecodeRawProfile(FindText(texts, textCount, {"Raw profile type exif"}));
    blocks.xmp = FindText(texts, textCount, {"XML:com.adobe.xmp"});
    if (blocks.xmp.isEmpty()) blocks.xmp = DecodeRawProfile(FindText(texts, textCount, {"Raw profile type xmp"}));
    return blocks;
}

PictureInfo PictureInfoFrom(const PngBlocks& blocks) {
    PictureInfo info;
    info.iccProfile = Bytes(blocks.iccProfile);
    info.exif = Bytes(TiffFromExifBlock(blocks.exif));
    info.xmp = Bytes(blocks.xmp);
    return info;
}

}  // namespace imaging::decode
