// The row-fed JPEG encoder over libjpeg. libjpeg reports errors by calling
// a handler that must not return; ours jumps back to the setjmp frame of
// the step being run. Each step is a function with only trivial locals (a
// jump skips destructors); the compressor belongs to the writer, whose
// destructor releases it on every path.
#include "imaging/encode/jpeg_row_writer.h"

#include "imaging/core/jpeg_error.h"

#include <algorithm>
#include <csetjmp>
#include <string_view>
#include <utility>
#include <vector>

namespace imaging {

// The compressor and what it points to; released on every path (a
// compressor that was never created has no memory to release).
struct JpegRowWriter::Compressor {
    jpeg_compress_struct cinfo{};
    JpegErrorManager err{};
    // APPn segments ready to write: before the profile, and after it.
    std::vector<std::pair<int, std::vector<std::uint8_t>>> segments;
    std::vector<std::pair<int, std::vector<std::uint8_t>>> lateSegments;
    std::vector<std::uint8_t> icc;
    ~Compressor() { jpeg_destroy_compress(&cinfo); }
};

namespace {

using Compressor = JpegRowWriter::Compressor;

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

void Configure(jpeg_compress_struct* cinfo, int width, int height, const JpegSettings& s) {
    cinfo->image_width = static_cast<JDIMENSION>(width);
    cinfo->image_height = static_cast<JDIMENSION>(height);
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
}

// Each step below holds its own setjmp frame: nothing in them has a
// destructor.
bool StartStep(Compressor* c, int width, int height, const JpegSettings& s, std::FILE* out) {
    jpeg_compress_struct* cinfo = &c->cinfo;
    cinfo->err = UseJpegErrorManager(c->err);
    if (setjmp(c->err.jump)) return false;
    jpeg_create_compress(cinfo);
    jpeg_stdio_dest(cinfo, out);
    Configure(cinfo, width, height, s);
    jpeg_start_compress(cinfo, TRUE);
    for (const auto& [marker, segment] : c->segments) WriteSegment(cinfo, marker, segment);
    if (!c->icc.empty() && c->icc.size() <= 0xFFFFFFFFu)
        jpeg_write_icc_profile(cinfo, c->icc.data(), static_cast<unsigned>(c->icc.size()));
    for (const auto& [marker, segment] : c->lateSegments) WriteSegment(cinfo, marker, segment);
    return true;
}

bool WriteStep(Compressor* c, const std::uint8_t* const* rows, int count) {
    if (setjmp(c->err.jump)) return false;
    // libjpeg takes non-const rows but only reads them.
    JSAMPARRAY array = const_cast<JSAMPARRAY>(rows);
    for (int done = 0; done < count;) {
        const JDIMENSION written =
            jpeg_write_scanlines(&c->cinfo, array + done, static_cast<JDIMENSION>(count - done));
        if (written == 0) return false;  // a suspending destination: not ours
        done += static_cast<int>(written);
    }
    return true;
}

bool FinishStep(Compressor* c) {
    if (setjmp(c->err.jump)) return false;
    jpeg_finish_compress(&c->cinfo);
    return true;
}

}  // namespace

JpegRowWriter::JpegRowWriter() = default;
JpegRowWriter::~JpegRowWriter() = default;

bool JpegRowWriter::Start(int width, int height, const JpegSettings& settings, std::FILE* out,
                          const PictureInfo& blocks) {
    if (c_ || failed_ || width <= 0 || height <= 0 || !out) {
        failed_ = true;
        return false;
    }
    c_ = std::make_unique<Compressor>();
    c_->icc = blocks.iccProfile;
    c_->segments.emplace_back(JPEG_APP0 + 1, Segment(std::string_view("Exif\0\0", 6), blocks.exif));
    c_->segments.emplace_back(JPEG_APP0 + 1,
                              Segment(std::string_view("http://ns.adobe.com/xap/1.0/\0", 29), blocks.xmp));
    c_->lateSegments.emplace_back(JPEG_APP0 + 13,
                                  Segment(std::string_view("Photoshop 3.0\0", 14), IptcResource(blocks.iptc)));
    failed_ = !StartStep(c_.get(), width, height, settings, out);
    return !failed_;
}

bool JpegRowWriter::Write(const std::uint8_t* const* rows, int count) {
    if (!c_ || failed_ || !rows || count < 0 ||
        static_cast<JDIMENSION>(count) > c_->cinfo.image_height - c_->cinfo.next_scanline) {
        failed_ = true;
        return false;
    }
    failed_ = !WriteStep(c_.get(), rows, count);
    return !failed_;
}

bool JpegRowWriter::Finish() {
    if (!c_ || failed_ || c_->cinfo.next_scanline != c_->cinfo.image_height) {
        failed_ = true;
        return false;
    }
    failed_ = !FinishStep(c_.get());
    return !failed_;
}

}  // namespace imaging
