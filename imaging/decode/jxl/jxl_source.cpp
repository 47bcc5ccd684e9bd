// The JPEG XL picture source. The file's bytes are read once and kept
// (compressed, they are small beside a decoded frame); opening scans them
// through libjxl, and each decode runs a fresh decoder to the frame asked
// for.
#include "imaging/decode/jxl/jxl_source.h"

#include "imaging/decode/jxl/jxl_decode.h"
#include "imaging/decode/resolution.h"

#include <QFile>

namespace imaging::decode {
namespace {

class JxlSourceImpl final : public JxlSource {
public:
    JxlSourceImpl(QByteArray file, jxl::Summary summary)
        : file_(std::move(file)), summary_(std::move(summary)),
          dimensions_{{summary_.animation ? FrameDimensionTime : FrameDimensionPage, summary_.frames}} {
        const auto bytes = [](const QByteArray& b) { return std::vector<std::uint8_t>(b.begin(), b.end()); };
        info_.iccProfile = bytes(summary_.pixelProfile);
        info_.exif = bytes(summary_.exif);
        info_.xmp = bytes(summary_.xmp);
    }

    // The profile is that of the pixels as decoded, which for XYB-coded
    // pictures need not be the file's own.
    const PictureInfo& Info() const override { return info_; }

    const std::vector<FrameDimension>& Dimensions() const override { return dimensions_; }
    // JPEG XL states no resolution.
    float HorizontalResolution() const override { return kDefaultDpi; }
    float VerticalResolution() const override { return kDefaultDpi; }
    const QByteArray& IccProfile() const override { return summary_.iccProfile; }

    Status FrameSize(const GUID& dimension, std::uint32_t index, int& width, int& height) override {
        width = height = 0;
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        width = summary_.width;
        height = summary_.height;
        return Status::Ok;
    }

    Status DecodeFrame(const GUID& dimension, std::uint32_t index, PixelBuffer& out) override {
        out.Reset();
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        return jxl::DecodeFrame(file_, summary_, index, out);
    }

private:
    bool Valid(const GUID& dimension, std::uint32_t index) const {
        return dimension == dimensions_[0].id && index < dimensions_[0].frameCount;
    }

    QByteArray file_;
    jxl::Summary summary_;
    std::vector<FrameDimension> dimensions_;
    PictureInfo info_;
};

}  // namespace

Status OpenJxlSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Status::FileNotFound;
    if (file.size() > limits.maxBytes) return Status::OutOfMemory;
    QByteArray bytes = file.readAll();
    if (bytes.size() != file.size()) return Status::Win32Error;
    jxl::Summary summary;
    if (Status s = jxl::Scan(bytes, limits, summary); s != Status::Ok) return s;
    source = std::make_unique<JxlSourceImpl>(std::move(bytes), std::move(summary));
    return Status::Ok;
}

}  // namespace imaging::decode
