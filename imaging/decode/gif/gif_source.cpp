// Frame n is frames 0..n composited in order, so the source keeps the file
// open at its position and the canvas between decodes: selecting n+1 after
// n reads one more image instead of starting over. Going back starts again.
// Opening counts the images (their data is skipped, not decoded) and
// decodes frame 0, which proves the file readable.
#include "imaging/decode/gif/gif_source.h"

#include "imaging/core/single_dimension_source.h"
#include "imaging/decode/gif/gif_canvas.h"
#include "imaging/decode/gif/gif_file.h"
#include "imaging/decode/resolution.h"

#include <optional>
#include <vector>

namespace imaging::decode {
namespace {

Status CheckScreen(const GifFileType& gif, const DecodeLimits& limits) {
    const std::int64_t pixels = static_cast<std::int64_t>(gif.SWidth) * gif.SHeight;
    if (gif.SWidth > limits.maxSide || gif.SHeight > limits.maxSide || pixels > limits.maxPixels ||
        pixels * 4 > limits.maxBytes)
        return Status::OutOfMemory;
    return Status::Ok;
}

// The images in the file, up to the trailer or the first damage. An image
// whose data is cut short counts (decoding it fails).
Status CountImages(const QString& path, const DecodeLimits& limits, std::uint32_t& count) {
    count = 0;
    GifFile file;
    if (Status s = file.Open(path); s != Status::Ok) return s;
    if (Status s = CheckScreen(*file.get(), limits); s != Status::Ok) return s;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (file.NextRecord(type) != Status::Ok || type == TERMINATE_RECORD_TYPE) break;
        if (type == EXTENSION_RECORD_TYPE) {
            std::optional<GifControl> control;
            if (file.ReadExtension(control) != Status::Ok) break;
        } else if (type == IMAGE_DESC_RECORD_TYPE) {
            if (file.ReadImageDescriptor() != Status::Ok) break;
            ++count;
            if (file.SkipImageData() != Status::Ok) break;
        } else {
            break;
        }
    }
    return count > 0 ? Status::Ok : Status::GenericError;
}

// The file read up to some image, and the canvas as it stands there.
struct Sequence {
    GifFile file;
    std::optional<GifCanvas> canvas;
    std::uint32_t composited = 0;  // images drawn so far
};

Status DrawImage(Sequence& seq, const DecodeLimits& limits) {
    GifFileType& gif = *seq.file.get();
    if (Status s = seq.canvas->BeginImage(gif.Image, limits); s != Status::Ok) return s;
    const int width = gif.Image.Width, height = gif.Image.Height;
    if (width == 0 || height == 0) return seq.file.SkipImageData();
    if (seq.file.wideCodeSize() != 0) {
        std::vector<std::uint16_t> indices;
        const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        if (Status s = seq.file.ReadWideImage(pixels, indices); s != Status::Ok) return s;
        for (int line = 0; line < height; ++line)
            seq.canvas->DrawRow(indices.data() + static_cast<std::size_t>(line) * static_cast<std::size_t>(width));
        return Status::Ok;
    }
    std::vector<GifPixelType> row(static_cast<std::size_t>(width));
    for (int line = 0; line < height; ++line) {
        if (Status s = seq.file.ReadRow(row.data(), width); s != Status::Ok) return s;
        seq.canvas->DrawRow(row.data());
    }
    return Status::Ok;
}

// Reads records up to and including the next image.
Status CompositeNextImage(Sequence& seq, const DecodeLimits& limits) {
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (Status s = seq.file.NextRecord(type); s != Status::Ok) return s;
        if (type == EXTENSION_RECORD_TYPE) {
            std::optional<GifControl> control;
            if (Status s = seq.file.ReadExtension(control); s != Status::Ok) return s;
            if (control) seq.canvas->Control(*control);
        } else if (type == IMAGE_DESC_RECORD_TYPE) {
            if (Status s = seq.file.ReadImageDescriptor(); s != Status::Ok) return s;
            if (Status s = DrawImage(seq, limits); s != Status::Ok) return s;
            ++seq.composited;
            return Status::Ok;
        } else {
            return Status::GenericError;  // the trailer or damage before the image
        }
    }
}

class GifSource final : public SingleDimensionSource {
public:
    GifSource(QString path, DecodeLimits limits, std::uint32_t count)
        : SingleDimensionSource({FrameDimensionTime, count}, kDefaultDpi, kDefaultDpi), path_(std::move(path)),
          limits_(limits) {}

    Status FrameSize(const GUID& dimension, std::uint32_t index, int& width, int& height) override {
        width = height = 0;
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        width = width_;
        height = height_;
        return Status::Ok;
    }

    Status DecodeFrame(const GUID& dimension, std::uint32_t index, PixelBuffer& out) override {
        out.Reset();
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        if (Status s = Composite(index); s != Status::Ok) return s;
        return seq_->canvas->ToPixels(limits_, out);
    }

    // Composites frame 0 and takes the canvas size from it.
    Status Start() {
        if (Status s = Composite(0); s != Status::Ok) return s;
        width_ = seq_->canvas->width();
        height_ = seq_->canvas->height();
        return Status::Ok;
    }

private:
    Status Restart() {
        seq_ = std::make_unique<Sequence>();
        if (Status s = seq_->file.Open(path_); s != Status::Ok) return s;
        const GifFileType& gif = *seq_->file.get();
        if (Status s = CheckScreen(gif, limits_); s != Status::Ok) return s;
        seq_->canvas.emplace(gif.SWidth, gif.SHeight, gif.SColorMap, gif.SBackGroundColor);
        return Status::Ok;
    }

    // Brings the canvas to frame `index`. A failed read is never resumed.
    Status Composite(std::uint32_t index) {
        if (!seq_ || seq_->composited > index + 1) {
            if (Status s = Restart(); s != Status::Ok) {
                seq_.reset();
                return s;
            }
        }
        while (seq_->composited <= index) {
            if (Status s = CompositeNextImage(*seq_, limits_); s != Status::Ok) {
                seq_.reset();
                return s;
            }
        }
        return Status::Ok;
    }

    QString path_;
    DecodeLimits limits_;
    int width_ = 0, height_ = 0;
    std::unique_ptr<Sequence> seq_;
};

}  // namespace

Status OpenGifSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source) {
    std::uint32_t count = 0;
    if (Status s = CountImages(path, limits, count); s != Status::Ok) return s;
    auto gif = std::make_unique<GifSource>(path, limits, count);
    if (Status s = gif->Start(); s != Status::Ok) return s;
    source = std::move(gif);
    return Status::Ok;
}

}  // namespace imaging::decode
