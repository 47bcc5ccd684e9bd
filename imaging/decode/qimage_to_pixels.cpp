// Row converters from Qt's pixel formats. The formats Qt's readers produce
// most (32-bit RGB, 8-bit grey and palettes, 64-bit RGBA, 16-bit grey,
// floating point) are converted here row by row straight into the buffer;
// the rare rest goes through Qt's own conversion to an 8-bit format first.
#include "imaging/decode/qimage_to_pixels.h"

#include <QFloat16>
#include <QRgba64>

#include <algorithm>
#include <cstring>

namespace imaging::decode {
namespace {

inline std::uint8_t From16(unsigned v) { return static_cast<std::uint8_t>((v * 255u + 32767u) / 65535u); }

inline std::uint8_t FromUnitFloat(float v) {
    if (!(v > 0.0f)) return 0;  // also NaN
    if (v >= 1.0f) return 255;
    return static_cast<std::uint8_t>(v * 255.0f + 0.5f);
}

inline std::uint8_t Unpremultiply(unsigned c, unsigned a) {
    return a == 0 ? 0 : static_cast<std::uint8_t>(std::min(255u, (c * 255u + a / 2) / a));
}

// Writes one pixel of 8-bit channels into the row at x.
inline void Put(std::uint8_t* dst, int x, int n, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    std::uint8_t* p = dst + x * n;
    p[0] = r;
    p[1] = g;
    p[2] = b;
    if (n == 4) p[3] = a;
}

void ConvertRgb32Row(const QImage& img, int y, std::uint8_t* dst, int n) {
    const auto* src = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    const bool premultiplied = img.format() == QImage::Format_ARGB32_Premultiplied;
    for (int x = 0; x < img.width(); ++x) {
        const QRgb p = src[x];
        const unsigned a = n == 4 ? static_cast<unsigned>(qAlpha(p)) : 255u;
        if (premultiplied && a != 255)
            Put(dst, x, n, Unpremultiply(qRed(p), a), Unpremultiply(qGreen(p), a), Unpremultiply(qBlue(p), a), a);
        else
            Put(dst, x, n, qRed(p), qGreen(p), qBlue(p), a);
    }
}

void ConvertRgba64Row(const QImage& img, int y, std::uint8_t* dst, int n) {
    const auto* src = reinterpret_cast<const QRgba64*>(img.constScanLine(y));
    const bool premultiplied = img.format() == QImage::Format_RGBA64_Premultiplied;
    for (int x = 0; x < img.width(); ++x) {
        const QRgba64 p = premultiplied ? src[x].unpremultiplied() : src[x];
        Put(dst, x, n, From16(p.red()), From16(p.green()), From16(p.blue()), From16(n == 4 ? p.alpha() : 65535));
    }
}

template <typename Float>
void ConvertFloatRow(const QImage& img, int y, std::uint8_t* dst, int n, bool premultiplied) {
    const auto* src = reinterpret_cast<const Float*>(img.constScanLine(y));
    for (int x = 0; x < img.width(); ++x, src += 4) {
        const float a = n == 4 ? std::clamp(static_cast<float>(src[3]), 0.0f, 1.0f) : 1.0f;
        const float scale = premultiplied && a > 0.0f ? 1.0f / a : 1.0f;
        Put(dst, x, n, FromUnitFloat(static_cast<float>(src[0]) * scale),
            FromUnitFloat(static_cast<float>(src[1]) * scale), FromUnitFloat(static_cast<float>(src[2]) * scale),
            FromUnitFloat(a));
    }
}

void ConvertIndexedRow(const QImage& img, int y, std::uint8_t* dst, int n, const QList<QRgb>& table) {
    const std::uint8_t* src = img.constScanLine(y);
    for (int x = 0; x < img.width(); ++x) {
        const QRgb p = src[x] < table.size() ? table[src[x]] : qRgba(0, 0, 0, 255);
        Put(dst, x, n, qRed(p), qGreen(p), qBlue(p), qAlpha(p));
    }
}

void ConvertGreyRow(const QImage& img, int y, std::uint8_t* dst, int n) {
    if (img.format() == QImage::Format_Grayscale16) {
        const auto* src = reinterpret_cast<const std::uint16_t*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const std::uint8_t v = From16(src[x]);
            Put(dst, x, n, v, v, v, 255);
        }
    } else {
        const std::uint8_t* src = img.constScanLine(y);
        for (int x = 0; x < img.width(); ++x) Put(dst, x, n, src[x], src[x], src[x], 255);
    }
}

// Rows already in our memory order.
void CopyRow(const QImage& img, int y, std::uint8_t* dst, int n) {
    std::memcpy(dst, img.constScanLine(y), static_cast<std::size_t>(img.width()) * n);
}

}  // namespace

Status QImageToPixels(const QImage& image, const DecodeLimits& limits, PixelBuffer& out) {
    if (image.isNull()) return Status::GenericError;
    const bool alpha = image.hasAlphaChannel();
    const PixelLayout layout = alpha ? PixelLayout::Rgba8 : PixelLayout::Rgb8;
    const int n = BytesPerPixel(layout);
    const std::int64_t pixels = static_cast<std::int64_t>(image.width()) * image.height();
    if (pixels > limits.maxPixels || pixels * n > limits.maxBytes) return Status::OutOfMemory;

    QImage converted;  // only for the formats converted by Qt first
    const QImage* src = &image;
    const QImage::Format f = image.format();
    const bool handled =
        f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied ||
        f == QImage::Format_RGBA64 || f == QImage::Format_RGBX64 || f == QImage::Format_RGBA64_Premultiplied ||
        f == QImage::Format_RGBX16FPx4 || f == QImage::Format_RGBA16FPx4 ||
        f == QImage::Format_RGBA16FPx4_Premultiplied || f == QImage::Format_RGBX32FPx4 ||
        f == QImage::Format_RGBA32FPx4 || f == QImage::Format_RGBA32FPx4_Premultiplied ||
        f == QImage::Format_Indexed8 || f == QImage::Format_Grayscale8 || f == QImage::Format_Grayscale16 ||
        (f == QImage::Format_RGB888 && !alpha) || (f == QImage::Format_RGBA8888 && alpha);
    if (!handled) {
        converted = image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
        if (converted.isNull()) return Status::OutOfMemory;
        src = &converted;
    }
    if (!out.Allocate(src->width(), src->height(), layout)) return Status::OutOfMemory;

    const QImage::Format sf = src->format();
    const QList<QRgb> table = sf == QImage::Format_Indexed8 ? src->colorTable() : QList<QRgb>{};
    const bool premultipliedFloat =
        sf == QImage::Format_RGBA16FPx4_Premultiplied || sf == QImage::Format_RGBA32FPx4_Premultiplied;
    for (int y = 0; y < src->height(); ++y) {
        std::uint8_t* dst = out.row(y);
        switch (sf) {
            case QImage::Format_RGB32:
            case QImage::Format_ARGB32:
            case QImage::Format_ARGB32_Premultiplied: ConvertRgb32Row(*src, y, dst, n); break;
            case QImage::Format_RGBA64:
            case QImage::Format_RGBX64:
            case QImage::Format_RGBA64_Premultiplied: ConvertRgba64Row(*src, y, dst, n); break;
            case QImage::Format_RGBX16FPx4:
            case QImage::Format_RGBA16FPx4:
            case QImage::Format_RGBA16FPx4_Premultiplied:
                ConvertFloatRow<qfloat16>(*src, y, dst, n, premultipliedFloat);
                break;
            case QImage::Format_RGBX32FPx4:
            case QImage::Format_RGBA32FPx4:
            case QImage::Format_RGBA32FPx4_Premultiplied:
                ConvertFloatRow<float>(*src, y, dst, n, premultipliedFloat);
                break;
            case QImage::Format_Indexed8: ConvertIndexedRow(*src, y, dst, n, table); break;
            case QImage::Format_Grayscale8:
            case QImage::Format_Grayscale16: ConvertGreyRow(*src, y, dst, n); break;
            default: CopyRow(*src, y, dst, n); break;
        }
    }
    return Status::Ok;
}

}  // namespace imaging::decode
