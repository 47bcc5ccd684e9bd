#include "imaging/sandbox/frame_collector.h"

#include <cstring>

namespace imaging::sandbox {

bool FrameCollector::Begin(int width, int height, PixelLayout layout) {
    return frame_.Allocate(width, height, layout);
}

bool FrameCollector::Rows(int y, int count, const std::uint8_t* data, std::size_t stride) {
    if (frame_.empty() || y < 0 || count < 0 || count > frame_.height() - y) return false;
    const std::size_t rowBytes = static_cast<std::size_t>(frame_.width()) * frame_.channels();
    for (int i = 0; i < count; ++i) std::memcpy(frame_.row(y + i), data + stride * static_cast<std::size_t>(i), rowBytes);
    return true;
}

}  // namespace imaging::sandbox
