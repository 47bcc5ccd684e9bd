// Bands of a frame into the JPEG encoder (see encoding_sink.h).
#include "imaging/conversion/encoding_sink.h"

#include <algorithm>
#include <cstring>

namespace imaging {

namespace {

// Reverses the order of a row's RGB pixels.
void MirrorRow(std::uint8_t* row, int width) {
    for (int left = 0, right = width - 1; left < right; ++left, --right)
        std::swap_ranges(row + 3 * left, row + 3 * left + 3, row + 3 * right);
}

}  // namespace

EncodingSink::EncodingSink(JpegRowWriter& writer, int width, int height,
                           std::shared_ptr<const colour::RgbTransform> toSrgb, bool mirror)
    : writer_(writer), width_(width), height_(height), toSrgb_(std::move(toSrgb)), mirror_(mirror) {}

bool EncodingSink::Fail() {
    failed_ = true;
    return false;
}

bool EncodingSink::Begin(int width, int height, PixelLayout layout) {
    if (begun_ || failed_) return Fail();
    if (width != width_ || height != height_) {
        sizeDiffered_ = true;
        return Fail();
    }
    begun_ = true;
    layout_ = layout;
    if (layout == PixelLayout::Rgba8) {
        // An axis that keeps its length: every pixel weighs its own alone.
        horizontal_ = ComputeAxisWeights(0, width, width, 0, width);
        acc_.assign(static_cast<std::size_t>(width) * 4 + 1, 0.0f);
    }
    return true;
}

bool EncodingSink::Rows(int y, int count, const std::uint8_t* data, std::size_t stride) {
    // Bands come top to bottom, each right after the last.
    if (!begun_ || failed_ || y != received_ || count <= 0 || count > height_ - received_ || !data) return Fail();
    if (encoderFailed_) {
        received_ += count;
        return true;
    }
    rows_.resize(static_cast<std::size_t>(count));
    // Opaque rows that stay as they are are encoded where they lie.
    if (layout_ == PixelLayout::Rgb8 && !toSrgb_ && !mirror_) {
        for (int i = 0; i < count; ++i) rows_[static_cast<std::size_t>(i)] = data + stride * static_cast<std::size_t>(i);
        return Encode(rows_.data(), count);
    }
    if (!PrepareBand(count)) return Fail();
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* row = data + stride * static_cast<std::size_t>(i);
        if (layout_ == PixelLayout::Rgba8)
            CompositeRow(row, band_.row(i));
        else
            std::memcpy(band_.row(i), row, static_cast<std::size_t>(width_) * 3);
        if (mirror_) MirrorRow(band_.row(i), width_);
        rows_[static_cast<std::size_t>(i)] = band_.row(i);
    }
    // Each pixel's colour stands alone, so it may follow the mirroring.
    if (toSrgb_) toSrgb_->Apply(band_);
    return Encode(rows_.data(), count);
}

bool EncodingSink::Encode(const std::uint8_t* const* rows, int count) {
    if (!writer_.Write(rows, count)) encoderFailed_ = true;
    received_ += count;
    return true;
}

// A band buffer of exactly `count` rows, since the colour transform
// converts all of it.
bool EncodingSink::PrepareBand(int count) {
    if (band_.height() == count) return true;
    return band_.Allocate(width_, count, PixelLayout::Rgb8);
}

// What the resampler makes of a straight-alpha row drawn at its own size
// into a white bitmap.
void EncodingSink::CompositeRow(const std::uint8_t* rgba, std::uint8_t* out) {
    std::memset(out, 0xFF, static_cast<std::size_t>(width_) * 3);
    const float weight = 1.0f;
    ScaleOneRow(PixelLayout::Rgba8, &rgba, &weight, 1, static_cast<std::size_t>(width_), horizontal_, 0, acc_.data(),
                out, width_);
}

}  // namespace imaging
