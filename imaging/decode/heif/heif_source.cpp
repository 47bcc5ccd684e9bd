// The HEIF picture source. Opening reads the file's boxes (libheif keeps
// the context, which holds no pixels) and checks every page's size against
// the limits; each decode asks libheif for one page with its
// transformations applied. The Exif orientation inside a HEIF file is not
// applied on top: the file's irot/imir boxes already say how it stands.
#include "imaging/decode/heif/heif_source.h"

#include "imaging/decode/heif/heif_handles.h"
#include "imaging/decode/heif/heif_metadata.h"
#include "imaging/decode/heif/heif_pixels.h"
#include "imaging/decode/resolution.h"

#include <QFile>

#include <algorithm>
#include <mutex>
#include <vector>

#include <malloc.h>

namespace imaging::decode {
namespace {

using namespace heif;

struct Page {
    heif_item_id id = 0;
    int width = 0;  // upright, after the file's transformations
    int height = 0;
    EmbeddedMetadata metadata;
};

// Both the stored and the upright size count: a small crop of a huge
// coded picture still decodes the huge one.
Status CheckLimits(const heif_image_handle* handle, const DecodeLimits& limits) {
    const int sides[][2] = {{heif_image_handle_get_width(handle), heif_image_handle_get_height(handle)},
                            {heif_image_handle_get_ispe_width(handle), heif_image_handle_get_ispe_height(handle)}};
    for (const auto& side : sides) {
        const std::int64_t pixels = static_cast<std::int64_t>(side[0]) * side[1];
        if (side[0] > limits.maxSide || side[1] > limits.maxSide || pixels > limits.maxPixels ||
            pixels * 4 > limits.maxBytes)
            return Status::OutOfMemory;
    }
    if (heif_image_handle_get_width(handle) <= 0 || heif_image_handle_get_height(handle) <= 0)
        return Status::GenericError;
    return Status::Ok;
}

Status GetHandle(heif_context* context, heif_item_id id, Handle& handle) {
    heif_image_handle* raw = nullptr;
    const heif_error e = heif_context_get_image_handle(context, id, &raw);
    handle.reset(raw);
    return StatusFromHeif(e);
}

// The top-level image IDs, the primary one first.
std::vector<heif_item_id> PageIds(heif_context* context) {
    const int count = heif_context_get_number_of_top_level_images(context);
    if (count <= 0) return {};
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    ids.resize(static_cast<std::size_t>(heif_context_get_list_of_top_level_image_IDs(context, ids.data(), count)));
    heif_item_id primary = 0;
    if (heif_context_get_primary_image_ID(context, &primary).code == heif_error_Ok) {
        auto it = std::find(ids.begin(), ids.end(), primary);
        if (it != ids.end()) std::rotate(ids.begin(), it, it + 1);
    }
    return ids;
}

// One page decoded by libheif as interleaved RGB(A), 8 bits per sample or
// 16 where the page has more.
Status DecodePage(heif_context* context, const Page& page, Image& image, bool& alpha) {
    Handle handle;
    if (Status s = GetHandle(context, page.id, handle); s != Status::Ok) return s;
    alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    const int bits = heif_image_handle_get_luma_bits_per_pixel(handle.get());
    DecodingOptions options(heif_decoding_options_alloc());
    if (!options) return Status::OutOfMemory;
    // Damaged data is an error, not a picture patched with grey.
    options->strict_decoding = 1;
    heif_image* raw = nullptr;
    const heif_error e =
        heif_decode_image(handle.get(), &raw, heif_colorspace_RGB, InterleavedChroma(alpha, bits), options.get());
    image.reset(raw);
    if (Status s = StatusFromHeif(e); s != Status::Ok) return s;
    if (!image) return Status::GenericError;
    if (heif_image_get_width(image.get(), heif_channel_interleaved) != page.width ||
        heif_image_get_height(image.get(), heif_channel_interleaved) != page.height)
        return Status::GenericError;
    return Status::Ok;
}

// libheif zero-fills every buffer it allocates: the file's data (twice),
// the decoded planes, the upsampled chroma and the RGB frame, each tens of
// megabytes for a photo. glibc serves blocks that large with fresh mappings
// and gives freed memory back at once, so that every buffer pays a page
// fault per 4 KB page all over again. Kept in the heap instead, a buffer
// reuses the pages of those freed before it. A HEIF picture is decoded in a
// worker that decodes one picture and ends, so the memory kept is no loss.
void KeepFreedMemoryForReuse() {
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_MMAP_THRESHOLD, 256 << 20);
        mallopt(M_TRIM_THRESHOLD, 1 << 30);
    });
}

Status Deliver(RowSink& sink, int width, int height, PixelLayout layout, const std::uint8_t* rows,
               std::size_t stride) {
    if (!sink.Begin(width, height, layout) || !sink.Rows(0, height, rows, stride)) return Status::Aborted;
    return Status::Ok;
}

class HeifSourceImpl final : public HeifSource {
public:
    HeifSourceImpl(Context context, std::vector<Page> pages)
        : context_(std::move(context)), pages_(std::move(pages)),
          dimensions_{{FrameDimensionPage, static_cast<std::uint32_t>(pages_.size())}},
          info_(PictureInfoFrom(pages_[0].metadata)) {
        const heif::Dpi dpi = ResolutionFromExif(pages_[0].metadata.exif);
        dpiX_ = dpi.x;
        dpiY_ = dpi.y;
    }

    // The primary image's profile and metadata.
    const PictureInfo& Info() const override { return info_; }
    const std::vector<FrameDimension>& Dimensions() const override { return dimensions_; }
    float HorizontalResolution() const override { return dpiX_; }
    float VerticalResolution() const override { return dpiY_; }

    const EmbeddedMetadata& Metadata(std::uint32_t index) const override {
        static const EmbeddedMetadata kNone;
        return index < pages_.size() ? pages_[index].metadata : kNone;
    }

    Status FrameSize(const GUID& dimension, std::uint32_t index, int& width, int& height) override {
        width = height = 0;
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        width = pages_[index].width;
        height = pages_[index].height;
        return Status::Ok;
    }

    Status DecodeFrame(const GUID& dimension, std::uint32_t index, PixelBuffer& out) override {
        out.Reset();
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        Image image;
        bool alpha = false;
        if (Status s = DecodePage(context_.get(), pages_[index], image, alpha); s != Status::Ok) return s;
        return ImageToPixels(image.get(), alpha, out);
    }

    // libheif's own rows go to the sink without a copy where they are
    // already what DecodeFrame would make.
    Status DecodeFrameRows(const GUID& dimension, std::uint32_t index, int minWidth, int minHeight,
                           RowSink& sink) override {
        (void)minWidth;
        (void)minHeight;
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        Image image;
        bool alpha = false;
        if (Status s = DecodePage(context_.get(), pages_[index], image, alpha); s != Status::Ok) return s;
        int stride = 0;
        if (const std::uint8_t* rows = PlainRows(image.get(), alpha, stride))
            return Deliver(sink, pages_[index].width, pages_[index].height,
                           alpha ? PixelLayout::Rgba8 : PixelLayout::Rgb8, rows, static_cast<std::size_t>(stride));
        PixelBuffer frame;
        if (Status s = ImageToPixels(image.get(), alpha, frame); s != Status::Ok) return s;
        image.reset();
        return Deliver(sink, frame.width(), frame.height(), frame.layout(), frame.data(), frame.stride());
    }

private:
    bool Valid(const GUID& dimension, std::uint32_t index) const {
        return dimension == FrameDimensionPage && index < pages_.size();
    }

    Context context_;
    std::vector<Page> pages_;
    std::vector<FrameDimension> dimensions_;
    PictureInfo info_;
    float dpiX_ = kDefaultDpi;
    float dpiY_ = kDefaultDpi;
};

}  // namespace

Status OpenHeifSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source) {
    KeepFreedMemoryForReuse();
    Context context(heif_context_alloc());
    if (!context) return Status::OutOfMemory;
    // libheif refuses larger images itself before it allocates anything.
    heif_context_set_maximum_image_size_limit(context.get(), limits.maxSide + 1);
    const QByteArray name = QFile::encodeName(path);
    if (Status s = StatusFromHeif(heif_context_read_from_file(context.get(), name.constData(), nullptr));
        s != Status::Ok)
        return s == Status::UnknownImageFormat || s == Status::OutOfMemory ? s : Status::GenericError;

    std::vector<Page> pages;
    for (heif_item_id id : PageIds(context.get())) {
        Handle handle;
        if (Status s = GetHandle(context.get(), id, handle); s != Status::Ok) return s;
        if (Status s = CheckLimits(handle.get(), limits); s != Status::Ok) return s;
        pages.push_back({id, heif_image_handle_get_width(handle.get()), heif_image_handle_get_height(handle.get()),
                         ReadMetadata(handle.get())});
    }
    if (pages.empty()) return Status::GenericError;
    source = std::make_unique<HeifSourceImpl>(std::move(context), std::move(pages));
    return Status::Ok;
}

}  // namespace imaging::decode
