// A whole frame on two threads: the first decompressor decodes the rows
// above the split and simply stops there; the second one, which passed
// over the same rows, finds any damage the first would have gone on to
// find, and reads the end of the file. Bands for a sink come from one.
#include "imaging/decode/jpeg_rows.h"

#include "imaging/core/parallel.h"
#include "imaging/decode/jpeg_decompressor.h"
#include "imaging/decode/jpeg_lower_part.h"

#include <algorithm>

namespace imaging::decode {
namespace {

constexpr int kBandRows = 16;

// Rows [y, end) of `started` into the frame's rows.
Status ReadInto(JpegDecompressor& started, PixelBuffer& out, int y, int end) {
    int rows = 0;
    if (Status s = started.ReadRows(out.data() + out.stride() * static_cast<std::size_t>(y), out.stride(), end - y, rows);
        s != Status::Ok)
        return s;
    return rows == end - y ? Status::Ok : Status::GenericError;
}

// Rows [y, end) of `started` to the sink, a band at a time: straight into
// the sink's memory where it offers room, else through `band`.
Status ReadToSink(JpegDecompressor& started, PixelBuffer& band, int y, int end, RowSink& sink) {
    while (y < end) {
        int room = 0;
        std::size_t stride = 0;
        std::uint8_t* target = sink.RowSpace(y, std::min(band.height(), end - y), room, stride);
        if (!target) {
            target = band.data();
            stride = band.stride();
            room = std::min(band.height(), end - y);
        }
        int rows = 0;
        if (Status s = started.ReadRows(target, stride, room, rows); s != Status::Ok) return s;
        if (rows <= 0) return Status::GenericError;
        if (!sink.Rows(y, rows, target, stride)) return Status::Aborted;
        y += rows;
    }
    return Status::Ok;
}

}  // namespace

Status DecodeJpegFrame(JpegDecompressor& started, const JpegPass& pass, PixelBuffer& out) {
    out.Reset();
    if (!out.Allocate(pass.width, pass.height, PixelLayout::Rgb8)) return Status::OutOfMemory;
    const int split = JpegSplitRow(started, pass.height, WorkerCount());
    JpegLowerPart lower;
    const bool twoThreads = split > 0 && lower.Start(pass.path, pass.numerator, pass.limits, split, pass.width,
                                                     pass.height, out.data() + out.stride() * split, out.stride());
    Status s = ReadInto(started, out, 0, twoThreads ? split : pass.height);
    if (twoThreads) {
        if (s != Status::Ok) lower.Cancel();
        const Status lowerStatus = lower.Finish();
        if (s == Status::Ok) s = lowerStatus;
    } else if (s == Status::Ok) {
        s = started.Finish();
    }
    if (s != Status::Ok) out.Reset();
    return s;
}

Status StreamJpegRows(JpegDecompressor& started, const JpegPass& pass, RowSink& sink) {
    PixelBuffer band;
    if (!band.Allocate(pass.width, std::min(kBandRows, pass.height), PixelLayout::Rgb8)) return Status::OutOfMemory;
    if (!sink.Begin(pass.width, pass.height, PixelLayout::Rgb8)) return Status::Aborted;
    if (Status s = ReadToSink(started, band, 0, pass.height, sink); s != Status::Ok) return s;
    return started.Finish();
}

}  // namespace imaging::decode
