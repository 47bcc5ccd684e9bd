#pragma once
// What most picture sources share: one frame dimension (pages or time) and
// one resolution for every frame. This base answers Dimensions and the
// resolution, and tells a source whether a dimension and index it is asked
// for name one of its frames.
#include "imaging/core/picture_source.h"

#include <cstdint>
#include <vector>

namespace imaging {

class SingleDimensionSource : public PictureSource {
public:
    SingleDimensionSource(FrameDimension dimension, float dpiX, float dpiY)
        : dimensions_{dimension}, dpiX_(dpiX), dpiY_(dpiY) {}

    const std::vector<FrameDimension>& Dimensions() const override { return dimensions_; }
    float HorizontalResolution() const override { return dpiX_; }
    float VerticalResolution() const override { return dpiY_; }

protected:
    bool Valid(const GUID& dimension, std::uint32_t index) const {
        return dimension == dimensions_[0].id && index < dimensions_[0].frameCount;
    }
    // For a source that learns its resolution only from the first frame.
    void SetResolution(float dpiX, float dpiY) {
        dpiX_ = dpiX;
        dpiY_ = dpiY;
    }

private:
    std::vector<FrameDimension> dimensions_;
    float dpiX_;
    float dpiY_;
};

}  // namespace imaging
