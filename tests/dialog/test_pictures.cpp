#include "tests/dialog/test_pictures.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <cstdint>
#include <vector>

QString WritePng(const QString& folder, const QString& name, int width, int height, QColor color) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    const QString path = QDir(folder).filePath(name);
    image.save(path, "PNG");
    return path;
}

QColor AnimationColor(int frame) { return QColor(QColor::fromHsv((frame * 360 / 16) % 360, 255, 255).rgb()); }

namespace {

// LZW codes of a fixed 5-bit width (16 colours), packed least significant
// bit first. A clear code every few pixels keeps the table from growing
// past 5 bits, which every decoder accepts.
std::vector<std::uint8_t> EncodeSolidFrame(int pixels, int colorIndex) {
    constexpr int kClear = 16;
    constexpr int kEnd = 17;
    std::vector<std::uint8_t> bytes;
    std::uint32_t accumulator = 0;
    int bits = 0;
    const auto put = [&](int code) {
        accumulator |= static_cast<std::uint32_t>(code) << bits;
        bits += 5;
        while (bits >= 8) {
            bytes.push_back(static_cast<std::uint8_t>(accumulator & 0xFF));
            accumulator >>= 8;
            bits -= 8;
        }
    };
    for (int i = 0; i < pixels; ++i) {
        if (i % 10 == 0) put(kClear);
        put(colorIndex);
    }
    put(kEnd);
    if (bits > 0) bytes.push_back(static_cast<std::uint8_t>(accumulator & 0xFF));
    return bytes;
}

void Put16(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

}  // namespace

QString WriteAnimatedGif(const QString& folder, const QString& name, int frames, int width, int height) {
    QByteArray gif("GIF89a");
    Put16(gif, width);
    Put16(gif, height);
    gif.append(static_cast<char>(0xF3));  // a global table of 16 colours
    gif.append('\0');
    gif.append('\0');
    for (int i = 0; i < 16; ++i) {
        const QColor c = AnimationColor(i);
        gif.append(static_cast<char>(c.red()));
        gif.append(static_cast<char>(c.green()));
        gif.append(static_cast<char>(c.blue()));
    }
    for (int f = 0; f < frames; ++f) {
        gif.append(QByteArray::fromHex("21F904000A000000"));  // 0.1 s per frame
        gif.append(static_cast<char>(0x2C));
        Put16(gif, 0);
        Put16(gif, 0);
        Put16(gif, width);
        Put16(gif, height);
        gif.append('\0');
        gif.append(static_cast<char>(4));  // minimum code size
        const std::vector<std::uint8_t> data = EncodeSolidFrame(width * height, f);
        for (std::size_t at = 0; at < data.size(); at += 255) {
            const std::size_t n = std::min<std::size_t>(255, data.size() - at);
            gif.append(static_cast<char>(n));
            gif.append(reinterpret_cast<const char*>(data.data() + at), static_cast<qsizetype>(n));
        }
        gif.append('\0');
    }
    gif.append(static_cast<char>(0x3B));
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(gif);
    return path;
}
