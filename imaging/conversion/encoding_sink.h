#pragma once
// A RowSink that hands a frame's bands to the JPEG encoder as they arrive,
// turned into the RGB rows a whole-frame conversion of the same size would
// encode: straight-alpha pixels composited over white exactly as drawing
// the frame into a white bitmap does, then the colours turned into sRGB
// when a transform is given, and mirrored left to right when asked (the
// one turn that keeps every row whole). Only one band is ever held.

#include "imaging/colour/colour_transform.h"
#include "imaging/core/picture_source.h"
#include "imaging/encode/jpeg_row_writer.h"
#include "imaging/scale/resample.h"

#include <memory>
#include <vector>

namespace imaging {

class EncodingSink final : public RowSink {
public:
    // `writer` has started a width x height picture; `toSrgb` may be null.
    EncodingSink(JpegRowWriter& writer, int width, int height, std::shared_ptr<const colour::RgbTransform> toSrgb,
                 bool mirror);

    // Refuses a frame of another size than the writer's.
    bool Begin(int width, int height, PixelLayout layout) override;
    bool Rows(int y, int count, const std::uint8_t* data, std::size_t stride) override;

    // The writer could not start: rows are taken and dropped from now on,
    // so a picture that turns out broken says so before the write failure.
    void WriterFailed() { encoderFailed_ = true; }

    // Every row arrived (and was encoded unless the encoder failed).
    bool Complete() const { return !failed_ && received_ == height_; }
    // The frame came with another size than the one stated.
    bool SizeDiffered() const { return sizeDiffered_; }
    // The encoder could not start or refused rows (a write error); the rest
    // of the rows were still taken.
    bool EncoderFailed() const { return encoderFailed_; }

private:
    bool Fail();
    bool Encode(const std::uint8_t* const* rows, int count);
    bool PrepareBand(int count);
    void CompositeRow(const std::uint8_t* rgba, std::uint8_t* out);

    JpegRowWriter& writer_;
    int width_;
    int height_;
    std::shared_ptr<const colour::RgbTransform> toSrgb_;
    bool mirror_;
    PixelLayout layout_ = PixelLayout::Rgb8;
    bool begun_ = false;
    bool failed_ = false;
    bool sizeDiffered_ = false;
    bool encoderFailed_ = false;
    int received_ = 0;
    AxisWeights horizontal_;    // the resampler's weights for an unchanged row
    std::vector<float> acc_;    // its accumulator for one row
    PixelBuffer band_;          // the band as encoded, when it differs from the source's
    std::vector<const std::uint8_t*> rows_;
};

}  // namespace imaging
