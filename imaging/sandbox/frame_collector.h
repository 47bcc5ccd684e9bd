#pragma once
// A RowSink that gathers the bands into one whole frame: how the worker's
// streamed rows become the PixelBuffer DecodeFrame hands out.

#include "imaging/core/picture_source.h"

namespace imaging::sandbox {

class FrameCollector : public RowSink {
public:
    bool Begin(int width, int height, PixelLayout layout) override;
    bool Rows(int y, int count, const std::uint8_t* data, std::size_t stride) override;
    PixelBuffer& frame() { return frame_; }

private:
    PixelBuffer frame_;
};

}  // namespace imaging::sandbox
