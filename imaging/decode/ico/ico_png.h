#pragma once
// A PNG entry of an icon or cursor, decoded by the program's PNG reader.
// The reader takes a file name, so the entry's bytes are handed to it as
// an anonymous in-memory file: nothing is written to disk.

#include "imaging/core/picture_source.h"

#include <cstddef>
#include <cstdint>

namespace imaging::decode::ico {

// True when the entry's data starts with the PNG signature.
bool IsPngEntry(const std::uint8_t* data, std::size_t available);

// The size the PNG's header states.
Status MeasureIcoPng(const std::uint8_t* data, std::size_t available, int& width, int& height);

// `data` holds the bytes from the entry's offset to the end of the file:
// the PNG's own chunks say where it ends, whatever the directory states.
Status DecodeIcoPng(const std::uint8_t* data, std::size_t available, const DecodeLimits& limits,
                    PixelBuffer& out);

}  // namespace imaging::decode::ico
