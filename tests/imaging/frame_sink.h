#pragma once
// A RowSink for tests that gathers the bands a decoder delivers into one
// frame, counting starts and bands, and refusing the start when told to;
// and a byte-for-byte comparison of two frames.

#include "imaging/core/picture_source.h"

#include <cstring>

namespace imaging::test {

class FrameSink final : public RowSink {
public:
    PixelBuffer frame;
    int begins = 0;
    int bands = 0;
    bool refuse = false;
    bool Begin(int width, int height, PixelLayout layout) override {
        ++begins;
        return !refuse && frame.Allocate(width, height, layout);
    }
    bool Rows(int y, int count, const std::uint8_t* data, std::size_t stride) override {
        if (y < 0 || count < 0 || y + count > frame.height()) return false;
        ++bands;
        for (int i = 0; i < count; ++i)
            std::memcpy(frame.row(y + i), data + stride * std::size_t(i), std::size_t(frame.width()) * frame.channels());
        return true;
    }
};

inline bool SamePixels(const PixelBuffer& a, const PixelBuffer& b) {
    if (a.width() != b.width() || a.height() != b.height() || a.layout() != b.layout()) return false;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.row(y), b.row(y), std::size_t(a.width()) * a.channels()) != 0) return false;
    return true;
}

}  // namespace imaging::test
