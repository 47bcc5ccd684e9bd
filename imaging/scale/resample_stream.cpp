// The row-fed bicubic resampler (see resample_stream.h).
#include "imaging/scale/resample_stream.h"

#include "imaging/core/parallel.h"

#include <algorithm>
#include <cstring>

namespace imaging {

StreamingResampler::StreamingResampler(int outWidth, int outHeight, RowSink* output)
    : outWidth_(outWidth), outHeight_(outHeight), output_(output) {}

bool StreamingResampler::Begin(int width, int height, PixelLayout layout) {
    if (begun_ || failed_ || width <= 0 || height <= 0 || outWidth_ <= 0 || outHeight_ <= 0) {
        failed_ = true;
        return false;
    }
    begun_ = true;
    sourceHeight_ = height;
    layout_ = layout;
    horizontal_ = ComputeAxisWeights(0, width, outWidth_, 0, outWidth_);
    vertical_ = ComputeAxisWeights(0, height, outHeight_, 0, outHeight_);
    int spanEnd = 0;
    SourceSpan(horizontal_, spanBegin_, spanEnd);
    span_ = static_cast<std::size_t>(spanEnd - spanBegin_);
    const std::size_t channels = static_cast<std::size_t>(BytesPerPixel(layout));
    rowBytes_ = span_ * channels;
    // Output rows start at non-decreasing source rows. They are made in
    // batches, at latest once kBatchRows rows have come since the last
    // batch, so the rows of every waiting output row are still among the
    // last taps + kBatchRows.
    // A frame that keeps its size goes straight into the output, row by
    // row: the scaled rows would be the same bytes.
    copyRows_ = horizontal_.copy && vertical_.copy && layout == PixelLayout::Rgb8;
    ringRows_ = vertical_.taps + kBatchRows;
    if (!copyRows_) {
        ring_ = AllocateLargeBlock(rowBytes_ * static_cast<std::size_t>(ringRows_));
        if (!ring_) {
            failed_ = true;
            return false;
        }
    }
    if (!StartOutput()) {
        failed_ = true;
        return false;
    }
    return true;
}

// The whole output, white as the bitmap a picture is drawn into (where
// transparency shows it); or, with an output sink, that sink started and
// one band of rows to make them in.
bool StreamingResampler::StartOutput() {
    if (output_) {
        if (!output_->Begin(outWidth_, outHeight_, PixelLayout::Rgb8)) return false;
        return copyRows_ || out_.Allocate(outWidth_, std::min(outHeight_, kOutputBandRows), PixelLayout::Rgb8);
    }
    if (!out_.Allocate(outWidth_, outHeight_, PixelLayout::Rgb8)) return false;
    std::memset(out_.data(), 0xFF, out_.byteSize());
    return true;
}

bool StreamingResampler::Rows(int y, int count, const std::uint8_t* data, std::size_t stride) {
    // Bands come top to bottom, each right after the last.
    if (!begun_ || failed_ || y != received_ || count <= 0 || count > sourceHeight_ - received_ || !data) {
        failed_ = true;
        return false;
    }
    const std::size_t offset = static_cast<std::size_t>(spanBegin_) * static_cast<std::size_t>(BytesPerPixel(layout_));
    if (copyRows_ && output_) {
        if (!output_->Rows(y, count, data + offset, stride)) failed_ = true;
        nextOut_ = received_ += count;
        return !failed_;
    }
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* row = data + stride * static_cast<std::size_t>(i) + offset;
        if (copyRows_) {
            std::memcpy(out_.row(received_), row, static_cast<std::size_t>(outWidth_) * 3);
            nextOut_ = ++received_;
        } else {
            AddRow(row);
            if (failed_) return false;
        }
    }
    return true;
}

void StreamingResampler::AddRow(const std::uint8_t* row) {
    std::memcpy(ring_.get() + rowBytes_ * static_cast<std::size_t>(received_ % ringRows_), row, rowBytes_);
    ++received_;
    if ((received_ - batchedAt_ >= kBatchRows || received_ == sourceHeight_) && !EmitReady()) failed_ = true;
}

// Makes every output row whose source rows have all arrived: into the
// kept output, or band by band into the output sink. False when the sink
// refused a band.
bool StreamingResampler::EmitReady() {
    batchedAt_ = received_;
    const int taps = vertical_.taps;
    int end = nextOut_;
    while (end < outHeight_ && vertical_.start[static_cast<std::size_t>(end)] + taps <= received_) ++end;
    if (!output_) {
        MakeRows(nextOut_, end - nextOut_, out_.row(nextOut_), out_.stride());
        nextOut_ = end;
        return true;
    }
    while (nextOut_ < end) {
        const int count = std::min(end - nextOut_, out_.height());
        // Transparent pixels are put over white, as in the kept output.
        if (layout_ != PixelLayout::Rgb8) std::memset(out_.data(), 0xFF, out_.byteSize());
        MakeRows(nextOut_, count, out_.data(), out_.stride());
        if (!output_->Rows(nextOut_, count, out_.data(), out_.stride())) return false;
        nextOut_ += count;
    }
    return true;
}

// Output rows [first, first + count) into `out`, spread over the cores;
// each row is computed alone, so the result does not depend on how they
// are shared out.
void StreamingResampler::MakeRows(int first, int count, std::uint8_t* out, std::size_t stride) {
    ParallelFor(count, 8, [this, first, out, stride](int begin, int stop) {
        std::vector<float> acc(span_ * static_cast<std::size_t>(BytesPerPixel(layout_)) + 1, 0.0f);
        std::vector<const std::uint8_t*> window(static_cast<std::size_t>(vertical_.taps));
        for (int i = begin; i < stop; ++i)
            EmitRow(first + i, acc.data(), window.data(), out + stride * static_cast<std::size_t>(i));
    });
}

void StreamingResampler::EmitRow(int r, float* acc, const std::uint8_t** window, std::uint8_t* out) {
    const int taps = vertical_.taps;
    const int start = vertical_.start[static_cast<std::size_t>(r)];
    for (int k = 0; k < taps; ++k)
        window[k] = ring_.get() + rowBytes_ * static_cast<std::size_t>((start + k) % ringRows_);
    const float* w = vertical_.weights.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(taps);
    ScaleOneRow(layout_, window, w, taps, span_, horizontal_, spanBegin_, acc, out, outWidth_);
}

Status StreamingResampler::Take(PixelBuffer& out) {
    out.Reset();
    if (output_ || !Complete()) return Status::GenericError;
    out = std::move(out_);
    return Status::Ok;
}

}  // namespace imaging
