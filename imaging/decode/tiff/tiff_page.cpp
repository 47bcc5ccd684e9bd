#include "imaging/decode/tiff/tiff_page.h"

#include "imaging/decode/orientation.h"

#include <tiffio.h>

#include <cmath>

namespace imaging::decode::tiff {
namespace {

// Colour models libtiff's RGBA interface converts for us.
bool LibtiffConverts(std::uint16_t photometric, std::uint16_t compression) {
    return photometric == PHOTOMETRIC_YCBCR || photometric == PHOTOMETRIC_CIELAB ||
           photometric == PHOTOMETRIC_LOGL || photometric == PHOTOMETRIC_LOGLUV ||
           compression == COMPRESSION_OJPEG;
}

bool ReadModel(std::uint16_t photometric, std::uint16_t inkSet, Model& model) {
    switch (photometric) {
        case PHOTOMETRIC_MINISBLACK: model = Model::Grey; return true;
        case PHOTOMETRIC_MINISWHITE: model = Model::GreyInverted; return true;
        case PHOTOMETRIC_PALETTE: model = Model::Palette; return true;
        case PHOTOMETRIC_RGB: model = Model::Rgb; return true;
        case PHOTOMETRIC_SEPARATED:
            model = Model::Cmyk;
            return inkSet == INKSET_CMYK;
        default: return false;
    }
}

bool ReadSampleKind(const TiffPage& page, std::uint16_t format, SampleKind& kind) {
    const int bits = page.bitsPerSample;
    switch (format) {
        case SAMPLEFORMAT_UINT:
        case SAMPLEFORMAT_VOID: kind = SampleKind::Unsigned; return bits >= 1 && bits <= 32;
        case SAMPLEFORMAT_INT: kind = SampleKind::Signed; return bits >= 2 && bits <= 32;
        case SAMPLEFORMAT_IEEEFP: kind = SampleKind::Float; return bits == 16 || bits == 32 || bits == 64;
        default: return false;
    }
}

// The first extra sample, when the file says it is alpha (or says nothing
// of what it is: ImageMagick reads an unspecified extra sample as alpha).
void ReadAlpha(::tiff* tif, TiffPage& page) {
    if (page.samplesPerPixel <= page.channels() || page.model == Model::Palette) return;
    std::uint16_t count = 0;
    std::uint16_t* types = nullptr;
    std::uint16_t first = EXTRASAMPLE_UNSPECIFIED;
    if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &count, &types) == 1 && count > 0 && types) first = types[0];
    page.alpha = first == EXTRASAMPLE_ASSOCALPHA ? AlphaKind::Premultiplied : AlphaKind::Straight;
    page.alphaSample = page.channels();
}

// A colour map of 16-bit entries, or of 8-bit ones from writers that
// got it wrong: when no entry exceeds 255 the map is taken as 8-bit, as
// libtiff's own RGBA interface does.
bool ReadPalette(::tiff* tif, TiffPage& page) {
    std::uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (page.bitsPerSample > 16 || TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) != 1 || !r || !g || !b) return false;
    const std::size_t entries = std::size_t{1} << page.bitsPerSample;
    bool eightBit = true;
    for (std::size_t i = 0; i < entries && eightBit; ++i) eightBit = r[i] < 256 && g[i] < 256 && b[i] < 256;
    page.palette.resize(entries * 3);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint16_t* maps[] = {r, g, b};
        for (int c = 0; c < 3; ++c) {
            const unsigned v = maps[c][i];
            page.palette[i * 3 + c] = static_cast<std::uint8_t>(eightBit ? v : (v * 255u + 32767u) / 65535u);
        }
    }
    return true;
}

void ReadFloatRange(::tiff* tif, TiffPage& page) {
    double lo = 0, hi = 0;
    if (TIFFGetField(tif, TIFFTAG_SMINSAMPLEVALUE, &lo) == 1 && TIFFGetField(tif, TIFFTAG_SMAXSAMPLEVALUE, &hi) == 1 &&
        std::isfinite(lo) && std::isfinite(hi) && hi > lo) {
        page.floatMin = lo;
        page.floatMax = hi;
    }
}

}  // namespace

Status ReadTiffPage(::tiff* tif, TiffPage& page) {
    page = TiffPage{};
    std::uint32_t width = 0, height = 0;
    if (TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) != 1 || TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height) != 1 ||
        width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        return Status::GenericError;
    page.width = static_cast<int>(width);
    page.height = static_cast<int>(height);
    std::uint16_t orientation = 1, bits = 1, samples = 1, format = SAMPLEFORMAT_UINT, planar = PLANARCONFIG_CONTIG;
    std::uint16_t photometric = PHOTOMETRIC_MINISWHITE, compression = COMPRESSION_NONE, inkSet = INKSET_CMYK;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inkSet);
    const bool hasPhotometric = TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric) == 1;
    if (!hasPhotometric) photometric = samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    page.orientation = orientation >= 1 && orientation <= 8 ? orientation : 1;
    page.bitsPerSample = bits;
    page.samplesPerPixel = samples;
    page.planar = planar == PLANARCONFIG_SEPARATE && samples > 1;

    if (LibtiffConverts(photometric, compression)) {
        page.route = PageRoute::LibtiffRgba;
        char message[1024];
        return TIFFRGBAImageOK(tif, message) ? Status::Ok : Status::NotImplemented;
    }
    if (!ReadModel(photometric, inkSet, page.model) || !ReadSampleKind(page, format, page.kind))
        return Status::NotImplemented;
    if (samples < page.channels()) return Status::GenericError;
    if (page.model == Model::Palette && (page.kind != SampleKind::Unsigned || !ReadPalette(tif, page)))
        return Status::GenericError;
    ReadAlpha(tif, page);
    if (page.kind == SampleKind::Float) ReadFloatRange(tif, page);
    return Status::Ok;
}

Status CheckPageLimits(const TiffPage& page, const DecodeLimits& limits) {
    const std::int64_t pixels = static_cast<std::int64_t>(page.width) * page.height;
    // The RGBA route needs four bytes a pixel for libtiff's raster.
    const int bytes = page.route == PageRoute::LibtiffRgba ? 4 : BytesPerPixel(page.layout());
    if (page.width > limits.maxSide || page.height > limits.maxSide || pixels > limits.maxPixels ||
        pixels * bytes > limits.maxBytes)
        return Status::OutOfMemory;
    return Status::Ok;
}

}  // namespace imaging::decode::tiff
