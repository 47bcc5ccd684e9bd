// The second decompressor's thread: open, start, skip the upper rows,
// decode the rest into the caller's rows, then read to the end marker.
#include "imaging/decode/jpeg_lower_part.h"

#include "imaging/decode/jpeg_decompressor.h"

#include <algorithm>
#include <system_error>

namespace imaging::decode {
namespace {

// Below this many rows after the split, or pixels in all, a second thread
// saves less than it costs to start.
constexpr int kMinimumLowerRows = 64;
constexpr std::int64_t kMinimumPixels = 1'000'000;

// The share of the rows the first thread decodes. When skipping a row
// costs three fifths of decoding it, both threads finish together if the
// first decodes 1 / (2 - 3/5), about seven tenths.
constexpr int kUpperShareNumerator = 7;
constexpr int kUpperShareDenominator = 10;

// Rows decoded between two looks at whether the caller gave up.
constexpr int kStepRows = 64;

}  // namespace

int JpegSplitRow(const JpegDecompressor& started, int height, int threads) {
    const JpegHeader& header = started.header();
    if (threads < 2 || header.progressive || header.cmyk) return 0;
    if (static_cast<std::int64_t>(header.width) * header.height < kMinimumPixels) return 0;
    const int group = started.RowsPerMcuRow();
    const int split = static_cast<int>(static_cast<std::int64_t>(height) * kUpperShareNumerator /
                                       kUpperShareDenominator / group * group);
    if (split <= 0 || height - split < kMinimumLowerRows) return 0;
    return split;
}

JpegLowerPart::~JpegLowerPart() {
    Cancel();
    if (thread_.joinable()) thread_.join();
}

bool JpegLowerPart::Start(const QString& path, int numerator, const DecodeLimits& limits, int split, int width,
                          int height, std::uint8_t* first, std::size_t stride) {
    split_ = split;
    width_ = width;
    height_ = height;
    first_ = first;
    stride_ = stride;
    try {
        thread_ = std::thread([this, path, numerator, limits] { status_ = Decode(path, numerator, limits); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

Status JpegLowerPart::Decode(const QString& path, int numerator, const DecodeLimits& limits) {
    JpegDecompressor decompressor;
    if (Status s = decompressor.Open(path); s != Status::Ok) return s;
    int width = 0, height = 0;
    if (Status s = decompressor.Start(numerator, limits, width, height); s != Status::Ok) return s;
    // The file changed between the two opens.
    if (width != width_ || height != height_) return Status::GenericError;
    if (Status s = decompressor.SkipRows(split_); s != Status::Ok) return s;
    for (int y = split_; y < height_;) {
        if (cancelled_.load(std::memory_order_relaxed)) return Status::Aborted;
        int rows = 0;
        const int want = std::min(kStepRows, height_ - y);
        if (Status s = decompressor.ReadRows(first_ + stride_ * static_cast<std::size_t>(y - split_), stride_, want,
                                             rows);
            s != Status::Ok)
            return s;
        if (rows <= 0) return Status::GenericError;
        y += rows;
    }
    return decompressor.Finish();
}

void JpegLowerPart::Cancel() { cancelled_.store(true, std::memory_order_relaxed); }

Status JpegLowerPart::Finish() {
    if (!thread_.joinable()) return Status::GenericError;
    thread_.join();
    return status_;
}

}  // namespace imaging::decode
