#pragma once
// The PNG picture source (libpng). One frame; an animated PNG gives its
// default image. The ICC profile, EXIF and XMP are handed over by Info().

#include "imaging/core/picture_source.h"
#include "imaging/decode/png/png_reader.h"

#include <QString>

#include <memory>

namespace imaging::decode {

class PngSource final : public PictureSource {
public:
    PngSource(QString path, DecodeLimits limits, PngHeader header);

    const PngHeader& header() const { return header_; }
    const PictureInfo& Info() const override { return info_; }

    const std::vector<FrameDimension>& Dimensions() const override { return dimensions_; }
    float HorizontalResolution() const override { return header_.dpiX; }
    float VerticalResolution() const override { return header_.dpiY; }
    Status FrameSize(const GUID& dimension, std::uint32_t index, int& width, int& height) override;
    Status DecodeFrame(const GUID& dimension, std::uint32_t index, PixelBuffer& out) override;
    // Rows as libpng decodes them. An interlaced picture, or one that its
    // EXIF orientation turns or flips, is decoded whole first.
    Status DecodeFrameRows(const GUID& dimension, std::uint32_t index, int minWidth, int minHeight,
                           RowSink& sink) override;

private:
    // A fresh reader over the file, refused when the file changed since it
    // was opened.
    Status Reopen(PngReader& reader) const;

    QString path_;
    DecodeLimits limits_;
    PngHeader header_;
    PictureInfo info_;
    std::vector<FrameDimension> dimensions_;
};

Status OpenPngSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source);

}  // namespace imaging::decode
