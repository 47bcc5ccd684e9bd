#pragma once
// Test pictures made by the tests themselves: JPEG files written with
// libjpeg (grey, RGB, CMYK, progressive, with an EXIF block or a JFIF
// density), GIF animations from a tiny GIF89a writer, and helpers to read
// pixels back and to damage files.

#include "imaging/core/picture_source.h"
#include "imaging/decode/open_picture_source.h"

#include <QByteArray>
#include <QFile>
#include <QSize>
#include <QString>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdint>
#include <functional>
#include <vector>

#include <jpeglib.h>

namespace decode_test {

struct Rgb {
    int r, g, b;
};

inline Rgb PixelAt(const imaging::PixelBuffer& p, int x, int y) {
    const std::uint8_t* q = p.row(y) + x * p.channels();
    return {q[0], q[1], q[2]};
}

inline int AlphaAt(const imaging::PixelBuffer& p, int x, int y) {
    return p.layout() == imaging::PixelLayout::Rgba8 ? p.row(y)[x * 4 + 3] : 255;
}

inline ::testing::AssertionResult Near(Rgb actual, Rgb expected, int tolerance) {
    if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << actual.r << "," << actual.g << "," << actual.b
                                         << ") expected (" << expected.r << "," << expected.g << ","
                                         << expected.b << ") within " << tolerance;
}

// The size a source states for frame `index` of its first dimension
// without decoding it; 0 x 0 when it cannot say.
inline QSize StatedSize(imaging::PictureSource& source, std::uint32_t index = 0) {
    int width = 0, height = 0;
    if (source.FrameSize(source.Dimensions()[0].id, index, width, height) != imaging::Status::Ok) return {};
    return {width, height};
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

// ---- JPEG ----

enum class JpegKind { Rgb, Grey, AdobeCmyk, AdobeYcck };

struct JpegOptions {
    JpegKind kind = JpegKind::Rgb;
    bool progressive = false;
    int quality = 95;
    int densityUnit = 0;  // JFIF: 0 none, 1 per inch, 2 per cm
    int xDensity = 1, yDensity = 1;
    QByteArray app1;  // written as an APP1 marker when not empty
    int lumaH = 2, lumaV = 2;  // the luma's sampling factors (chroma 1 x 1): 4:2:0 by default
    int restartRows = 0;       // a restart marker every so many MCU rows
};

// Writes a JPEG of the colours `colour(x, y)` gives.
inline bool WriteJpeg(const QString& path, int width, int height, const std::function<Rgb(int, int)>& colour,
                      const JpegOptions& options = {}) {
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file) return false;
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    const bool cmyk = options.kind == JpegKind::AdobeCmyk || options.kind == JpegKind::AdobeYcck;
    info.input_components = options.kind == JpegKind::Grey ? 1 : cmyk ? 4 : 3;
    info.in_color_space = options.kind == JpegKind::Grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    if (options.kind == JpegKind::AdobeYcck) jpeg_set_colorspace(&info, JCS_YCCK);
    jpeg_set_quality(&info, options.quality, TRUE);
    if (options.progressive) jpeg_simple_progression(&info);
    info.comp_info[0].h_samp_factor = options.lumaH;
    info.comp_info[0].v_samp_factor = options.lumaV;
    info.restart_in_rows = options.restartRows;
    info.write_JFIF_header = options.densityUnit != 0 || (options.app1.isEmpty() && !cmyk);
    info.density_unit = static_cast<UINT8>(options.densityUnit);
    info.X_density = static_cast<UINT16>(options.xDensity);
    info.Y_density = static_cast<UINT16>(options.yDensity);
    jpeg_start_compress(&info, TRUE);
    if (!options.app1.isEmpty())
        jpeg_write_marker(&info, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(options.app1.constData()),
                          static_cast<unsigned>(options.app1.size()));
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * info.input_components);
    while (info.next_scanline < info.image_height) {
        const int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < width; ++x) {
            const Rgb c = colour(x, y);
            JSAMPLE* p = row.data() + x * info.input_components;
            if (options.kind == JpegKind::Grey) {
                p[0] = static_cast<JSAMPLE>(c.r);
            } else if (cmyk) {
                // Adobe stores inks inverted: with no black ink, the stored
                // C, M, Y bytes equal R, G, B and K is 255.
                p[0] = static_cast<JSAMPLE>(c.r);
                p[1] = static_cast<JSAMPLE>(c.g);
                p[2] = static_cast<JSAMPLE>(c.b);
                p[3] = 255;
            } else {
                p[0] = static_cast<JSAMPLE>(c.r);
                p[1] = static_cast<JSAMPLE>(c.g);
                p[2] = static_cast<JSAMPLE>(c.b);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
    return true;
}

// An EXIF APP1 payload (little-endian TIFF) with IFD0 holding the
// orientation and, when xRes > 0, XResolution, YResolution and the unit.
inline QByteArray MakeExif(int orientation, int xRes = 0, int yRes = 0, int unit = 2) {
    QByteArray b("Exif\0\0", 6);
    auto u16 = [&](int v) { b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    auto u32 = [&](std::uint32_t v) { u16(int(v & 0xFFFF)); u16(int(v >> 16)); };
    b.append("II", 2);
    u16(42);
    u32(8);
    const int entries = xRes > 0 ? 4 : 1;
    u16(entries);
    const std::uint32_t dataStart = 8 + 2 + entries * 12 + 4;
    u16(274); u16(3); u32(1); u16(orientation); u16(0);
    if (xRes > 0) {
        u16(282); u16(5); u32(1); u32(dataStart);
        u16(283); u16(5); u32(1); u32(dataStart + 8);
        u16(296); u16(3); u32(1); u16(unit); u16(0);
    }
    u32(0);
    if (xRes > 0) {
        u32(static_cast<std::uint32_t>(xRes)); u32(1);
        u32(static_cast<std::uint32_t>(yRes)); u32(1);
    }
    return b;
}

// ---- GIF ----

struct GifFrame {
    int left = 0, top = 0, width = 0, height = 0;
    int disposal = 1;  // 1 keep, 2 restore to background, 3 restore to previous
    int transparentIndex = -1;
    std::vector<std::uint8_t> indices;  // width * height palette indices
};

// A GIF89a with a 256-entry global palette. The LZW stream sends a clear
// code often enough that the code width stays at 9 bits: valid, just not
// compressed.
inline QByteArray MakeGif(int width, int height, const std::vector<Rgb>& palette, const std::vector<GifFrame>& frames) {
    QByteArray b("GIF89a");
    auto u16 = [&](int v) { b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    u16(width);
    u16(height);
    b.append(char(0xF7)).append(char(0)).append(char(0));
    for (int i = 0; i < 256; ++i) {
        const Rgb c = i < int(palette.size()) ? palette[i] : Rgb{0, 0, 0};
        b.append(char(c.r)).append(char(c.g)).append(char(c.b));
    }
    for (const GifFrame& f : frames) {
        b.append("\x21\xF9\x04", 3);
        b.append(char((f.disposal << 2) | (f.transparentIndex >= 0 ? 1 : 0)));
        u16(10);
        b.append(char(f.transparentIndex >= 0 ? f.transparentIndex : 0)).append(char(0));
        b.append(char(0x2C));
        u16(f.left); u16(f.top); u16(f.width); u16(f.height);
        b.append(char(0));
        b.append(char(8));
        std::vector<std::uint8_t> data;
        std::uint32_t bits = 0;
        int count = 0;
        auto put = [&](int code) {
            bits |= static_cast<std::uint32_t>(code) << count;
            count += 9;
            while (count >= 8) { data.push_back(std::uint8_t(bits & 0xFF)); bits >>= 8; count -= 8; }
        };
        for (std::size_t i = 0; i < f.indices.size(); ++i) {
            if (i % 250 == 0) put(256);
            put(f.indices[i]);
        }
        put(257);
        if (count > 0) data.push_back(std::uint8_t(bits & 0xFF));
        for (std::size_t i = 0; i < data.size(); i += 255) {
            const std::size_t n = std::min<std::size_t>(255, data.size() - i);
            b.append(char(n));
            b.append(reinterpret_cast<const char*>(data.data() + i), int(n));
        }
        b.append(char(0));
    }
    b.append(char(0x3B));
    return b;
}

inline GifFrame SolidGifFrame(int left, int top, int width, int height, std::uint8_t index, int disposal = 1) {
    GifFrame f;
    f.left = left; f.top = top; f.width = width; f.height = height; f.disposal = disposal;
    f.indices.assign(static_cast<std::size_t>(width) * height, index);
    return f;
}

// Opens and decodes frame `index` of the first dimension.
inline imaging::Status OpenAndDecode(const QString& path, imaging::PixelBuffer& out, std::uint32_t index = 0) {
    std::unique_ptr<imaging::PictureSource> source;
    if (imaging::Status s = imaging::OpenPictureSource(path, imaging::DecodeLimits{}, source); s != imaging::Status::Ok)
        return s;
    return source->DecodeFrame(source->Dimensions()[0].id, index, out);
}

}  // namespace decode_test
