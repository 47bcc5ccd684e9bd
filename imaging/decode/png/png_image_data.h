#pragma once
// The image data of a PNG file read without libpng, for the common
// pictures whose rows need no more than the filters undone: the IDAT
// chunks from the first one, inflated row by row, then the chunks after
// them up to IEND. It takes over a stream that libpng read up to the
// first IDAT's data, and treats damage as libpng does there: a bad CRC on
// a critical chunk, a zlib error, a file cut short or too little image
// data fail; a bad CRC on an ancillary chunk, data beyond the last row
// and IDATs after the stream's end do not. Where libpng only warns, about
// a zlib error or a bad or missing ADLER32 met after the last row, the
// decode fails too: the stream must be whole and right.

#include "imaging/core/status.h"
#include "imaging/decode/png/png_inflater.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace imaging::decode {

class PngImageData {
public:
    // `file` is positioned just past the first IDAT's type and stays owned
    // by the caller. Rows are `rowBytes` bytes after their filter byte.
    PngImageData(std::FILE* file, std::size_t rowBytes);
    ~PngImageData();
    PngImageData(const PngImageData&) = delete;
    PngImageData& operator=(const PngImageData&) = delete;

    // The next row as stored: its filter byte, then `rowBytes` bytes.
    Status ReadRow(std::uint8_t* row);
    // After the last row: the rest of the zlib stream and every chunk up to
    // and including IEND.
    Status Finish();

private:
    bool Start();
    bool Refill();
    bool NextChunk(std::uint32_t& length, std::uint32_t& type);
    bool SkipChunkData(std::uint32_t length, std::uint32_t crc, bool critical);
    bool FinishChunk(bool critical);
    bool DrainStream();
    bool BeginStream();
    bool TakeStreamBytes(std::uint8_t* out, std::size_t count);
    bool InflateStep(std::uint8_t*& out, std::size_t& outLeft, PngInflater::Result& result);

    std::FILE* file_;
    std::size_t rowBytes_;
    PngInflater inflater_;
    bool started_ = false;
    bool failed_ = false;
    bool streamEnded_ = false;
    std::uint32_t chunkLeft_ = 0;  // data bytes of the current IDAT not read yet
    std::uint32_t crc_ = 0;        // of the current chunk so far
    std::vector<std::uint8_t> input_;
    const std::uint8_t* inNext_ = nullptr;  // the part of input_ not inflated yet
    std::size_t inLeft_ = 0;
};

}  // namespace imaging::decode
