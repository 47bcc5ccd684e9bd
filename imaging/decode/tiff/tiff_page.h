#pragma once
// What one TIFF directory says about its picture, read from the tags of
// the current directory, and how it will be decoded: by our own sample
// readers (every bit depth and sample format of grey, palette, RGB and
// CMYK pictures, chunky or planar, strips or tiles) or by libtiff's RGBA
// interface (YCbCr, old-style JPEG, CIELab, LogLuv), which converts the
// colour models it knows better than we would.

#include "imaging/core/picture_source.h"

#include <cstdint>
#include <vector>

struct tiff;

namespace imaging::decode::tiff {

enum class PageRoute { Samples, LibtiffRgba };

enum class Model { Grey, GreyInverted, Palette, Rgb, Cmyk };

enum class SampleKind { Unsigned, Signed, Float };

enum class AlphaKind { None, Straight, Premultiplied };

struct TiffPage {
    int width = 0;  // as stored
    int height = 0;
    int orientation = 1;
    PageRoute route = PageRoute::Samples;
    Model model = Model::Grey;
    int bitsPerSample = 8;
    int samplesPerPixel = 1;
    SampleKind kind = SampleKind::Unsigned;
    bool planar = false;
    AlphaKind alpha = AlphaKind::None;
    int alphaSample = 0;  // which sample holds alpha
    // The range of float samples (SMinSampleValue/SMaxSampleValue), 0..1
    // unless the file states another.
    double floatMin = 0.0;
    double floatMax = 1.0;
    // Palette entries as 8-bit R, G, B triplets.
    std::vector<std::uint8_t> palette;

    int channels() const { return model == Model::Rgb ? 3 : model == Model::Cmyk ? 4 : 1; }
    PixelLayout layout() const { return alpha == AlphaKind::None ? PixelLayout::Rgb8 : PixelLayout::Rgba8; }
};

// Reads the current directory. GenericError for a directory that makes no
// sense, NotImplemented for a layout neither route decodes.
Status ReadTiffPage(::tiff* tif, TiffPage& page);

// The picture's size, upright, against the limits (with `bytesPerPixel`
// for the frame that will be allocated).
Status CheckPageLimits(const TiffPage& page, const DecodeLimits& limits);

}  // namespace imaging::decode::tiff
