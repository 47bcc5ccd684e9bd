#pragma once
// Rows of a non-interlaced 8-bit grey, grey+alpha, RGB or RGBA PNG without
// tRNS, decoded without libpng: inflated, unfiltered and, for grey, spread
// to RGB(A) exactly as libpng's expansion does. Used for the pictures
// that make up nearly every PNG, where libpng's row loop is the slow part.

#include "imaging/core/status.h"
#include "imaging/decode/png/png_image_data.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace imaging::decode {

class PngRowDecoder {
public:
    // `file` is positioned just past the first IDAT's type (where libpng's
    // png_read_info leaves it); `storedChannels` is 1 to 4.
    PngRowDecoder(std::FILE* file, int width, int storedChannels);

    // The next `count` rows as RGB or RGBA, `stride` bytes apart.
    Status ReadRows(std::uint8_t* base, std::size_t stride, int count);
    // The rest of the file, up to IEND.
    Status Finish() { return data_.Finish(); }

    // Whether a PNG of this layout can be decoded here.
    static bool Handles(int bitDepth, int colourType, bool interlaced, bool hasTrns);
    // Samples per pixel as stored, for the colour types handled.
    static int StoredChannels(int colourType);

private:
    PngImageData data_;
    std::size_t width_;
    int channels_;
    std::vector<std::uint8_t> filtered_;  // the filter byte, then the row as stored
    std::vector<std::uint8_t> prior_;     // the row above, unfiltered
    std::vector<std::uint8_t> row_;       // a grey row, unfiltered
};

}  // namespace imaging::decode
