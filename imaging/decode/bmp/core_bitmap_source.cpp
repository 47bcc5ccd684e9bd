#include "imaging/decode/bmp/core_bitmap_source.h"

#include "imaging/decode/bmp/core_bitmap_header.h"

#include "imaging/core/single_dimension_source.h"
#include "imaging/decode/qimage_to_pixels.h"
#include "imaging/decode/resolution.h"
#include "imaging/metafile/byte_reader.h"
#include "imaging/metafile/dib.h"

#include <QFile>

#include <optional>

namespace imaging::decode {
namespace {

constexpr std::uint32_t kFileHeaderBytes = kBmpFileHeaderBytes;

std::uint32_t Le(const QByteArray& b, int at, int bytes) { return BmpLittleEndian(b, at, bytes); }

class CoreBitmapSource final : public SingleDimensionSource {
public:
    CoreBitmapSource(QByteArray bytes, DecodeLimits limits)
        : SingleDimensionSource({FrameDimensionPage, 1}, kDefaultDpi, kDefaultDpi), bytes_(std::move(bytes)),
          limits_(limits) {}

    Status DecodeFrame(const GUID& dimension, std::uint32_t index, PixelBuffer& out) override {
        out.Reset();
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes_.constData());
        const auto size = static_cast<std::size_t>(bytes_.size());
        const std::size_t rows = Le(bytes_, 10, 4);
        if (rows > size) return Status::GenericError;
        // The table ends where the rows begin: entries past it are black.
        const metafile::ByteReader info(data + kFileHeaderBytes, rows - kFileHeaderBytes);
        const metafile::ByteReader bits(data + rows, size - rows);
        metafile::DibRequest request;
        request.maxPixels = limits_.maxPixels;
        const std::optional<metafile::Dib> dib = metafile::DecodeDib(info, bits, request);
        if (!dib) return Status::GenericError;
        return QImageToPixels(dib->image.convertToFormat(QImage::Format_RGB888), limits_, out);
    }

private:
    QByteArray bytes_;
    DecodeLimits limits_;
};

}  // namespace

Status OpenCoreBitmapSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Status::FileNotFound;
    if (file.size() > limits.maxBytes) return Status::OutOfMemory;
    QByteArray bytes = file.readAll();
    if (!IsShortTableCoreBitmap(bytes)) return Status::UnknownImageFormat;
    const std::int64_t pixels = static_cast<std::int64_t>(Le(bytes, 18, 2)) * Le(bytes, 20, 2);
    if (pixels > limits.maxPixels || pixels * 4 > limits.maxBytes) return Status::OutOfMemory;
    auto bmp = std::make_unique<CoreBitmapSource>(std::move(bytes), limits);
    PixelBuffer first;
    if (Status s = bmp->DecodeFrame(FrameDimensionPage, 0, first); s != Status::Ok) return s;
    source = std::move(bmp);
    return Status::Ok;
}

}  // namespace imaging::decode
