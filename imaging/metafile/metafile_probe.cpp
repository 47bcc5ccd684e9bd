// Metafile headers. A placeable WMF states its bounds in logical units and
// how many of them make an inch: the picture is that rectangle at 96 dots
// per inch. A standard WMF states no size, so its first window extent is
// taken, one unit a pixel. An EMF states its frame in hundredths of a
// millimetre and the size of its reference device in pixels and
// millimetres: the picture is the frame at the reference device's
// resolution.

#include "imaging/metafile/metafile_probe.h"

#include "imaging/metafile/byte_reader.h"
#include "imaging/metafile/record_types.h"

#include <cmath>

namespace imaging::metafile {

namespace {

constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"

bool IsStandardWmfHeader(ByteReader r) {
    const std::uint16_t type = r.U16();
    const std::uint16_t headerWords = r.U16();
    const std::uint16_t version = r.U16();
    return !r.failed() && (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

bool IsEmfHeader(ByteReader r) {
    const std::uint32_t type = r.U32();
    const std::uint32_t size = r.U32();
    r.Seek(40);
    const std::uint32_t signature = r.U32();
    return !r.failed() && type == RecordNumber(EmfRecord::EMR_HEADER) && size >= 88 && signature == kEmfSignature;
}

// Pixel size from a physical extent, refused when absurd (the caller then
// checks it against the decode limits).
bool PixelExtent(double value, int& out) {
    value = std::fabs(value);
    if (!std::isfinite(value) || value > 1e6) return false;
    out = std::max(1, static_cast<int>(std::lround(value)));
    return true;
}

// Walks the WMF records; false when one runs past the end of the file.
bool WalkWmf(ByteReader r, std::size_t first, QRectF* window) {
    r.Seek(first);
    QPointF org(0, 0);
    bool haveExt = false;
    while (r.remaining() >= 6) {
        const std::size_t start = r.position();
        const std::uint32_t words = r.U32();
        const std::uint16_t function = r.U16();
        if (words < 3 || words > r.size() / 2 || static_cast<std::size_t>(words) * 2 > r.size() - start) return false;
        if (function == RecordNumber(WmfRecord::META_EOF)) return true;
        if (window && !haveExt && function == RecordNumber(WmfRecord::META_SETWINDOWORG) && words >= 5) {
            const double y = r.I16(), x = r.I16();
            org = QPointF(x, y);
        } else if (window && !haveExt && function == RecordNumber(WmfRecord::META_SETWINDOWEXT) && words >= 5) {
            const double h = r.I16(), w = r.I16();
            if (w != 0 && h != 0) {
                *window = QRectF(org, QSizeF(w, h));
                haveExt = true;
            }
        }
        r.Seek(start + static_cast<std::size_t>(words) * 2);
    }
    return r.remaining() == 0 || r.remaining() < 6;
}

// Walks the EMF records; false when one runs past the end of the file.
// `plusOnly` tells of an EMF+ header that does not promise EMF records for
// the same drawing (a file only an EMF+ player could draw).
bool WalkEmf(ByteReader r, bool& plusOnly) {
    bool seenPlusHeader = false;
    while (r.remaining() >= 8) {
        const std::size_t start = r.position();
        const std::uint32_t type = r.U32();
        const std::uint32_t size = r.U32();
        if (size < 8 || size % 4 != 0 || size > r.size() - start) return false;
        if (type == RecordNumber(EmfRecord::EMR_EOF)) return true;
        if (type == RecordNumber(EmfRecord::EMR_GDICOMMENT) && !seenPlusHeader && size >= 20) {
            ByteReader comment = r.Slice(start, size);
            comment.Seek(12);
            const std::uint32_t identifier = comment.U32();
            const std::uint16_t plusType = comment.U16();
            const std::uint16_t plusFlags = comment.U16();
            if (!comment.failed() && identifier == 0x2B464D45 && plusType == 0x4001) {  // "EMF+", header
                seenPlusHeader = true;
                plusOnly = (plusFlags & 1) == 0;
            }
        }
        r.Seek(start + size);
    }
    return r.remaining() == 0;
}

std::optional<MetafileInfo> ProbeWmf(const QByteArray& file, Status& error) {
    ByteReader r = Reader(file);
    MetafileInfo info;
    double unitsPerInch = 96;
    QRectF bounds;
    if (r.U32() == kPlaceableKey) {
        r.U16();  // handle
        const double left = r.I16(), top = r.I16(), right = r.I16(), bottom = r.I16();
        unitsPerInch = r.U16();
        bounds = QRectF(QPointF(left, top), QPointF(right, bottom)).normalized();
        info.kind = MetafileKind::PlaceableWmf;
        info.firstRecord = 22;
        if (unitsPerInch <= 0) unitsPerInch = 1440;  // the usual twips when the field is blank
    } else {
        info.kind = MetafileKind::StandardWmf;
        info.firstRecord = 0;
    }
    ByteReader header = r.Slice(info.firstRecord, 18);
    if (!IsStandardWmfHeader(header)) return error = Status::UnknownImageFormat, std::nullopt;
    header.Seek(2);
    const std::size_t headerBytes = static_cast<std::size_t>(header.U16()) * 2;
    header.Seek(10);
    info.objectCount = header.U16();
    const std::size_t first = info.firstRecord + headerBytes;
    QRectF window;
    if (!WalkWmf(r, first, info.kind == MetafileKind::StandardWmf ? &window : nullptr))
        return error = Status::GenericError, std::nullopt;
    if (info.kind == MetafileKind::StandardWmf) {
        if (window.isNull()) return error = Status::GenericError, std::nullopt;
        bounds = window.normalized();
    }
    info.firstRecord = first;
    if (bounds.width() <= 0 || bounds.height() <= 0) return error = Status::GenericError, std::nullopt;
    if (!PixelExtent(bounds.width() * 96 / unitsPerInch, info.width) ||
        !PixelExtent(bounds.height() * 96 / unitsPerInch, info.height))
        return error = Status::ValueOverflow, std::nullopt;
    info.wmfBounds = bounds;
    info.dpiX = info.dpiY = 96;
    info.devicePixelsPerMm = QSizeF(unitsPerInch / 25.4, unitsPerInch / 25.4);
    info.deviceToBitmap = QTransform::fromTranslate(-bounds.left(), -bounds.top()) *
                          QTransform::fromScale(info.width / bounds.width(), info.height / bounds.height());
    return info;
}

std::optional<MetafileInfo> ProbeEmf(const QByteArray& file, Status& error) {
    ByteReader r = Reader(file);
    r.U32();
    const std::uint32_t headerSize = r.U32();
    const double bl = r.I32(), bt = r.I32(), br = r.I32(), bb = r.I32();
    const double fl = r.I32(), ft = r.I32(), fr = r.I32(), fb = r.I32();
    r.Seek(56);
    const std::uint32_t handles = r.U16();
    r.Seek(72);
    const double devW = r.I32(), devH = r.I32(), mmW = r.I32(), mmH = r.I32();
    double umW = 0, umH = 0;
    if (headerSize >= 108) {
        r.Seek(100);
        umW = r.I32();
        umH = r.I32();
    }
    if (r.failed() || headerSize > static_cast<std::uint32_t>(file.size())) return error = Status::GenericError, std::nullopt;
    bool plusOnly = false;
    if (!WalkEmf(Reader(file), plusOnly)) return error = Status::GenericError, std::nullopt;
    // Drawing such a file white would pass an empty picture off as the
    // real one: it is refused instead.
    if (plusOnly) return error = Status::NotImplemented, std::nullopt;

    MetafileInfo info;
    info.kind = MetafileKind::Emf;
    info.objectCount = handles;
    // Device pixels per millimetre; 96 dots per inch when the header is blank.
    double ppmmX = 96 / 25.4, ppmmY = 96 / 25.4;
    if (devW > 0 && devH > 0) {
        if (umW > 0 && umH > 0) ppmmX = devW / (umW / 1000), ppmmY = devH / (umH / 1000);
        else if (mmW > 0 && mmH > 0) ppmmX = devW / mmW, ppmmY = devH / mmH;
    }
    QRectF frame(QPointF(fl, ft), QPointF(fr, fb));  // hundredths of a millimetre
    if (!(fr > fl && fb > ft)) {
        if (!(br >= bl && bb >= bt)) return error = Status::GenericError, std::nullopt;
        frame = QRectF(QPointF(bl * 100 / ppmmX, bt * 100 / ppmmY), QPointF((br + 1) * 100 / ppmmX, (bb + 1) * 100 / ppmmY));
    }
    const QRectF frameDevice(QPointF(frame.left() * ppmmX / 100, frame.top() * ppmmY / 100),
                             QPointF(frame.right() * ppmmX / 100, frame.bottom() * ppmmY / 100));
    if (!PixelExtent(frameDevice.width(), info.width) || !PixelExtent(frameDevice.height(), info.height))
        return error = Status::ValueOverflow, std::nullopt;
    info.dpiX = static_cast<float>(ppmmX * 25.4);
    info.dpiY = static_cast<float>(ppmmY * 25.4);
    if (!std::isfinite(info.dpiX) || !std::isfinite(info.dpiY) || info.dpiX <= 0 || info.dpiY <= 0)
        return error = Status::GenericError, std::nullopt;
    info.devicePixelsPerMm = QSizeF(ppmmX, ppmmY);
    info.deviceToBitmap = QTransform::fromTranslate(-frameDevice.left(), -frameDevice.top()) *
                          QTransform::fromScale(info.width / std::max(frameDevice.width(), 1e-9),
                                                info.height / std::max(frameDevice.height(), 1e-9));
    info.firstRecord = 0;
    return info;
}

}  // namespace

bool LooksLikeMetafileBytes(const QByteArray& firstBytes) {
    ByteReader r = Reader(firstBytes);
    if (r.U32() == kPlaceableKey) return true;
    return IsStandardWmfHeader(Reader(firstBytes)) || IsEmfHeader(Reader(firstBytes));
}

std::optional<MetafileInfo> ProbeMetafile(const QByteArray& file, Status& error) {
    if (IsEmfHeader(Reader(file))) return ProbeEmf(file, error);
    ByteReader r = Reader(file);
    if (r.U32() == kPlaceableKey || IsStandardWmfHeader(Reader(file))) return ProbeWmf(file, error);
    error = Status::UnknownImageFormat;
    return std::nullopt;
}

}  // namespace imaging::metafile
