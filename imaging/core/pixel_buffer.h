#pragma once
// A plain block of 8-bit pixels: the currency between decoders, the
// resampler, the bitmap and the encoder. Rows are `stride` bytes apart;
// channels are in memory order R, G, B (and A, straight alpha).

#include <cstddef>
#include <cstdint>
#include <memory>

namespace imaging {

enum class PixelLayout : std::uint8_t {
    Rgb8,   // 3 bytes: R G B
    Rgba8,  // 4 bytes: R G B A, alpha not premultiplied
};

constexpr int BytesPerPixel(PixelLayout layout) { return layout == PixelLayout::Rgb8 ? 3 : 4; }

class PixelBuffer {
public:
    PixelBuffer() = default;
    // Allocates width x height pixels (uninitialised); false (and an empty
    // buffer) when the size is not positive or the memory cannot be had.
    bool Allocate(int width, int height, PixelLayout layout);
    void Reset();

    bool empty() const { return !data_; }
    int width() const { return width_; }
    int height() const { return height_; }
    PixelLayout layout() const { return layout_; }
    int channels() const { return BytesPerPixel(layout_); }
    std::size_t stride() const { return stride_; }
    std::size_t byteSize() const { return stride_ * static_cast<std::size_t>(height_); }
    std::uint8_t* row(int y) { return data_.get() + stride_ * static_cast<std::size_t>(y); }
    const std::uint8_t* row(int y) const { return data_.get() + stride_ * static_cast<std::size_t>(y); }
    std::uint8_t* data() { return data_.get(); }
    const std::uint8_t* data() const { return data_.get(); }

private:
    struct FreeDeleter {
        void operator()(std::uint8_t* p) const;
    };
    std::unique_ptr<std::uint8_t[], FreeDeleter> data_;
    int width_ = 0;
    int height_ = 0;
    PixelLayout layout_ = PixelLayout::Rgb8;
    std::size_t stride_ = 0;
};

}  // namespace imaging
