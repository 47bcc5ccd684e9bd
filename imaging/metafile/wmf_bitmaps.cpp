// WMF bitmap records: blits with a device-independent bitmap (DIBBITBLT,
// DIBSTRETCHBLT, STRETCHDIB, SETDIBTODEV), the same records without one
// (a pattern blit), PATBLT, and the old 16-bit pattern brush.

#include "imaging/metafile/dib.h"
#include "imaging/metafile/wmf_player.h"

namespace imaging::metafile {

using namespace gdi;

namespace {

QImage Crop(const QImage& image, const QRectF& source) {
    // Cut to the image before rounding, so no far-off value meets an int.
    const QRect inside = source.normalized().intersected(QRectF(image.rect())).toRect().intersected(image.rect());
    if (inside.isEmpty()) return QImage();
    return inside == image.rect() ? image : image.copy(inside);
}

}  // namespace

void WmfPlayer::PlayBitmap(WmfRecord record, std::uint32_t words, ByteReader& r) {
    using enum WmfRecord;
    // The high byte of the function is the size of the record's parameters
    // without a bitmap; a longer record carries one.
    const bool withBitmap = words != static_cast<std::uint32_t>((RecordNumber(record) >> 8) + 3);
    DibRequest request;
    request.palette = &device_.state().palette;
    switch (record) {
    case META_PATBLT: {
        const std::uint32_t rop = r.U32();
        const double h = r.I16(), w = r.I16(), y = r.I16(), x = r.I16();
        if (!r.failed()) device_.PatBlt(QRectF(x, y, w, h), rop);
        break;
    }
    case META_DIBBITBLT: case META_DIBSTRETCHBLT: PlayDibBlit(record, withBitmap, r, request); break;
    case META_STRETCHDIB: PlayStretchDib(r, request); break;
    case META_SETDIBTODEV: PlaySetDibToDev(r, request); break;
    case META_BITBLT: case META_STRETCHBLT: {  // with an old device bitmap
        // Only their pattern form (no bitmap) is played; the device bitmaps
        // of 16-bit Windows are not decoded.
        if (withBitmap) break;
        const std::uint32_t rop = r.U32();
        if (record == META_STRETCHBLT) r.Skip(4);
        r.Skip(6);
        const double h = r.I16(), w = r.I16(), y = r.I16(), x = r.I16();
        if (!r.failed()) device_.PatBlt(QRectF(x, y, w, h), rop);
        break;
    }
    default: break;  // unknown records are skipped
    }
}

// DIBBITBLT and DIBSTRETCHBLT; without a bitmap they are a pattern blit.
void WmfPlayer::PlayDibBlit(WmfRecord record, bool withBitmap, ByteReader& r, const DibRequest& request) {
    const std::uint32_t rop = r.U32();
    double srcH = 0, srcW = 0;
    if (record == WmfRecord::META_DIBSTRETCHBLT) {
        srcH = r.I16();
        srcW = r.I16();
    }
    const double ySrc = r.I16(), xSrc = r.I16();
    if (!withBitmap) r.I16();  // reserved
    const double h = r.I16(), w = r.I16(), y = r.I16(), x = r.I16();
    if (r.failed()) return;
    const QRectF dest(x, y, w, h);
    if (!withBitmap) {
        device_.PatBlt(dest, rop);
        return;
    }
    if (record == WmfRecord::META_DIBBITBLT) srcW = w, srcH = h;
    const std::optional<Dib> dib = DecodePackedDib(r.Slice(r.position(), r.remaining()), request);
    if (dib) device_.StretchImage(dest, Crop(dib->image, QRectF(xSrc, ySrc, srcW, srcH)), rop);
}

void WmfPlayer::PlayStretchDib(ByteReader& r, DibRequest request) {
    const std::uint32_t rop = r.U32();
    request.paletteIndices = r.U16() == DIB_PAL_COLORS;
    const double srcH = r.I16(), srcW = r.I16(), ySrc = r.I16(), xSrc = r.I16();
    const double h = r.I16(), w = r.I16(), y = r.I16(), x = r.I16();
    if (r.failed()) return;
    const std::optional<Dib> dib = DecodePackedDib(r.Slice(r.position(), r.remaining()), request);
    if (!dib) return;
    // A bottom-up bitmap counts its source y from the bottom row.
    const double top = dib->bottomUp ? dib->image.height() - ySrc - srcH : ySrc;
    device_.StretchImage(QRectF(x, y, w, h), Crop(dib->image, QRectF(xSrc, top, srcW, srcH)), rop);
}

void WmfPlayer::PlaySetDibToDev(ByteReader& r, DibRequest request) {
    request.paletteIndices = r.U16() == DIB_PAL_COLORS;
    r.U16();  // scan count
    r.U16();  // start scan
    const double ySrc = r.I16(), xSrc = r.I16(), h = r.I16(), w = r.I16(), y = r.I16(), x = r.I16();
    if (r.failed()) return;
    const std::optional<Dib> dib = DecodePackedDib(r.Slice(r.position(), r.remaining()), request);
    if (!dib) return;
    const double top = dib->bottomUp ? dib->image.height() - ySrc - h : ySrc;
    device_.StretchImage(QRectF(x, y, w, h), Crop(dib->image, QRectF(xSrc, top, w, h)), SRCCOPY);
}

void WmfPlayer::CreatePatternBrush16(ByteReader& r) {
    // A 16-bit bitmap header, 18 reserved bytes, then the pattern's rows.
    r.I16();  // type
    const int width = r.I16();
    const int height = r.I16();
    const int widthBytes = r.I16();
    const int planes = r.U8();
    const int bitsPixel = r.U8();
    r.Skip(18);
    Brush brush;
    brush.color = 0x808080;
    if (!r.failed() && planes == 1 && bitsPixel == 1 && width > 0 && height > 0 && width <= 256 && height <= 256 &&
        widthBytes * 8 >= width && r.Has(static_cast<std::size_t>(height), static_cast<std::size_t>(widthBytes))) {
        QImage pattern(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = r.data() + r.position() + static_cast<std::size_t>(y) * widthBytes;
            QRgb* line = reinterpret_cast<QRgb*>(pattern.scanLine(y));
            for (int x = 0; x < width; ++x) line[x] = ((row[x >> 3] >> (7 - (x & 7))) & 1) ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
        }
        brush.style = BS_PATTERN;
        brush.pattern = pattern;
        brush.monochrome = true;
    }
    Store(brush);
}

}  // namespace imaging::metafile
