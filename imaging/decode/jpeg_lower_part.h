#pragma once
// The lower rows of a sequential JPEG, decoded on a thread of their own.
//
// libjpeg's entropy decoding is serial: no row can be decoded before every
// row above it has been. Skipping rows (jpeg_skip_scanlines) runs only the
// entropy decoder, though, which is about three fifths of the cost of
// decoding them fully. So while one decompressor decodes the upper part of
// a picture, a second one skips that part and decodes the lower part. Both
// read the same file with the same library, so the rows are the very rows
// a single pass makes.
//
// It pays only where nothing else waits for the cores: a whole frame that
// is wanted before anything is done with it. When rows are handed on as
// they come, whatever takes them keeps the other core busy already, and
// the skipping is extra work.

#include "imaging/core/status.h"
#include "imaging/core/picture_source.h"

#include <QString>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

namespace imaging::decode {

class JpegDecompressor;

// The first row the second thread decodes, for a started decompressor
// making `height` rows, with `threads` cores to use; 0 when one thread
// should decode it all: progressive and CMYK files, small pictures, one core.
int JpegSplitRow(const JpegDecompressor& started, int height, int threads);

class JpegLowerPart {
public:
    JpegLowerPart() = default;
    ~JpegLowerPart();
    JpegLowerPart(const JpegLowerPart&) = delete;
    JpegLowerPart& operator=(const JpegLowerPart&) = delete;

    // Starts decoding rows [split, height) of the picture at `path` at
    // numerator/8, which is width x height there, into rows `stride` bytes
    // apart from `first` (the place of row `split`). False when no thread
    // could be started.
    bool Start(const QString& path, int numerator, const DecodeLimits& limits, int split, int width, int height,
               std::uint8_t* first, std::size_t stride);
    // Asks the thread to stop after its current rows (the caller gave up).
    void Cancel();
    // Waits for the thread; Ok only when every row was decoded and the file
    // ended properly.
    Status Finish();

private:
    Status Decode(const QString& path, int numerator, const DecodeLimits& limits);

    int split_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::uint8_t* first_ = nullptr;
    std::size_t stride_ = 0;
    std::atomic<bool> cancelled_{false};
    Status status_ = Status::GenericError;  // written by the thread, read after joining it
    std::thread thread_;
};

}  // namespace imaging::decode
