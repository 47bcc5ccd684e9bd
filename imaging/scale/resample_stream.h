#pragma once
// The bicubic resampler fed row by row: a sink for a decoder that delivers
// its frame in bands. Only the source rows that output rows still to come
// will read are kept (a ring a little deeper than the vertical filter), and
// output rows are made, in batches spread over the cores, soon after their
// last source row has arrived, so a large picture is shrunk without ever
// holding it whole. The result is the one ResampleBicubic gives for the
// whole frame into a white bitmap. It is either kept (Take) or handed on,
// a few rows at a time, to a sink behind it (an encoder), so that not even
// the output is ever held whole.

#include "imaging/core/large_memory.h"
#include "imaging/core/picture_source.h"
#include "imaging/scale/resample.h"

#include <vector>

namespace imaging {

class StreamingResampler final : public RowSink {
public:
    // The output size; the source's comes with Begin. With `output`, the
    // rows made go to it (Rgb8, top to bottom, in bands of at most
    // kOutputBandRows) as soon as they are made, and nothing is kept.
    StreamingResampler(int outWidth, int outHeight, RowSink* output = nullptr);

    bool Begin(int width, int height, PixelLayout layout) override;
    bool Rows(int y, int count, const std::uint8_t* data, std::size_t stride) override;

    // The scaled picture (Rgb8) once every source row has arrived;
    // GenericError while rows are missing or after a refused call, and
    // always when the rows went to an output sink.
    Status Take(PixelBuffer& out);
    // Every output row was made (and taken by the output sink, if any).
    bool Complete() const { return !failed_ && begun_ && received_ == sourceHeight_ && nextOut_ == outHeight_; }

    static constexpr int kOutputBandRows = 64;

private:
    static constexpr int kBatchRows = 128;

    bool StartOutput();
    void AddRow(const std::uint8_t* row);
    bool EmitReady();
    void MakeRows(int first, int count, std::uint8_t* out, std::size_t stride);
    void EmitRow(int r, float* acc, const std::uint8_t** window, std::uint8_t* out);

    int outWidth_;
    int outHeight_;
    RowSink* output_;
    bool failed_ = false;
    bool begun_ = false;
    int sourceHeight_ = 0;
    PixelLayout layout_ = PixelLayout::Rgb8;
    AxisWeights horizontal_;
    AxisWeights vertical_;
    int spanBegin_ = 0;
    std::size_t span_ = 0;       // source columns kept of every row
    std::size_t rowBytes_ = 0;   // bytes kept of every row
    bool copyRows_ = false;  // both axes are copies: rows go straight to out_
    int ringRows_ = 0;
    LargeBlock ring_;  // the last ringRows_ source rows
    int received_ = 0;  // source rows seen
    int batchedAt_ = 0;  // received_ at the last batch
    int nextOut_ = 0;   // first output row not yet made
    PixelBuffer out_;  // the whole output, or one band of it for output_
};

}  // namespace imaging
