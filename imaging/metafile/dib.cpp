// Decoding of the bitmaps inside metafile records: 1, 4, 8, 16, 24 and
// 32 bits per pixel, uncompressed, with bit fields, or run-length encoded
// (RLE8, RLE4), plus embedded JPEG/PNG. Rows are bottom-up unless the
// height is negative. Every row, colour table entry and run is checked
// against the bytes the record supplies.

#include "imaging/metafile/dib.h"

#include <bit>
#include <cstdlib>

namespace imaging::metafile {

namespace {

constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiJpeg = 4, kBiPng = 5;
constexpr std::uint32_t kBiAlphaBitfields = 6;

struct DibHeader {
    std::uint32_t headerSize = 0;
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t colorsUsed = 0;
    std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    std::size_t colorTableOffset = 0;
    bool coreHeader = false;
};

std::optional<DibHeader> ParseHeader(ByteReader r) {
    DibHeader h;
    h.headerSize = r.U32();
    if (h.headerSize == 12) {
        h.coreHeader = true;
        h.width = r.U16();
        h.height = r.U16();
        r.U16();  // planes
        h.bitCount = r.U16();
        h.colorTableOffset = 12;
    } else if (h.headerSize >= 40) {
        const std::int32_t w = r.I32();
        const std::int32_t hh = r.I32();
        r.U16();
        h.bitCount = r.U16();
        h.compression = r.U32();
        r.U32();  // image size
        r.U32();  // x pixels per metre
        r.U32();  // y pixels per metre
        h.colorsUsed = r.U32();
        r.U32();  // important colours
        if (w <= 0 || hh == 0 || hh == INT32_MIN) return std::nullopt;
        h.width = w;
        h.topDown = hh < 0;
        h.height = hh < 0 ? -hh : hh;
        h.colorTableOffset = h.headerSize;
        if (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
            // Masks follow a plain info header, or sit inside a V4/V5 header.
            for (int i = 0; i < (h.compression == kBiAlphaBitfields ? 4 : 3); ++i) h.masks[i] = r.U32();
            if (h.headerSize >= 56) h.masks[3] = r.U32();
            if (h.headerSize == 40) h.colorTableOffset += h.compression == kBiAlphaBitfields ? 16 : 12;
        }
    } else {
        return std::nullopt;
    }
    if (r.failed() || h.width <= 0 || h.height <= 0) return std::nullopt;
    switch (h.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    case 0: if (h.compression == kBiJpeg || h.compression == kBiPng) break; return std::nullopt;
    default: return std::nullopt;
    }
    return h;
}

std::vector<QRgb> ReadColorTable(const ByteReader& info, const DibHeader& h, const DibRequest& req) {
    std::vector<QRgb> table;
    if (h.bitCount > 8) return table;
    std::size_t count = std::size_t{1} << h.bitCount;
    if (h.colorsUsed != 0 && h.colorsUsed < count) count = h.colorsUsed;
    table.assign(std::size_t{1} << h.bitCount, qRgb(0, 0, 0));
    ByteReader r = info;
    r.Seek(h.colorTableOffset);
    for (std::size_t i = 0; i < count; ++i) {
        if (req.paletteIndices) {
            if (!r.Has(1, 2)) break;
            const std::uint16_t index = r.U16();
            if (req.palette && index < req.palette->size()) table[i] = (*req.palette)[index];
        } else {
            const std::size_t entry = h.coreHeader ? 3 : 4;
            if (!r.Has(1, entry)) break;
            const std::uint8_t b = r.U8(), g = r.U8(), rr = r.U8();
            if (!h.coreHeader) r.U8();
            table[i] = qRgb(rr, g, b);
        }
    }
    return table;
}

struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;
};

Channel MakeChannel(std::uint32_t mask) {
    Channel c;
    c.mask = mask;
    if (mask == 0) return c;
    c.shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    c.max = bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1u);
    return c;
}

int Extract(const Channel& c, std::uint32_t pixel, int fallback) {
    if (c.mask == 0 || c.max == 0) return fallback;
    const std::uint64_t v = (pixel & c.mask) >> c.shift;
    return static_cast<int>(v * 255u / c.max);
}

// Uncompressed rows into `image` (already sized and filled).
bool DecodeRows(const ByteReader& bits, const DibHeader& h, const std::vector<QRgb>& table, const DibRequest& req,
                QImage& image) {
    const std::size_t stride = ((static_cast<std::size_t>(h.width) * h.bitCount + 31) / 32) * 4;
    if (!bits.Has(static_cast<std::size_t>(h.height), stride)) return false;
    std::uint32_t m[4] = {h.masks[0], h.masks[1], h.masks[2], h.masks[3]};
    const bool fields = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
    if (!fields && h.bitCount == 16) m[0] = 0x7C00, m[1] = 0x03E0, m[2] = 0x001F, m[3] = 0;
    if (!fields && (h.bitCount == 32 || h.bitCount == 24)) m[0] = 0xFF0000, m[1] = 0xFF00, m[2] = 0xFF, m[3] = 0xFF000000;
    if (!req.keepAlpha) m[3] = 0;
    const Channel cr = MakeChannel(m[0]), cg = MakeChannel(m[1]), cb = MakeChannel(m[2]), ca = MakeChannel(m[3]);
    const std::uint8_t* base = bits.data();
    for (int y = 0; y < h.height; ++y) {
        const std::uint8_t* src = base + stride * static_cast<std::size_t>(y);
        QRgb* dst = reinterpret_cast<QRgb*>(image.scanLine(h.topDown ? y : h.height - 1 - y));
        for (int x = 0; x < h.width; ++x) {
            QRgb out;
            switch (h.bitCount) {
            case 1: out = table[(src[x >> 3] >> (7 - (x & 7))) & 1]; break;
            case 4: out = table[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]; break;
            case 8: out = table[src[x]]; break;
            case 24: out = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]); break;
            default: {
                std::uint32_t px;
                if (h.bitCount == 16) {
                    px = static_cast<std::uint32_t>(src[2 * x]) | (static_cast<std::uint32_t>(src[2 * x + 1]) << 8);
                } else {
                    px = static_cast<std::uint32_t>(src[4 * x]) | (static_cast<std::uint32_t>(src[4 * x + 1]) << 8) |
                         (static_cast<std::uint32_t>(src[4 * x + 2]) << 16) |
                         (static_cast<std::uint32_t>(src[4 * x + 3]) << 24);
                }
                out = qRgba(Extract(cr, px, 0), Extract(cg, px, 0), Extract(cb, px, 0), Extract(ca, px, 255));
                break;
            }
            }
            dst[x] = out;
        }
    }
    return true;
}

// Run-length encoded 8- or 4-bit rows. Pixels a run skips stay as filled.
bool DecodeRle(ByteReader r, const DibHeader& h, const std::vector<QRgb>& table, QImage& image) {
    const bool four = h.compression == kBiRle4;
    int x = 0, y = 0;  // y counts rows from the bottom
    auto put = [&](int index) {
        if (x < h.width && y < h.height)
            reinterpret_cast<QRgb*>(image.scanLine(h.height - 1 - y))[x] = table[static_cast<std::size_t>(index)];
        ++x;
    };
    while (r.remaining() >= 2 && y < h.height) {
        const int count = r.U8();
        const int value = r.U8();
        if (count > 0) {
            for (int i = 0; i < count; ++i) put(four ? ((i & 1) ? value & 15 : value >> 4) : value);
        } else if (value == 0) {
            x = 0, ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            x += r.U8();
            y += r.U8();
        } else {
            const int n = value;
            const std::size_t bytes = four ? (static_cast<std::size_t>(n) + 1) / 2 : static_cast<std::size_t>(n);
            if (!r.Has(1, bytes)) return false;
            std::uint8_t b = 0;
            for (int i = 0; i < n; ++i) {
                if (!four) {
                    put(r.U8());
                } else {
                    if ((i & 1) == 0) b = r.U8();
                    put((i & 1) ? b & 15 : b >> 4);
                }
            }
            if (bytes & 1) r.U8();  // runs are padded to 16 bits
        }
        if (r.failed()) return false;
    }
    return true;
}

}  // namespace

std::optional<Dib> DecodeDib(const ByteReader& info, const ByteReader& bits, const DibRequest& request) {
    const std::optional<DibHeader> header = ParseHeader(info);
    if (!header) return std::nullopt;
    const DibHeader& h = *header;
    if (h.compression == kBiJpeg || h.compression == kBiPng) {
        QImage embedded;
        if (!embedded.loadFromData(bits.data(), static_cast<int>(std::min<std::size_t>(bits.size(), INT32_MAX))))
            return std::nullopt;
        return Dib{embedded.convertToFormat(request.keepAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32), false};
    }
    if (static_cast<std::int64_t>(h.width) * h.height > request.maxPixels) return std::nullopt;
    const std::vector<QRgb> table = ReadColorTable(info, h, request);
    const bool alpha = request.keepAlpha && h.bitCount == 32;
    QImage image(h.width, h.height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull()) return std::nullopt;
    image.fill(alpha ? qRgba(0, 0, 0, 0) : qRgb(0, 0, 0));
    bool ok;
    if (h.compression == kBiRle8 || h.compression == kBiRle4) {
        if ((h.compression == kBiRle8 && h.bitCount != 8) || (h.compression == kBiRle4 && h.bitCount != 4))
            return std::nullopt;
        ok = DecodeRle(bits, h, table, image);
    } else if (h.compression == kBiRgb || h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
        if (h.compression != kBiRgb && h.bitCount != 16 && h.bitCount != 32) return std::nullopt;
        ok = DecodeRows(bits, h, table, request, image);
    } else {
        return std::nullopt;
    }
    if (!ok) return std::nullopt;
    return Dib{std::move(image), !h.topDown};
}

std::optional<Dib> DecodePackedDib(const ByteReader& packed, const DibRequest& request) {
    const std::optional<DibHeader> header = ParseHeader(packed);
    if (!header) return std::nullopt;
    std::size_t tableBytes = 0;
    if (header->bitCount <= 8 && header->bitCount > 0) {
        std::size_t count = std::size_t{1} << header->bitCount;
        if (header->colorsUsed != 0 && header->colorsUsed < count) count = header->colorsUsed;
        tableBytes = count * (request.paletteIndices ? 2 : header->coreHeader ? 3 : 4);
    } else if (header->colorsUsed != 0 && header->headerSize >= 40) {
        tableBytes = static_cast<std::size_t>(header->colorsUsed) * 4;  // optional table before true-colour rows
    }
    const std::size_t bitsOffset = header->colorTableOffset + tableBytes;
    if (bitsOffset > packed.size()) return std::nullopt;
    return DecodeDib(packed.Slice(0, bitsOffset), packed.Slice(bitsOffset, packed.size() - bitsOffset), request);
}

}  // namespace imaging::metafile
