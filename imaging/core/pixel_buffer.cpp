#include "imaging/core/pixel_buffer.h"

#include "imaging/core/large_memory.h"

#include <cstdlib>
#include <limits>

namespace imaging {

void PixelBuffer::FreeDeleter::operator()(std::uint8_t* p) const { std::free(p); }

bool PixelBuffer::Allocate(int width, int height, PixelLayout layout) {
    Reset();
    if (width <= 0 || height <= 0) return false;
    const std::size_t bpp = static_cast<std::size_t>(BytesPerPixel(layout));
    // Rows start on 64-byte boundaries so vector loops stay aligned.
    const std::size_t rowBytes = static_cast<std::size_t>(width) * bpp;
    const std::size_t stride = (rowBytes + 63) / 64 * 64;
    if (static_cast<std::size_t>(height) > std::numeric_limits<std::size_t>::max() / stride) return false;
    void* memory = AllocateLarge(stride * static_cast<std::size_t>(height));
    if (!memory) return false;
    data_.reset(static_cast<std::uint8_t*>(memory));
    width_ = width;
    height_ = height;
    layout_ = layout;
    stride_ = stride;
    return true;
}

void PixelBuffer::Reset() {
    data_.reset();
    width_ = height_ = 0;
    stride_ = 0;
}

}  // namespace imaging
