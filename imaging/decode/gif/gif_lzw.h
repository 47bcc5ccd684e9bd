#pragma once
// An LZW decoder for GIF image data whose minimum code size is 9 to 11
// bits: the format's writers stop at 8 and giflib refuses more, but such
// files exist and other readers show them. Codes stay at most 12 bits
// wide; the decoder is fed the data sub-blocks one by one.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imaging::decode {

class GifLzwDecoder {
public:
    // `minCodeSize` 1..11; `pixels` is how many indices the image holds.
    GifLzwDecoder(int minCodeSize, std::size_t pixels);

    // Decodes one sub-block. False on an invalid code.
    bool Feed(const std::uint8_t* data, std::size_t size);
    // True once every pixel was decoded (further data is ignored).
    bool complete() const { return out_.size() == pixels_; }
    // The indices decoded so far, in file order.
    const std::vector<std::uint16_t>& indices() const { return out_; }

private:
    static constexpr int kMaxCodes = 4096;
    void Reset();
    bool Code(int code);
    void Emit(int code);

    int minCodeSize_;
    std::size_t pixels_;
    int clear_, end_;
    int next_ = 0, width_ = 0, previous_ = -1;
    bool ended_ = false;
    std::uint32_t bits_ = 0;
    int bitCount_ = 0;
    std::vector<std::uint16_t> prefix_, suffix_, first_;
    std::vector<std::uint16_t> stack_;
    std::vector<std::uint16_t> out_;
};

}  // namespace imaging::decode
