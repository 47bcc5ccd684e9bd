#pragma once
// Undoes the per-row filters of PNG image data (None, Sub, Up, Average,
// Paeth) for pictures with whole-byte pixels of 1 to 4 bytes.

#include <cstddef>
#include <cstdint>

namespace imaging::decode {

// Rebuilds one row: `filtered` holds the row's bytes after its filter-type
// byte, `prior` the rebuilt row above (zeros for the first row). Writes
// `rowBytes` bytes, a whole number of pixels, to `out`, which must not
// overlap either input. False for a filter type above 4.
bool UnfilterRow(std::uint8_t filterType, int bytesPerPixel, const std::uint8_t* filtered,
                 const std::uint8_t* prior, std::uint8_t* out, std::size_t rowBytes);

}  // namespace imaging::decode
