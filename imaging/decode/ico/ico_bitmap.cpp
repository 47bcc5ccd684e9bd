#include "imaging/decode/ico/ico_bitmap.h"

#include "imaging/metafile/byte_reader.h"
#include "imaging/metafile/dib.h"

#include <QImage>

#include <cstring>
#include <optional>
#include <vector>

namespace imaging::decode::ico {
namespace {

constexpr std::uint32_t kBiRgb = 0, kBiBitfields = 3;

struct BitmapHeader {
    std::uint32_t headerSize = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;  // both images: colour rows and mask
    int bitCount = 0;
    std::uint32_t compression = kBiRgb;
    std::size_t tableEnd = 0;  // the header, masks and colour table
};

// Where the rows of one chosen size lie.
struct Layout {
    int width = 0;
    int height = 0;
    bool topDown = false;
    std::size_t colourStride = 0;
    std::size_t maskStride = 0;
    bool hasMask = false;
};

std::uint32_t Le32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::optional<BitmapHeader> ReadHeader(const std::uint8_t* data, std::size_t available) {
    BitmapHeader h;
    if (available < 40) return std::nullopt;
    h.headerSize = Le32(data);
    if (h.headerSize < 40 || h.headerSize > available) return std::nullopt;
    h.width = static_cast<std::int32_t>(Le32(data + 4));
    h.height = static_cast<std::int32_t>(Le32(data + 8));
    h.bitCount = data[14] | (data[15] << 8);
    h.compression = Le32(data + 16);
    const std::uint32_t colorsUsed = Le32(data + 32);
    const bool fields = h.compression == kBiBitfields && (h.bitCount == 16 || h.bitCount == 32);
    if (h.compression != kBiRgb && !fields) return std::nullopt;
    if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 16 && h.bitCount != 24 &&
        h.bitCount != 32)
        return std::nullopt;
    std::size_t entries = 0;
    if (h.bitCount <= 8) {
        entries = std::size_t{1} << h.bitCount;
        if (colorsUsed != 0 && colorsUsed < entries) entries = colorsUsed;
    }
    const std::size_t masks = h.compression == kBiBitfields && h.headerSize == 40 ? 12 : 0;
    h.tableEnd = h.headerSize + masks + entries * 4;
    if (h.tableEnd > available) return std::nullopt;
    return h;
}

// The rows of a width x height picture, when they lie within the file.
// The AND mask may be missing only where 32-bit pixels can give alpha.
std::optional<Layout> Fit(const BitmapHeader& h, std::int64_t width, std::int64_t height, bool topDown,
                          std::size_t available) {
    if (width <= 0 || height <= 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return std::nullopt;
    Layout l;
    l.width = static_cast<int>(width);
    l.height = static_cast<int>(height);
    l.topDown = topDown;
    const std::uint64_t colourStride = ((static_cast<std::uint64_t>(width) * h.bitCount + 31) / 32) * 4;
    const std::uint64_t maskStride = ((static_cast<std::uint64_t>(width) + 31) / 32) * 4;
    const std::uint64_t rowsEnd = h.tableEnd + colourStride * static_cast<std::uint64_t>(height);
    const std::uint64_t maskEnd = rowsEnd + maskStride * static_cast<std::uint64_t>(height);
    if (rowsEnd > available) return std::nullopt;
    l.hasMask = maskEnd <= available;
    if (!l.hasMask && h.bitCount != 32) return std::nullopt;
    l.colourStride = static_cast<std::size_t>(colourStride);
    l.maskStride = static_cast<std::size_t>(maskStride);
    return l;
}

std::optional<Layout> ChooseLayout(const BitmapHeader& h, const IcoEntry& entry, std::size_t available) {
    const std::int64_t stated = h.height < 0 ? -static_cast<std::int64_t>(h.height) : h.height;
    if (auto own = Fit(h, h.width, stated / 2, h.height < 0, available)) return own;
    return Fit(h, entry.width, entry.height, false, available);
}

Status CheckLimits(const Layout& l, const DecodeLimits& limits) {
    const std::int64_t pixels = static_cast<std::int64_t>(l.width) * l.height;
    if (l.width > limits.maxSide || l.height > limits.maxSide || pixels > limits.maxPixels ||
        pixels * 4 > limits.maxBytes)
        return Status::OutOfMemory;
    return Status::Ok;
}

// The colour rows through the bitmap reader, given a copy of the header
// that states the chosen size of one image.
std::optional<QImage> DecodeColours(const std::uint8_t* data, const BitmapHeader& h, const Layout& l,
                                    const DecodeLimits& limits) {
    std::vector<std::uint8_t> info(data, data + h.tableEnd);
    const std::int32_t width = l.width, height = l.topDown ? -l.height : l.height;
    std::memcpy(info.data() + 4, &width, 4);
    std::memcpy(info.data() + 8, &height, 4);
    metafile::DibRequest request;
    request.keepAlpha = h.bitCount == 32;
    request.maxPixels = limits.maxPixels;
    const metafile::ByteReader header(info.data(), info.size());
    const metafile::ByteReader rows(data + h.tableEnd, l.colourStride * static_cast<std::size_t>(l.height));
    std::optional<metafile::Dib> dib = metafile::DecodeDib(header, rows, request);
    if (!dib || dib->image.width() != l.width || dib->image.height() != l.height) return std::nullopt;
    return dib->image.convertToFormat(QImage::Format_ARGB32);
}

bool AnyAlpha(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(row[x]) != 0) return true;
    }
    return false;
}

// Row y (top first) of the AND mask, or null when there is none.
const std::uint8_t* MaskRow(const std::uint8_t* data, const BitmapHeader& h, const Layout& l, int y) {
    if (!l.hasMask) return nullptr;
    const std::size_t stored = static_cast<std::size_t>(l.topDown ? y : l.height - 1 - y);
    return data + h.tableEnd + l.colourStride * static_cast<std::size_t>(l.height) + l.maskStride * stored;
}

}  // namespace

Status MeasureIcoBitmap(const std::uint8_t* data, std::size_t available, const IcoEntry& entry, int& width,
                        int& height) {
    width = height = 0;
    const std::optional<BitmapHeader> header = ReadHeader(data, available);
    const std::optional<Layout> layout = header ? ChooseLayout(*header, entry, available) : std::nullopt;
    if (!layout) return Status::GenericError;
    width = layout->width;
    height = layout->height;
    return Status::Ok;
}

Status DecodeIcoBitmap(const std::uint8_t* data, std::size_t available, const IcoEntry& entry,
                       const DecodeLimits& limits, PixelBuffer& out) {
    out.Reset();
    const std::optional<BitmapHeader> header = ReadHeader(data, available);
    if (!header) return Status::GenericError;
    const std::optional<Layout> layout = ChooseLayout(*header, entry, available);
    if (!layout) return Status::GenericError;
    if (Status s = CheckLimits(*layout, limits); s != Status::Ok) return s;
    const std::optional<QImage> image = DecodeColours(data, *header, *layout, limits);
    if (!image) return Status::GenericError;
    // Pixels with alpha of their own keep it; otherwise the mask decides.
    const bool ownAlpha = header->bitCount == 32 && AnyAlpha(*image);
    if (!ownAlpha && !layout->hasMask) return Status::GenericError;
    if (!out.Allocate(layout->width, layout->height, PixelLayout::Rgba8)) return Status::OutOfMemory;
    for (int y = 0; y < layout->height; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(image->constScanLine(y));
        const std::uint8_t* mask = ownAlpha ? nullptr : MaskRow(data, *header, *layout, y);
        std::uint8_t* dst = out.row(y);
        for (int x = 0; x < layout->width; ++x, dst += 4) {
            dst[0] = static_cast<std::uint8_t>(qRed(src[x]));
            dst[1] = static_cast<std::uint8_t>(qGreen(src[x]));
            dst[2] = static_cast<std::uint8_t>(qBlue(src[x]));
            const bool masked = mask && ((mask[x >> 3] >> (7 - (x & 7))) & 1);
            dst[3] = ownAlpha ? static_cast<std::uint8_t>(qAlpha(src[x])) : masked ? 0 : 255;
        }
    }
    return Status::Ok;
}

}  // namespace imaging::decode::ico
