// The JPEG encoder over libjpeg. libjpeg reports errors by calling a handler
// that must not return; ours jumps back to the one function that holds the
// setjmp frame. That function has only trivial locals (a jump skips
// destructors); the compressor itself belongs to its caller, whose deleter
// releases it on every path.
#include "imaging/encode/jpeg_writer.h"

#include "imaging/core/jpeg_error.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <string_view>
#include <memory>
#include <vector>

namespace imaging {

namespace {

// The compressor and what it points to; released on every path (a
// compressor that was never created has no memory to release).
struct Compressor {
    jpeg_compress_struct cinfo{};
    JpegErrorManager err{};
    std::vector<std::uint8_t> scratch;  // one composited row for RGBA input
    // APPn segments ready to write: before the profile, and after it.
    std::vector<std::pair<int, std::vector<std::uint8_t>>> segments;
    std::vector<std::pair<int, std::vector<std::uint8_t>>> lateSegments;
    std::vector<std::uint8_t> icc;
    Compressor() = default;
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;
    ~Compressor() { jpeg_destroy_compress(&cinfo); }
};

const std::uint8_t* RowForEncoder(const PixelBuffer& pixels, int y, std::uint8_t* scratch) {
    const std::uint8_t* row = pixels.row(y);
    if (pixels.layout() == PixelLayout::Rgb8) return row;
    for (int x = 0; x < pixels.width(); ++x) {
        const unsigned a = row[4 * x + 3];
        for (int c = 0; c < 3; ++c)
            scratch[3 * x + c] = static_cast<std::uint8_t>((row[4 * x + c] * a + 255u * (255u - a) + 127u) / 255u);
    }
    return scratch;
}

// A block with its identifier in front, when it fits one segment.
std::vector<std::uint8_t> Segment(std::string_view tag, const std::vector<std::uint8_t>& block) {
    constexpr std::size_t kRoom = 65533;
    if (block.empty() || block.size() > kRoom - tag.size()) return {};
    std::vector<std::uint8_t> segment(tag.begin(), tag.end());
    segment.insert(segment.end(), block.begin(), block.end());
    return segment;
}

// IPTC datasets as Photoshop image resource 0x0404 with an empty name.
std::vector<std::uint8_t> IptcResource(const std::vector<std::uint8_t>& iptc) {
    if (iptc.empty() || iptc.size() > 0xFFFFFF) return {};
    std::vector<std::uint8_t> irb = {'8', 'B', 'I', 'M', 0x04, 0x04, 0, 0};
    const auto size = static_cast<std::uint32_t>(iptc.size());
    for (int shift = 24; shift >= 0; shift -= 8) irb.push_back(static_cast<std::uint8_t>(size >> shift));
    irb.insert(irb.end(), iptc.begin(), iptc.end());
    if (iptc.size() % 2) irb.push_back(0);
    return irb;
}

void WriteSegment(jpeg_compress_struct* cinfo, int marker, const std::vector<std::uint8_t>& segment) {
    if (!segment.empty())
        jpeg_write_marker(cinfo, marker, segment.data(), static_cast<unsigned>(segment.size()));
}

// Holds the setjmp frame: nothing here has a destructor.
bool Compress(Compressor* c, const PixelBuffer& pixels, const JpegSettings& s, std::FILE* out) {
    jpeg_compress_struct* cinfo = &c->cinfo;
    cinfo->err = UseJpegErrorManager(c->err);
    if (setjmp(c->err.jump)) return false;
    jpeg_create_compress(cinfo);
    jpeg_stdio_dest(cinfo, out);
    cinfo->image_width = static_cast<JDIMENSION>(pixels.width());
    cinfo->image_height = static_cast<JDIMENSION>(pixels.height());
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, s.quality, TRUE);  // baseline tables
    // 4:2:0: luma at full size, both chroma planes at half size each way.
    cinfo->comp_info[0].h_samp_factor = 2;
    cinfo->comp_info[0].v_samp_factor = 2;
    for (int i = 1; i < 3; ++i) {
        cinfo->comp_info[i].h_samp_factor = 1;
        cinfo->comp_info[i].v_samp_factor = 1;
    }
    cinfo->write_JFIF_header = TRUE;
    cinfo->density_unit = 1;  // dots per inch
    cinfo->X_density = static_cast<UINT16>(std::clamp(s.xdpi, 1, 65535));
    cinfo->Y_density = static_cast<UINT16>(std::clamp(s.ydpi, 1, 65535));
    cinfo->dct_method = JDCT_ISLOW;
    jpeg_start_compress(cinfo, TRUE);
    for (const auto& [marker, segment] : c->segments) WriteSegment(cinfo, marker, segment);
    if (!c->icc.empty() && c->icc.size() <= 0xFFFFFFFFu)
        jpeg_write_icc_profile(cinfo, c->icc.data(),
                               static_cast<unsigned>(c->icc.size()));
    for (const auto& [marker, segment] : c->lateSegments) WriteSegment(cinfo, marker, segment);
    while (cinfo->next_scanline < cinfo->image_height) {
        const int y = static_cast<int>(cinfo->next_scanline);
        JSAMPROW row = const_cast<JSAMPROW>(RowForEncoder(pixels, y, c->scratch.data()));
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

}  // namespace

int JpegDotsPerInch(float dpi) {
    if (!std::isfinite(dpi) || dpi < 1.0f) return 96;
    return static_cast<int>(std::lround(std::min(dpi, 65535.0f)));
}

bool WriteJpeg(const PixelBuffer& pixels, const JpegSettings& settings, std::FILE* out, const PictureInfo& blocks) {
    if (pixels.empty() || !out) return false;
    auto c = std::make_unique<Compressor>();
    if (pixels.layout() == PixelLayout::Rgba8) c->scratch.resize(static_cast<std::size_t>(pixels.width()) * 3);
    c->icc = blocks.iccProfile;
    c->segments.emplace_back(JPEG_APP0 + 1, Segment(std::string_view("Exif\0\0", 6), blocks.exif));
    c->segments.emplace_back(JPEG_APP0 + 1,
                             Segment(std::string_view("http://ns.adobe.com/xap/1.0/\0", 29), blocks.xmp));
    c->lateSegments.emplace_back(JPEG_APP0 + 13,
                                 Segment(std::string_view("Photoshop 3.0\0", 14), IptcResource(blocks.iptc)));
    return Compress(c.get(), pixels, settings, out);
}

}  // namespace imaging
