#include "imaging/decode/gif/gif_canvas.h"

#include <algorithm>

namespace imaging::decode {
namespace {

// Transparent white: what indices past the colour map and cleared areas
// hold. On a canvas without alpha it shows as white.
constexpr std::uint32_t kTransparent = 0x00FFFFFFu;
constexpr std::uint32_t kOpaque = 0xFF000000u;

std::vector<std::uint32_t> Colours(const ColorMapObject* map) {
    std::vector<std::uint32_t> colours;
    if (!map || !map->Colors) return colours;
    colours.reserve(static_cast<std::size_t>(std::max(0, map->ColorCount)));
    for (int i = 0; i < map->ColorCount; ++i) {
        const GifColorType& c = map->Colors[i];
        colours.push_back(kOpaque | (std::uint32_t{c.Red} << 16) | (std::uint32_t{c.Green} << 8) | c.Blue);
    }
    return colours;
}

}  // namespace

GifCanvas::GifCanvas(int screenWidth, int screenHeight, const ColorMapObject* global, int backgroundIndex)
    : screenWidth_(screenWidth), screenHeight_(screenHeight), global_(Colours(global)),
      globalCount_(global_.empty() ? 256 : static_cast<int>(global_.size())),
      background_(global_.empty() ? -1 : backgroundIndex) {}

std::uint32_t GifCanvas::Colour(int index) const {
    const std::vector<std::uint32_t>& map = useLocal_ ? local_ : global_;
    const int count = useLocal_ ? static_cast<int>(local_.size()) : globalCount_;
    if (index > count) return kTransparent;
    std::uint32_t colour = 0;
    if (!map.empty()) colour = index < static_cast<int>(map.size()) ? map[static_cast<std::size_t>(index)] : kTransparent;
    return index == transparent_ ? colour & kTransparent : colour;
}

void GifCanvas::Control(const GifControl& control) {
    DisposePrevious();
    disposal_ = control.disposal;
    transparent_ = control.transparentIndex;
}

void GifCanvas::Fill(int left, int top, int right, int bottom, std::uint32_t colour) {
    if (right < left) return;
    for (int y = top; y <= bottom; ++y) {
        std::uint32_t* row = pixels_.data() + static_cast<std::size_t>(y) * width_;
        std::fill(row + left, row + right + 1, colour);
    }
}

// The previous image's area as disposal sees it: clamped into the canvas,
// so an image wholly to the right of it still touches the last column.
void GifCanvas::DisposePrevious() {
    if (disposed_) return;
    const int l = std::min(width_ - 1, left_), r = std::min(width_ - 1, right_);
    const int t = std::min(height_ - 1, top_), b = std::min(height_ - 1, bottom_);
    if (disposal_ == 2) {
        std::uint32_t colour = pixels_[0];
        if (transparent_ >= 0) colour = kTransparent;
        else if (background_ >= 0) colour = Colour(background_);
        Fill(l, t, r, b, colour);
    } else if (disposal_ == 3 && !saved_.empty()) {
        const int w = r - l + 1;
        for (int y = t; y <= b; ++y)
            std::copy_n(saved_.data() + static_cast<std::size_t>(y - t) * w, w,
                        pixels_.data() + static_cast<std::size_t>(y) * width_ + l);
    }
    disposal_ = 0;
    disposed_ = true;
}

void GifCanvas::SaveUnderImage() {
    saved_.clear();
    const int l = std::min(width_ - 1, left_), r = std::min(width_ - 1, right_);
    const int t = std::min(height_ - 1, top_), b = std::min(height_ - 1, bottom_);
    if (r < l || b < t) return;
    const int w = r - l + 1;
    saved_.resize(static_cast<std::size_t>(w) * (b - t + 1));
    for (int y = t; y <= b; ++y)
        std::copy_n(pixels_.data() + static_cast<std::size_t>(y) * width_ + l, w,
                    saved_.data() + static_cast<std::size_t>(y - t) * w);
}

Status GifCanvas::BeginImage(const GifImageDesc& image, const DecodeLimits& limits) {
    const std::int64_t imagePixels = static_cast<std::int64_t>(image.Width) * image.Height;
    if (image.Left < 0 || image.Top < 0 || image.Width < 0 || image.Height < 0) return Status::GenericError;
    if (imagePixels > limits.maxPixels) return Status::OutOfMemory;
    if (pixels_.empty()) {
        // A screen ten times larger than the first image (and than 200
        // pixels) is not believed: the image's extent is the canvas.
        int w = screenWidth_, h = screenHeight_;
        if (w / 10 > std::max(image.Width, 200)) w = 0;
        if (h / 10 > std::max(image.Height, 200)) h = 0;
        if (w <= 0) w = image.Left + image.Width;
        if (h <= 0) h = image.Top + image.Height;
        const std::int64_t pixels = static_cast<std::int64_t>(w) * h;
        if (w <= 0 || h <= 0) return Status::GenericError;
        if (w > limits.maxSide || h > limits.maxSide || pixels > limits.maxPixels || pixels * 4 > limits.maxBytes)
            return Status::OutOfMemory;
        width_ = w;
        height_ = h;
        alpha_ = transparent_ >= 0;
        pixels_.assign(static_cast<std::size_t>(pixels), 0);
    }
    DisposePrevious();
    disposed_ = false;
    left_ = image.Left;
    top_ = image.Top;
    imageWidth_ = image.Width;
    imageHeight_ = image.Height;
    right_ = std::max(0, std::min(left_ + imageWidth_, width_) - 1);
    bottom_ = std::max(0, std::min(top_ + imageHeight_, height_) - 1);
    useLocal_ = image.ColorMap != nullptr;
    local_ = Colours(image.ColorMap);
    interlaced_ = image.Interlace;
    nextLine_ = 0;
    if (++frame_ == 0 && (left_ || top_ || imageWidth_ < width_ || imageHeight_ < height_)) {
        if (transparent_ >= 0) Fill(0, 0, width_ - 1, height_ - 1, Colour(transparent_));
        else if (background_ >= 0) Fill(0, 0, width_ - 1, height_ - 1, Colour(background_));
    }
    if (disposal_ == 3) SaveUnderImage();
    for (int i = 0; i < 256; ++i) lookup_[static_cast<std::size_t>(i)] = Colour(i);
    return Status::Ok;
}

// Interlaced images store every 8th row from 0, every 8th from 4, every
// 4th from 2, then every 2nd from 1.
int GifCanvas::RowOfLine(int line) const {
    if (!interlaced_) return line;
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        const int rows = imageHeight_ > kStart[pass] ? (imageHeight_ - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
        if (line < rows) return kStart[pass] + line * kStep[pass];
        line -= rows;
    }
    return imageHeight_;  // past the image: dropped
}

template <typename Index>
void GifCanvas::Draw(const Index* indices) {
    const int y = top_ + RowOfLine(nextLine_++);
    if (y >= height_ || left_ >= width_) return;
    const int count = std::min(imageWidth_, width_ - left_);
    std::uint32_t* row = pixels_.data() + static_cast<std::size_t>(y) * width_ + left_;
    const bool skipTransparent = frame_ != 0 && transparent_ >= 0;
    for (int x = 0; x < count; ++x) {
        const unsigned index = indices[x];
        if (skipTransparent && index == static_cast<unsigned>(transparent_)) continue;
        row[x] = index < lookup_.size() ? lookup_[index] : kTransparent;
    }
}

void GifCanvas::DrawRow(const GifPixelType* indices) { Draw(indices); }

void GifCanvas::DrawRow(const std::uint16_t* indices) { Draw(indices); }

Status GifCanvas::ToPixels(const DecodeLimits& limits, PixelBuffer& out) const {
    out.Reset();
    if (pixels_.empty()) return Status::WrongState;
    const PixelLayout layout = alpha_ ? PixelLayout::Rgba8 : PixelLayout::Rgb8;
    const std::int64_t bytes = static_cast<std::int64_t>(width_) * height_ * BytesPerPixel(layout);
    if (bytes > limits.maxBytes || !out.Allocate(width_, height_, layout)) return Status::OutOfMemory;
    for (int y = 0; y < height_; ++y) {
        const std::uint32_t* src = pixels_.data() + static_cast<std::size_t>(y) * width_;
        std::uint8_t* dst = out.row(y);
        for (int x = 0; x < width_; ++x) {
            const std::uint32_t p = src[x];
            *dst++ = static_cast<std::uint8_t>(p >> 16);
            *dst++ = static_cast<std::uint8_t>(p >> 8);
            *dst++ = static_cast<std::uint8_t>(p);
            if (alpha_) *dst++ = static_cast<std::uint8_t>(p >> 24);
        }
    }
    return Status::Ok;
}

}  // namespace imaging::decode
