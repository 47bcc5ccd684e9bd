// The JPEG picture source. Opening reads the header only; each decode runs
// a fresh pass of the decompressor over the file and then turns the result
// upright by the EXIF orientation.
#include "imaging/decode/jpeg_source.h"

#include "imaging/core/single_dimension_source.h"
#include "imaging/decode/jpeg_decompressor.h"
#include "imaging/decode/jpeg_rows.h"
#include "imaging/decode/orientation.h"

#include <algorithm>

namespace imaging::decode {
namespace {

class JpegSource final : public SingleDimensionSource {
public:
    JpegSource(QString path, DecodeLimits limits, const JpegHeader& header)
        : SingleDimensionSource({FrameDimensionPage, 1}, header.dpiX, header.dpiY), path_(std::move(path)),
          limits_(limits), header_(header) {}

    const PictureInfo& Info() const override { return header_.info; }

    Status FrameSize(const GUID& dimension, std::uint32_t index, int& width, int& height) override {
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        const bool swap = OrientationSwapsAxes(header_.orientation);
        width = swap ? header_.height : header_.width;
        height = swap ? header_.width : header_.height;
        return Status::Ok;
    }

    Status DecodeFrame(const GUID& dimension, std::uint32_t index, PixelBuffer& out) override {
        return Decode(dimension, index, 8, out);
    }

    Status DecodeFrameForSize(const GUID& dimension, std::uint32_t index, int minWidth, int minHeight,
                              PixelBuffer& out) override {
        const int n = JpegScaleNumeratorFor(header_.width, header_.height, header_.orientation, minWidth, minHeight);
        return Decode(dimension, index, n, out);
    }

    // Bands of rows as libjpeg produces them. Orientations that turn or
    // flip the picture need the whole frame first.
    Status DecodeFrameRows(const GUID& dimension, std::uint32_t index, int minWidth, int minHeight,
                           RowSink& sink) override {
        if (header_.orientation != 1) return PictureSource::DecodeFrameRows(dimension, index, minWidth, minHeight, sink);
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        JpegDecompressor decompressor;
        if (Status s = decompressor.Open(path_); s != Status::Ok) return s;
        if (decompressor.header().width != header_.width || decompressor.header().height != header_.height)
            return Status::GenericError;
        JpegPass pass{path_, JpegScaleNumeratorFor(header_.width, header_.height, 1, minWidth, minHeight), limits_};
        if (Status s = decompressor.Start(pass.numerator, limits_, pass.width, pass.height); s != Status::Ok) return s;
        return StreamJpegRows(decompressor, pass, sink);
    }

private:
    Status Decode(const GUID& dimension, std::uint32_t index, int numerator, PixelBuffer& out) {
        out.Reset();
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        JpegDecompressor decompressor;
        if (Status s = decompressor.Open(path_); s != Status::Ok) return s;
        // The file changed under us since it was opened.
        if (decompressor.header().width != header_.width || decompressor.header().height != header_.height)
            return Status::GenericError;
        JpegPass pass{path_, numerator, limits_};
        if (Status s = decompressor.Start(numerator, limits_, pass.width, pass.height); s != Status::Ok) return s;
        if (Status s = DecodeJpegFrame(decompressor, pass, out); s != Status::Ok) return s;
        if (!ApplyOrientation(out, header_.orientation)) {
            out.Reset();
            return Status::OutOfMemory;
        }
        return Status::Ok;
    }

    QString path_;
    DecodeLimits limits_;
    JpegHeader header_;
};

}  // namespace

int JpegScaleNumeratorFor(int storedWidth, int storedHeight, int orientation, int minWidth, int minHeight) {
    const bool swap = OrientationSwapsAxes(orientation);
    const int needW = std::max(1, swap ? minHeight : minWidth);
    const int needH = std::max(1, swap ? minWidth : minHeight);
    for (int n = 1; n < 8; ++n)
        if (JpegScaledSide(storedWidth, n) >= needW && JpegScaledSide(storedHeight, n) >= needH) return n;
    return 8;
}

Status OpenJpegSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source) {
    JpegDecompressor decompressor;
    if (Status s = decompressor.Open(path); s != Status::Ok) return s;
    const JpegHeader& h = decompressor.header();
    const std::int64_t pixels = static_cast<std::int64_t>(h.width) * h.height;
    if (h.width <= 0 || h.height <= 0) return Status::GenericError;
    if (h.width > limits.maxSide || h.height > limits.maxSide || pixels > limits.maxPixels ||
        pixels * 3 > limits.maxBytes)
        return Status::OutOfMemory;
    source = std::make_unique<JpegSource>(path, limits, h);
    return Status::Ok;
}

}  // namespace imaging::decode
