#include "imaging/decode/tiff/tiff_rgba.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace imaging::decode::tiff {
namespace {

struct Free {
    void operator()(std::uint32_t* p) const { std::free(p); }
};

struct ImageEnd {
    void operator()(TIFFRGBAImage* image) const { TIFFRGBAImageEnd(image); }
};

inline std::uint8_t Unpremultiply(unsigned c, unsigned a) {
    return a == 0 ? 0 : static_cast<std::uint8_t>(std::min(255u, (c * 255u + a / 2) / a));
}

void CopyOut(const std::uint32_t* raster, bool alpha, PixelBuffer& out) {
    const int n = out.channels();
    for (int y = 0; y < out.height(); ++y) {
        const std::uint32_t* src = raster + static_cast<std::size_t>(y) * out.width();
        std::uint8_t* dst = out.row(y);
        for (int x = 0; x < out.width(); ++x, dst += n) {
            const std::uint32_t p = src[x];
            const unsigned a = TIFFGetA(p);
            // libtiff's raster carries premultiplied alpha.
            dst[0] = alpha ? Unpremultiply(TIFFGetR(p), a) : static_cast<std::uint8_t>(TIFFGetR(p));
            dst[1] = alpha ? Unpremultiply(TIFFGetG(p), a) : static_cast<std::uint8_t>(TIFFGetG(p));
            dst[2] = alpha ? Unpremultiply(TIFFGetB(p), a) : static_cast<std::uint8_t>(TIFFGetB(p));
            if (alpha) dst[3] = static_cast<std::uint8_t>(a);
        }
    }
}

}  // namespace

Status ReadRgbaPage(TiffFile& file, const TiffPage& page, PixelBuffer& out) {
    TIFFRGBAImage image{};
    char message[1024] = {};
    if (!TIFFRGBAImageBegin(&image, file.handle(), 1, message)) return Status::GenericError;
    std::unique_ptr<TIFFRGBAImage, ImageEnd> end(&image);
    // Stored order, top row first: the page's orientation is applied
    // afterwards like for every other page, quarter turns included.
    image.req_orientation = ORIENTATION_TOPLEFT;
    image.orientation = ORIENTATION_TOPLEFT;
    const std::size_t pixels = static_cast<std::size_t>(page.width) * static_cast<std::size_t>(page.height);
    std::unique_ptr<std::uint32_t, Free> raster(static_cast<std::uint32_t*>(std::malloc(pixels * 4)));
    if (!raster) return Status::OutOfMemory;
    if (!TIFFRGBAImageGet(&image, raster.get(), static_cast<std::uint32_t>(page.width),
                          static_cast<std::uint32_t>(page.height)) ||
        file.failed())
        return Status::GenericError;
    const bool alpha = image.alpha != 0;
    if (!out.Allocate(page.width, page.height, alpha ? PixelLayout::Rgba8 : PixelLayout::Rgb8))
        return Status::OutOfMemory;
    CopyOut(raster.get(), alpha, out);
    return Status::Ok;
}

}  // namespace imaging::decode::tiff
