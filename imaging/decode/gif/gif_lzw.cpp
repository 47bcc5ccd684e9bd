#include "imaging/decode/gif/gif_lzw.h"

namespace imaging::decode {

GifLzwDecoder::GifLzwDecoder(int minCodeSize, std::size_t pixels)
    : minCodeSize_(minCodeSize), pixels_(pixels), clear_(1 << minCodeSize), end_(clear_ + 1),
      prefix_(kMaxCodes), suffix_(kMaxCodes), first_(kMaxCodes) {
    for (int i = 0; i < clear_; ++i) suffix_[static_cast<std::size_t>(i)] = first_[static_cast<std::size_t>(i)] =
        static_cast<std::uint16_t>(i);
    out_.reserve(pixels);
    Reset();
}

void GifLzwDecoder::Reset() {
    next_ = clear_ + 2;
    width_ = minCodeSize_ + 1;
    previous_ = -1;
}

// Appends the string of `code`, walking its prefixes back to a root.
void GifLzwDecoder::Emit(int code) {
    stack_.clear();
    while (code >= clear_) {
        stack_.push_back(suffix_[static_cast<std::size_t>(code)]);
        code = prefix_[static_cast<std::size_t>(code)];
    }
    stack_.push_back(static_cast<std::uint16_t>(code));
    for (auto it = stack_.rbegin(); it != stack_.rend() && out_.size() < pixels_; ++it) out_.push_back(*it);
}

bool GifLzwDecoder::Code(int code) {
    if (code == clear_) {
        Reset();
        return true;
    }
    if (code == end_) {
        ended_ = true;
        return true;
    }
    if (previous_ < 0) {
        if (code >= clear_) return false;
        Emit(code);
        previous_ = code;
        return true;
    }
    // A code not yet in the table may only be the one about to be added:
    // the previous string followed by its own first index.
    if (code > next_ || (code == next_ && next_ >= kMaxCodes)) return false;
    const std::uint16_t head = code < next_ ? first_[static_cast<std::size_t>(code)]
                                            : first_[static_cast<std::size_t>(previous_)];
    if (next_ < kMaxCodes) {
        const auto n = static_cast<std::size_t>(next_);
        prefix_[n] = static_cast<std::uint16_t>(previous_);
        suffix_[n] = head;
        first_[n] = first_[static_cast<std::size_t>(previous_)];
        ++next_;
        if (next_ == (1 << width_) && width_ < 12) ++width_;
    }
    Emit(code);
    previous_ = code;
    return true;
}

bool GifLzwDecoder::Feed(const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size && !ended_ && !complete(); ++i) {
        bits_ |= static_cast<std::uint32_t>(data[i]) << bitCount_;
        bitCount_ += 8;
        while (bitCount_ >= width_ && !ended_ && !complete()) {
            const int code = static_cast<int>(bits_ & ((1u << width_) - 1));
            bits_ >>= width_;
            bitCount_ -= width_;
            if (!Code(code)) return false;
        }
    }
    return true;
}

}  // namespace imaging::decode
