// The LibRaw picture source (the thread-safe libraw_r). Opening identifies
// the file and checks its size against the limits before anything is
// unpacked. LibRaw "processes" files whose picture data is missing or cut
// short, so a file is refused when its data reaches past its end (LibRaw's
// own offset and size, and every strip and tile of a TIFF-based RAW), when
// LibRaw reports a data error while unpacking, or when no raw data came out.
// LibRaw is C++ that may throw (allocation); exceptions stop at this edge.
#include "imaging/decode/raw_source.h"

#include "imaging/decode/resolution.h"
#include "imaging/decode/tiff_directory.h"

#include <QFile>
#include <QFileInfo>

#include <libraw/libraw.h>

#include <cstring>

namespace imaging::decode {
namespace {

struct ImageFree {
    void operator()(libraw_processed_image_t* image) const { LibRaw::dcraw_clear_mem(image); }
};

struct RawInfo {
    int width = 0;  // upright, as the processed picture comes out
    int height = 0;
    float dpiX = kDefaultDpi;
    float dpiY = kDefaultDpi;
};

// Set by LibRaw when it meets damaged or missing data while unpacking.
void NoteDataError(void* data, const char*, const int) { *static_cast<bool*>(data) = true; }

class RawFile {
public:
    RawFile() : raw_(std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE)) {
        raw_->set_dataerror_handler(NoteDataError, &dataError_);
    }
    ~RawFile() {
        if (raw_) raw_->recycle();
    }

    Status Open(const QString& path, const DecodeLimits& limits, RawInfo& info) {
        const int rc = raw_->open_file(QFile::encodeName(path).constData());
        if (rc == LIBRAW_FILE_UNSUPPORTED) return Status::UnknownImageFormat;
        if (rc != LIBRAW_SUCCESS) return rc == LIBRAW_IO_ERROR ? Status::Win32Error : Status::GenericError;
        const libraw_image_sizes_t& s = raw_->imgdata.sizes;
        const std::int64_t pixels = static_cast<std::int64_t>(s.width) * s.height;
        const std::int64_t rawPixels = static_cast<std::int64_t>(s.raw_width) * s.raw_height;
        if (s.width == 0 || s.height == 0) return Status::GenericError;
        if (s.width > limits.maxSide || s.height > limits.maxSide || pixels > limits.maxPixels ||
            rawPixels > limits.maxPixels || pixels * 3 > limits.maxBytes)
            return Status::OutOfMemory;
        if (!DataWithinFile(path)) return Status::GenericError;
        const bool swap = (s.flip & 4) != 0;
        info.width = swap ? s.height : s.width;
        info.height = swap ? s.width : s.height;
        return Status::Ok;
    }

    Status Decode(PixelBuffer& out) {
        libraw_output_params_t& p = raw_->imgdata.params;
        p.use_camera_wb = 1;
        p.output_color = 1;  // sRGB
        p.output_bps = 8;
        p.half_size = 0;
        p.gamm[0] = 1.0 / 2.4;  // the sRGB curve rather than LibRaw's BT.709 default
        p.gamm[1] = 12.92;
        if (raw_->unpack() != LIBRAW_SUCCESS || dataError_) return Status::GenericError;
        const libraw_rawdata_t& d = raw_->imgdata.rawdata;
        if (!d.raw_image && !d.color3_image && !d.color4_image && !d.float_image && !d.float3_image &&
            !d.float4_image)
            return Status::GenericError;
        if (raw_->imgdata.process_warnings & LIBRAW_WARN_RAWSPEED_PROBLEM) return Status::GenericError;
        if (raw_->dcraw_process() != LIBRAW_SUCCESS || dataError_) return Status::GenericError;
        int rc = LIBRAW_SUCCESS;
        std::unique_ptr<libraw_processed_image_t, ImageFree> image(raw_->dcraw_make_mem_image(&rc));
        if (!image || rc != LIBRAW_SUCCESS) return Status::OutOfMemory;
        if (image->type != LIBRAW_IMAGE_BITMAP || image->colors != 3 || image->bits != 8) return Status::GenericError;
        if (!out.Allocate(image->width, image->height, PixelLayout::Rgb8)) return Status::OutOfMemory;
        const std::size_t rowBytes = static_cast<std::size_t>(image->width) * 3;
        if (image->data_size < rowBytes * image->height) return Status::GenericError;
        for (int y = 0; y < image->height; ++y) std::memcpy(out.row(y), image->data + rowBytes * y, rowBytes);
        return Status::Ok;
    }

private:
    bool DataWithinFile(const QString& path) {
        const qint64 fileSize = QFileInfo(path).size();
        const auto* internal = raw_->get_internal_data_pointer();
        const INT64 offset = internal->unpacker_data.data_offset;
        const unsigned size = internal->unpacker_data.data_size;
        if (size > 0 && offset >= 0 && offset + static_cast<qint64>(size) > fileSize) return false;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            const TiffSummary tiff = ReadTiffSummary(file);
            if (tiff.valid && !tiff.imageDataWithinFile) return false;
        }
        return true;
    }

    std::unique_ptr<LibRaw> raw_;
    bool dataError_ = false;
};

class RawSource final : public PictureSource {
public:
    RawSource(QString path, DecodeLimits limits, RawInfo info)
        : path_(std::move(path)), limits_(limits), info_(info), dimensions_{{FrameDimensionPage, 1}} {}

    const std::vector<FrameDimension>& Dimensions() const override { return dimensions_; }
    float HorizontalResolution() const override { return info_.dpiX; }
    float VerticalResolution() const override { return info_.dpiY; }

    Status FrameSize(const GUID& dimension, std::uint32_t index, int& width, int& height) override {
        if (!(dimension == FrameDimensionPage) || index != 0) return Status::InvalidParameter;
        width = info_.width;
        height = info_.height;
        return Status::Ok;
    }

    Status DecodeFrame(const GUID& dimension, std::uint32_t index, PixelBuffer& out) override {
        out.Reset();
        if (!(dimension == FrameDimensionPage) || index != 0) return Status::InvalidParameter;
        try {
            RawFile file;
            RawInfo info;
            if (Status s = file.Open(path_, limits_, info); s != Status::Ok) return s;
            if (Status s = file.Decode(out); s != Status::Ok) {
                out.Reset();
                return s;
            }
            return Status::Ok;
        } catch (...) {
            out.Reset();
            return Status::OutOfMemory;
        }
    }

private:
    QString path_;
    DecodeLimits limits_;
    RawInfo info_;
    std::vector<FrameDimension> dimensions_;
};

// The resolution a TIFF-based RAW states in its first directory.
void ReadStatedResolution(const QString& path, RawInfo& info) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    const TiffSummary tiff = ReadTiffSummary(file);
    const int unit = tiff.resolutionUnit == 3 ? 2 : tiff.resolutionUnit == 2 ? 1 : 0;
    if (tiff.valid && unit && tiff.xResolution > 0 && tiff.yResolution > 0) {
        info.dpiX = DpiFromDensity(tiff.xResolution, unit);
        info.dpiY = DpiFromDensity(tiff.yResolution, unit);
    }
}

}  // namespace

Status OpenRawSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source) {
    try {
        RawInfo info;
        {
            RawFile file;
            if (Status s = file.Open(path, limits, info); s != Status::Ok) return s;
        }
        ReadStatedResolution(path, info);
        source = std::make_unique<RawSource>(path, limits, info);
        return Status::Ok;
    } catch (...) {
        return Status::OutOfMemory;
    }
}

}  // namespace imaging::decode
