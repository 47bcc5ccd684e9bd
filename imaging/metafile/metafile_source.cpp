// The metafile picture source: the file is read once into memory and its
// header probed at open; each decode plays the records anew onto a white
// 32-bit image, which is then copied into an Rgb8 pixel buffer.

#include "imaging/metafile/metafile_source.h"

#include "imaging/core/single_dimension_source.h"
#include "imaging/metafile/emf_player.h"
#include "imaging/metafile/metafile_probe.h"
#include "imaging/metafile/wmf_player.h"

#include <QFile>
#include <QImage>

namespace imaging {

namespace {

using metafile::MetafileInfo;
using metafile::MetafileKind;

// Metafiles are small; a file far larger than any real one is refused
// before it is read into memory.
constexpr qint64 kMaxFileBytes = 512LL * 1024 * 1024;

bool WithinLimits(const MetafileInfo& info, const DecodeLimits& limits) {
    if (info.width > limits.maxSide || info.height > limits.maxSide) return false;
    const std::int64_t pixels = static_cast<std::int64_t>(info.width) * info.height;
    // The player draws on 4 bytes a pixel before the 3-byte copy is made.
    return pixels <= limits.maxPixels && pixels * 4 <= limits.maxBytes;
}

class MetafileSource final : public SingleDimensionSource {
public:
    MetafileSource(QByteArray bytes, const MetafileInfo& info, const DecodeLimits& limits)
        : SingleDimensionSource({FrameDimensionPage, 1}, info.dpiX, info.dpiY), bytes_(std::move(bytes)), info_(info),
          limits_(limits) {}

    Status DecodeFrame(const GUID& dimension, std::uint32_t index, PixelBuffer& out) override {
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        return Play(info_, out);
    }

    // A drawing has no fixed pixels: it is played straight at the size the
    // caller will shrink to, which is cheaper below the natural size and
    // sharper above it.
    Status DecodeFrameForSize(const GUID& dimension, std::uint32_t index, int minWidth, int minHeight,
                              PixelBuffer& out) override {
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        MetafileInfo sized = info_;
        if (minWidth > 0 && minHeight > 0) {
            sized.width = minWidth;
            sized.height = minHeight;
            if (!WithinLimits(sized, limits_)) return Status::ValueOverflow;
            sized.deviceToBitmap = info_.deviceToBitmap * QTransform::fromScale(static_cast<double>(minWidth) / info_.width,
                                                                               static_cast<double>(minHeight) / info_.height);
        }
        return Play(sized, out);
    }

private:
    Status Play(const MetafileInfo& info, PixelBuffer& out) const {
        QImage canvas(info.width, info.height, QImage::Format_RGB32);
        if (canvas.isNull()) return Status::OutOfMemory;
        canvas.fill(Qt::white);
        const Status played = info.kind == MetafileKind::Emf ? metafile::PlayEmf(bytes_, info, canvas)
                                                             : metafile::PlayWmf(bytes_, info, canvas);
        if (played != Status::Ok) return played;
        if (!out.Allocate(info.width, info.height, PixelLayout::Rgb8)) return Status::OutOfMemory;
        for (int y = 0; y < info.height; ++y) {
            const QRgb* src = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
            std::uint8_t* dst = out.row(y);
            for (int x = 0; x < info.width; ++x) {
                dst[3 * x] = static_cast<std::uint8_t>(qRed(src[x]));
                dst[3 * x + 1] = static_cast<std::uint8_t>(qGreen(src[x]));
                dst[3 * x + 2] = static_cast<std::uint8_t>(qBlue(src[x]));
            }
        }
        return Status::Ok;
    }

    QByteArray bytes_;
    MetafileInfo info_;
    DecodeLimits limits_;
};

}  // namespace

bool LooksLikeMetafile(const QByteArray& firstBytes) { return metafile::LooksLikeMetafileBytes(firstBytes); }

Status OpenMetafileSourceFromBytes(const QByteArray& bytes, const DecodeLimits& limits,
                                   std::unique_ptr<PictureSource>& source) {
    source.reset();
    Status error = Status::GenericError;
    const std::optional<MetafileInfo> info = metafile::ProbeMetafile(bytes, error);
    if (!info) return error;
    if (!WithinLimits(*info, limits)) return Status::ValueOverflow;
    source = std::make_unique<MetafileSource>(bytes, *info, limits);
    return Status::Ok;
}

Status OpenMetafileSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source) {
    source.reset();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return file.exists() ? Status::AccessDenied : Status::FileNotFound;
    if (file.size() > kMaxFileBytes) return Status::ValueOverflow;
    const QByteArray bytes = file.readAll();
    if (bytes.size() != file.size()) return Status::Win32Error;
    return OpenMetafileSourceFromBytes(bytes, limits, source);
}

}  // namespace imaging
