// RGB and RGBA rows are unfiltered straight into the caller's band, with
// the row above read from the band too; grey rows go through a row of
// their own and are spread out afterwards.
#include "imaging/decode/png/png_row_decoder.h"

#include "imaging/decode/png/png_unfilter.h"

#include <png.h>

#include <cstring>
#include <utility>

namespace imaging::decode {
namespace {

void SpreadGrey(const std::uint8_t* grey, std::uint8_t* out, std::size_t width, bool alpha) {
    for (std::size_t x = 0; x < width; ++x) {
        const std::uint8_t g = alpha ? grey[2 * x] : grey[x];
        *out++ = g;
        *out++ = g;
        *out++ = g;
        if (alpha) *out++ = grey[2 * x + 1];
    }
}

}  // namespace

bool PngRowDecoder::Handles(int bitDepth, int colourType, bool interlaced, bool hasTrns) {
    const bool plain = colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA ||
                       colourType == PNG_COLOR_TYPE_RGB || colourType == PNG_COLOR_TYPE_RGB_ALPHA;
    return bitDepth == 8 && plain && !interlaced && !hasTrns;
}

int PngRowDecoder::StoredChannels(int colourType) {
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY: return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    default: return 4;
    }
}

PngRowDecoder::PngRowDecoder(std::FILE* file, int width, int storedChannels)
    : data_(file, static_cast<std::size_t>(width) * static_cast<std::size_t>(storedChannels)),
      width_(static_cast<std::size_t>(width)), channels_(storedChannels) {
    const std::size_t rowBytes = width_ * static_cast<std::size_t>(channels_);
    filtered_.resize(rowBytes + 1);
    prior_.assign(rowBytes, 0);
    if (channels_ < 3) row_.resize(rowBytes);
}

Status PngRowDecoder::ReadRows(std::uint8_t* base, std::size_t stride, int count) {
    const std::size_t rowBytes = prior_.size();
    const bool direct = channels_ >= 3;
    for (int i = 0; i < count; ++i) {
        if (Status s = data_.ReadRow(filtered_.data()); s != Status::Ok) return s;
        std::uint8_t* dest = base + stride * static_cast<std::size_t>(i);
        std::uint8_t* out = direct ? dest : row_.data();
        const std::uint8_t* prior = direct && i > 0 ? dest - stride : prior_.data();
        if (!UnfilterRow(filtered_[0], channels_, filtered_.data() + 1, prior, out, rowBytes))
            return Status::GenericError;
        if (!direct) {
            SpreadGrey(out, dest, width_, channels_ == 2);
            std::swap(row_, prior_);
        }
    }
    // The band is the caller's and may be rewritten: keep its last row.
    if (direct && count > 0) std::memcpy(prior_.data(), base + stride * static_cast<std::size_t>(count - 1), rowBytes);
    return Status::Ok;
}

}  // namespace imaging::decode
