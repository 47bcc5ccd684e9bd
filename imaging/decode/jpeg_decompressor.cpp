// libjpeg-turbo behind JpegDecompressor. Files are read with libjpeg's
// stdio source; rows are decoded straight into the pixel buffer (CMYK goes
// through one row of scratch space and is turned into RGB, with Adobe's
// inverted storage taken into account, through the file's own profile when
// it carries a usable one).
#include "imaging/decode/jpeg_decompressor.h"

#include "imaging/colour/colour_transform.h"
#include "imaging/core/file_handle.h"
#include "imaging/core/jpeg_error.h"
#include "imaging/decode/jpeg_markers.h"
#include "imaging/decode/resolution.h"
#include "imaging/decode/tiff_directory.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace imaging::decode {
namespace {

using ErrorManager = JpegErrorManager;

// Warnings that mean the picture data is damaged or missing; libjpeg would
// carry on and fill the rest with grey. Others (extra bytes between
// segments, unusual but harmless parameters) are tolerated, as viewers do.
bool WarningMeansDamage(int code) {
    switch (code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_ARITH_BAD_CODE:
        case JWRN_MUST_RESYNC:
        case JWRN_BOGUS_PROGRESSION:
            return true;
        default:
            return false;
    }
}

void EmitMessage(j_common_ptr cinfo, int level) {
    if (level < 0 && WarningMeansDamage(cinfo->err->msg_code)) JpegErrorExit(cinfo);
}

// ---- Guarded calls: setjmp frames whose locals are trivial. ----

bool GuardedCreate(jpeg_decompress_struct* info, ErrorManager* error) {
    if (setjmp(error->jump)) return false;
    jpeg_create_decompress(info);
    return true;
}

bool GuardedReadHeader(jpeg_decompress_struct* info, ErrorManager* error, std::FILE* file) {
    if (setjmp(error->jump)) return false;
    jpeg_stdio_src(info, file);
    jpeg_save_markers(info, JPEG_APP0 + 1, 0xFFFF);  // EXIF, XMP
    jpeg_save_markers(info, JPEG_APP0 + 2, 0xFFFF);  // ICC profile chunks
    jpeg_save_markers(info, JPEG_APP0 + 13, 0xFFFF);  // IPTC
    return jpeg_read_header(info, TRUE) == JPEG_HEADER_OK;
}

bool GuardedCalcOutput(jpeg_decompress_struct* info, ErrorManager* error) {
    if (setjmp(error->jump)) return false;
    jpeg_calc_output_dimensions(info);
    return true;
}

// Four CMYK bytes to three RGB bytes. Adobe's files store the inks
// inverted (0 = full ink), others store them as they are.
void CmykRowToRgb(const JSAMPLE* cmyk, std::uint8_t* rgb, JDIMENSION width, boolean inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
        for (int c = 0; c < 3; ++c) {
            const unsigned v = inverted ? cmyk[c] : 255u - cmyk[c];
            rgb[c] = static_cast<std::uint8_t>((v * k + 127) / 255);
        }
    }
}

bool GuardedStart(jpeg_decompress_struct* info, ErrorManager* error) {
    if (setjmp(error->jump)) return false;
    return jpeg_start_decompress(info);
}

// Decodes up to `maxRows` rows into rows `stride` bytes apart from `base`:
// RGB straight into them, CMYK through `scratch` (one row of 4 * width
// bytes) and `profile` when there is one. The rows read, or -1 on damage.
int GuardedReadRows(jpeg_decompress_struct* info, ErrorManager* error, std::uint8_t* base, std::size_t stride,
                    int maxRows, JSAMPLE* scratch, const colour::CmykTransform* profile) {
    if (setjmp(error->jump)) return -1;
    int done = 0;
    while (done < maxRows && info->output_scanline < info->output_height) {
        if (scratch) {
            JSAMPROW rows[1] = {scratch};
            if (jpeg_read_scanlines(info, rows, 1) != 1) return -1;
            if (profile)
                profile->Row(scratch, base + stride * done, static_cast<int>(info->output_width),
                             info->saw_Adobe_marker);
            else
                CmykRowToRgb(scratch, base + stride * done, info->output_width, info->saw_Adobe_marker);
            ++done;
        } else {
            JSAMPROW rows[4];
            int count = 0;
            for (; count < 4 && done + count < maxRows && info->output_scanline + count < info->output_height; ++count)
                rows[count] = base + stride * (done + count);
            const JDIMENSION got = jpeg_read_scanlines(info, rows, static_cast<JDIMENSION>(count));
            if (got == 0) return -1;
            done += static_cast<int>(got);
        }
    }
    return done;
}

bool GuardedSkip(jpeg_decompress_struct* info, ErrorManager* error, JDIMENSION count) {
    if (setjmp(error->jump)) return false;
    return jpeg_skip_scanlines(info, count) == count;
}

bool GuardedFinish(jpeg_decompress_struct* info, ErrorManager* error) {
    if (setjmp(error->jump)) return false;
    jpeg_finish_decompress(info);
    return true;
}

// ---- EXIF ----

void ReadExif(const jpeg_decompress_struct& info, JpegHeader& header, float& exifDpiX, float& exifDpiY) {
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next) {
        if (m->marker != JPEG_APP0 + 1 || m->data_length < 14 || std::memcmp(m->data, "Exif\0\0", 6) != 0)
            continue;
        QByteArray tiff(reinterpret_cast<const char*>(m->data) + 6, static_cast<int>(m->data_length) - 6);
        QBuffer device(&tiff);
        device.open(QIODevice::ReadOnly);
        const TiffSummary summary = ReadTiffSummary(device);
        if (!summary.valid) continue;
        header.orientation = summary.orientation;
        const int unit = summary.resolutionUnit == 3 ? 2 : summary.resolutionUnit == 2 ? 1 : 0;
        if (unit && summary.xResolution > 0 && summary.yResolution > 0) {
            exifDpiX = DpiFromDensity(summary.xResolution, unit);
            exifDpiY = DpiFromDensity(summary.yResolution, unit);
        }
        return;
    }
}

}  // namespace

struct JpegDecompressor::State {
    ErrorManager error{};
    jpeg_decompress_struct info{};
    bool created = false;
    FileHandle file;
    std::vector<JSAMPLE> scratch;  // one CMYK row
    std::shared_ptr<const colour::CmykTransform> cmykProfile;
    ~State() {
        if (created) jpeg_destroy_decompress(&info);
    }
};

JpegDecompressor::JpegDecompressor() : state_(std::make_unique<State>()) {
    state_->info.err = UseJpegErrorManager(state_->error);
    state_->error.pub.emit_message = EmitMessage;
    state_->created = GuardedCreate(&state_->info, &state_->error);
}

JpegDecompressor::~JpegDecompressor() = default;

Status JpegDecompressor::Open(const QString& path) {
    if (!state_->created) return Status::OutOfMemory;
    state_->file = OpenForReading(QFile::encodeName(path).constData());
    if (!state_->file) return Status::FileNotFound;
    jpeg_decompress_struct& info = state_->info;
    if (!GuardedReadHeader(&info, &state_->error, state_->file.get())) return Status::GenericError;

    header_ = JpegHeader{};
    header_.width = static_cast<int>(info.image_width);
    header_.height = static_cast<int>(info.image_height);
    header_.progressive = info.progressive_mode;
    header_.cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    header_.info = ReadJpegMarkers(info.marker_list);
    if (header_.cmyk) {
        state_->cmykProfile = colour::CmykToSrgb(header_.info.iccProfile);
        header_.info.profileApplied = state_->cmykProfile != nullptr;
    }
    float exifDpiX = 0, exifDpiY = 0;
    ReadExif(info, header_, exifDpiX, exifDpiY);
    // JFIF's density wins where it states one; EXIF's resolution otherwise.
    if (info.saw_JFIF_marker && (info.density_unit == 1 || info.density_unit == 2) && info.X_density &&
        info.Y_density) {
        header_.dpiX = DpiFromDensity(info.X_density, info.density_unit);
        header_.dpiY = DpiFromDensity(info.Y_density, info.density_unit);
    } else if (exifDpiX > 0) {
        header_.dpiX = exifDpiX;
        header_.dpiY = exifDpiY;
    }
    return Status::Ok;
}

Status JpegDecompressor::Start(int numerator, const DecodeLimits& limits, int& width, int& height) {
    jpeg_decompress_struct& info = state_->info;
    if (!state_->file || numerator < 1 || numerator > 8) return Status::InvalidParameter;
    info.out_color_space = header_.cmyk ? JCS_CMYK : JCS_RGB;
    info.scale_num = static_cast<unsigned>(numerator);
    info.scale_denom = 8;
    info.dct_method = JDCT_ISLOW;
    info.mem->max_memory_to_use = static_cast<long>(limits.maxBytes);
    if (!GuardedCalcOutput(&info, &state_->error)) return Status::GenericError;
    const std::int64_t w = info.output_width, h = info.output_height;
    if (w <= 0 || h <= 0) return Status::GenericError;
    if (w > limits.maxSide || h > limits.maxSide || w * h > limits.maxPixels || w * h * 3 > limits.maxBytes)
        return Status::OutOfMemory;
    if (!GuardedStart(&info, &state_->error)) return Status::GenericError;
    state_->scratch.assign(header_.cmyk ? static_cast<std::size_t>(w) * 4 : 0, 0);
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return Status::Ok;
}

Status JpegDecompressor::ReadRows(std::uint8_t* base, std::size_t stride, int maxRows, int& rowsRead) {
    rowsRead = GuardedReadRows(&state_->info, &state_->error, base, stride, maxRows,
                               header_.cmyk ? state_->scratch.data() : nullptr, state_->cmykProfile.get());
    return rowsRead < 0 ? Status::GenericError : Status::Ok;
}

Status JpegDecompressor::Finish() {
    return GuardedFinish(&state_->info, &state_->error) ? Status::Ok : Status::GenericError;
}

Status JpegDecompressor::SkipRows(int count) {
    if (count < 0) return Status::InvalidParameter;
    return GuardedSkip(&state_->info, &state_->error, static_cast<JDIMENSION>(count)) ? Status::Ok
                                                                                      : Status::GenericError;
}

int JpegDecompressor::RowsPerMcuRow() const {
    const jpeg_decompress_struct& info = state_->info;
    return std::max(1, info.max_v_samp_factor * info.min_DCT_scaled_size);
}

}  // namespace imaging::decode
