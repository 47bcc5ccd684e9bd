// The Qt picture source. Every read uses a fresh QImageReader (Qt's TIFF
// reader crashes when a reader is used again after a failed read), except
// that a GIF animation keeps its reader between frames: Qt's GIF reader
// composites each frame over the previous ones with their disposal methods
// as it reads them in order, so frame n is frames 0..n read in sequence,
// and selecting n+1 after n reads one more frame instead of starting over.
// Frame 0 is decoded when the file is opened: it proves the file readable
// and gives its resolution.
#include "imaging/decode/qt_source.h"

#include "imaging/core/single_dimension_source.h"
#include "imaging/decode/container_checks.h"
#include "imaging/decode/qimage_to_pixels.h"
#include "imaging/decode/resolution.h"
#include "imaging/decode/webp_chunks.h"

#include <QFile>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <mutex>

namespace imaging::decode {
namespace {

enum class Frames { Single, Animation, Pages };

// Qt refuses pictures above its own allocation limit (128 MB by default,
// about 33 MP); ours are checked before reading, so Qt's must be at least
// as wide: up to eight bytes per pixel, as 16-bit RGBA needs.
void RaiseQtAllocationLimit(const DecodeLimits& limits) {
    static std::mutex mutex;
    const std::int64_t wanted = std::max(limits.maxBytes, limits.maxPixels * 8) / (1024 * 1024) + 1;
    const int megabytes = static_cast<int>(std::min<std::int64_t>(wanted, 1 << 30));
    std::lock_guard lock(mutex);
    if (QImageReader::allocationLimit() != 0 && QImageReader::allocationLimit() < megabytes)
        QImageReader::setAllocationLimit(megabytes);
}

std::unique_ptr<QImageReader> MakeReader(const QString& path) {
    auto reader = std::make_unique<QImageReader>(path);
    reader->setDecideFormatFromContent(true);
    reader->setAutoTransform(true);
    return reader;
}

// The size a reader says its current image has, upright.
QSize StatedSize(QImageReader& reader) {
    QSize size = reader.size();
    if (size.isValid() && reader.autoTransform() && (reader.transformation() & QImageIOHandler::TransformationRotate90))
        size.transpose();
    return size;
}

Status CheckLimits(const QSize& size, const DecodeLimits& limits) {
    if (!size.isValid()) return Status::Ok;  // unknown: Qt's own limit applies
    const std::int64_t pixels = static_cast<std::int64_t>(size.width()) * size.height();
    if (size.width() > limits.maxSide || size.height() > limits.maxSide || pixels > limits.maxPixels ||
        pixels * 4 > limits.maxBytes)
        return Status::OutOfMemory;
    return Status::Ok;
}

// Some readers leave pixels unwritten (the runs a BMP's RLE skips) and
// would hand over whatever their fresh buffer held. Most take an image of
// the size and format they state as their buffer: this one is zeroed.
QImage ZeroedCanvas(QImageReader& reader) {
    const QSize size = reader.size();
    const QImage::Format format = reader.imageFormat();
    if (!size.isValid() || format == QImage::Format_Invalid) return {};
    QImage canvas(size, format);
    if (!canvas.isNull()) canvas.fill(0);
    return canvas;
}

// One image from the reader's current position. A read error is a failure,
// and so is a picture of another size than the reader stated (a partial
// decode some readers hand out after an error).
Status ReadImage(QImageReader& reader, const DecodeLimits& limits, QImage& image) {
    const QSize stated = StatedSize(reader);
    if (Status s = CheckLimits(stated, limits); s != Status::Ok) return s;
    image = ZeroedCanvas(reader);
    if (!reader.read(&image) || image.isNull()) {
        image = QImage();
        return Status::GenericError;
    }
    if (stated.isValid() && image.size() != stated) {
        image = QImage();
        return Status::GenericError;
    }
    return Status::Ok;
}

class QtSource final : public SingleDimensionSource {
public:
    // `intactFrames` frames can be decoded; the rest of `count` are damaged.
    QtSource(QString path, DecodeLimits limits, Frames frames, std::uint32_t count, std::uint32_t intactFrames)
        : SingleDimensionSource({frames == Frames::Animation ? FrameDimensionTime : FrameDimensionPage, count},
                                kDefaultDpi, kDefaultDpi),
          path_(std::move(path)), limits_(limits), frames_(frames), intactFrames_(intactFrames) {}

    // The profile and metadata, for formats whose container we read.
    void SetInfo(PictureInfo info) { info_ = std::move(info); }
    const PictureInfo& Info() const override { return info_; }

    // Decodes frame 0 and keeps it for the first DecodeFrame.
    Status ReadFirstFrame() {
        if (Status s = Read(0, cached_); s != Status::Ok) return s;
        cachedIndex_ = 0;
        SetResolution(DpiFromDotsPerMeter(cached_.dotsPerMeterX()), DpiFromDotsPerMeter(cached_.dotsPerMeterY()));
        size0_ = cached_.size();
        return Status::Ok;
    }

    Status FrameSize(const GUID& dimension, std::uint32_t index, int& width, int& height) override {
        width = height = 0;
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        QSize size = size0_;
        if (index != 0 && frames_ == Frames::Pages) {
            auto reader = MakeReader(path_);
            if (!reader->jumpToImage(static_cast<int>(index))) return Status::NotImplemented;
            size = StatedSize(*reader);
            if (!size.isValid()) return Status::NotImplemented;
        }
        width = size.width();
        height = size.height();
        return Status::Ok;
    }

    Status DecodeFrame(const GUID& dimension, std::uint32_t index, PixelBuffer& out) override {
        out.Reset();
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        const int i = static_cast<int>(index);
        if (cachedIndex_ != i) {
            cachedIndex_ = -1;
            if (Status s = Read(i, cached_); s != Status::Ok) return s;
            cachedIndex_ = i;
        }
        const Status s = QImageToPixels(cached_, limits_, out);
        // Pages are read again cheaply by seeking; an animation keeps its
        // last frame, which the next selection of the same frame reuses.
        if (frames_ != Frames::Animation) {
            cached_ = QImage();
            cachedIndex_ = -1;
        }
        return s;
    }

private:
    Status Read(int index, QImage& image) {
        if (static_cast<std::uint32_t>(index) >= intactFrames_) return Status::GenericError;
        if (frames_ == Frames::Animation) return ReadAnimationFrame(index, image);
        auto reader = MakeReader(path_);
        if (index > 0 && !reader->jumpToImage(index)) return Status::GenericError;
        return ReadImage(*reader, limits_, image);
    }

    Status ReadAnimationFrame(int index, QImage& image) {
        if (!sequential_ || nextIndex_ > index) {
            sequential_ = MakeReader(path_);
            nextIndex_ = 0;
        }
        while (nextIndex_ <= index) {
            if (Status s = ReadImage(*sequential_, limits_, image); s != Status::Ok) {
                sequential_.reset();  // never reuse a reader after a failed read
                return s;
            }
            ++nextIndex_;
        }
        return Status::Ok;
    }

    QString path_;
    DecodeLimits limits_;
    Frames frames_;
    std::uint32_t intactFrames_;
    QSize size0_;
    QImage cached_;
    int cachedIndex_ = -1;
    std::unique_ptr<QImageReader> sequential_;
    int nextIndex_ = 0;
    PictureInfo info_;
};

// Checks Qt's readers do not make: a GIF's canvas against the limits (Qt
// allocates it whole) and how many of its frames are complete; a BMP's
// pixel data against the file's length. Qt fills what is missing silently.
Status CheckContainer(const QString& path, const QByteArray& format, const DecodeLimits& limits,
                      std::uint32_t& intactFrames) {
    if (format != "gif" && format != "bmp") return Status::Ok;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Status::FileNotFound;
    if (format == "bmp") return BmpPixelDataComplete(file) ? Status::Ok : Status::GenericError;
    const GifStructure gif = ReadGifStructure(file);
    if (!gif.valid) return Status::GenericError;
    if (Status s = CheckLimits(gif.canvas, limits); s != Status::Ok) return s;
    intactFrames = static_cast<std::uint32_t>(gif.completeFrames);
    return Status::Ok;
}

}  // namespace

Status OpenQtSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source) {
    RaiseQtAllocationLimit(limits);
    auto reader = MakeReader(path);
    if (!reader->canRead()) return Status::UnknownImageFormat;
    const QByteArray format = reader->format();
    Frames frames = Frames::Single;
    if (format == "gif") frames = Frames::Animation;
    else if (format == "tiff" || format == "ico" || format == "cur") frames = Frames::Pages;
    // The count comes first: Qt's TIFF reader counts one page once asked
    // for the size.
    std::uint32_t count = 1;
    if (frames != Frames::Single || format == "webp")
        count = static_cast<std::uint32_t>(std::max(1, reader->imageCount()));
    // An animated WebP is a time line, as a GIF is; Qt's reader composes
    // each frame over the previous ones as it reads them in order.
    if (format == "webp" && count > 1) frames = Frames::Animation;
    reader = MakeReader(path);
    if (Status s = CheckLimits(StatedSize(*reader), limits); s != Status::Ok) return s;
    reader.reset();

    std::uint32_t intact = count;
    if (Status s = CheckContainer(path, format, limits, intact); s != Status::Ok) return s;
    auto qt = std::make_unique<QtSource>(path, limits, frames, count, intact);
    // Qt's WebP reader leaves the profile and metadata to us.
    if (format == "webp") qt->SetInfo(ReadWebpChunks(path));
    if (Status s = qt->ReadFirstFrame(); s != Status::Ok) return s;
    source = std::move(qt);
    return Status::Ok;
}

}  // namespace imaging::decode
