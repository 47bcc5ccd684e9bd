// libpng behind PngReader. The file is read with libpng's stdio input;
// rows are decoded straight into the caller's memory. For the plain 8-bit
// layouts libpng reads the header only and PngRowDecoder the rows.
#include "imaging/decode/png/png_reader.h"

#include "imaging/core/file_handle.h"
#include "imaging/decode/png/png_metadata.h"
#include "imaging/decode/png/png_row_decoder.h"
#include "imaging/decode/resolution.h"
#include "imaging/decode/tiff_directory.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include <png.h>

namespace imaging::decode {
namespace {

// Ancillary chunks (text, iCCP, eXIf) larger than this are dropped.
constexpr png_alloc_size_t kMaxChunkBytes = 64u * 1024 * 1024;
constexpr png_uint_32 kMaxAncillaryChunks = 1000;

[[noreturn]] void ErrorExit(png_structp png, png_const_charp) { png_longjmp(png, 1); }
// Warnings (a dropped ancillary chunk, an ADLER32 mismatch of intact
// data) are not failures, and messages are never printed.
void IgnoreWarning(png_structp, png_const_charp) {}

// ---- Guarded calls: setjmp frames whose locals are trivial. ----

// The picture as stored, before libpng's transformations.
struct StoredFormat {
    int bitDepth = 0;
    int colourType = 0;
    bool hasTrns = false;
};

// Reads up to the image data and sets the transformations; the channels
// delivered (3 or 4), or 0 on error.
int GuardedReadHeader(png_structp png, png_infop info, std::FILE* file, StoredFormat& stored) {
    if (setjmp(png_jmpbuf(png))) return 0;
    png_init_io(png, file);
    png_read_info(png, info);
    stored.bitDepth = png_get_bit_depth(png, info);
    stored.colourType = png_get_color_type(png, info);
    stored.hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    png_set_expand(png);  // palette to RGB, grey to 8 bits, tRNS to alpha
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return png_get_channels(png, info);
}

bool GuardedReadRows(png_structp png, std::uint8_t* base, std::size_t stride, int count) {
    if (setjmp(png_jmpbuf(png))) return false;
    for (int i = 0; i < count; ++i) png_read_row(png, base + stride * static_cast<std::size_t>(i), nullptr);
    return true;
}

bool GuardedReadImage(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    return true;
}

bool GuardedReadEnd(png_structp png) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_end(png, nullptr);
    return true;
}

// ---- Header checks and metadata ----

std::uint32_t Be32(const unsigned char* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

bool WithinLimits(std::int64_t width, std::int64_t height, int channels, const DecodeLimits& limits) {
    return width <= limits.maxSide && height <= limits.maxSide && width * height <= limits.maxPixels &&
           width * height * channels <= limits.maxBytes;
}

// The size IHDR states, read from the file's first bytes before libpng
// sees them, so a picture above the limits is refused as such.
Status CheckStatedSize(std::FILE* file, const DecodeLimits& limits) {
    unsigned char head[24];
    if (std::fread(head, 1, sizeof head, file) != sizeof head) return Status::GenericError;
    if (std::memcmp(head, "\x89PNG\r\n\x1a\n", 8) != 0 || std::memcmp(head + 12, "IHDR", 4) != 0)
        return Status::GenericError;
    if (!WithinLimits(Be32(head + 16), Be32(head + 20), 3, limits)) return Status::OutOfMemory;
    return std::fseek(file, 0, SEEK_SET) == 0 ? Status::Ok : Status::Win32Error;
}

int OrientationFromExif(QByteArray exif) {
    if (exif.startsWith(QByteArray("Exif\0\0", 6))) exif.remove(0, 6);
    QBuffer device(&exif);
    device.open(QIODevice::ReadOnly);
    const TiffSummary summary = ReadTiffSummary(device);
    return summary.valid && summary.orientation >= 1 && summary.orientation <= 8 ? summary.orientation : 1;
}

float DpiFromPhys(png_uint_32 dotsPerMeter) {
    return DpiFromDotsPerMeter(static_cast<int>(std::min<png_uint_32>(dotsPerMeter, INT_MAX)));
}

void ReadMetadata(png_structp png, png_infop info, PngHeader& header) {
    png_uint_32 x = 0, y = 0;
    int unit = 0;
    if (png_get_pHYs(png, info, &x, &y, &unit) && unit == PNG_RESOLUTION_METER) {
        header.dpiX = DpiFromPhys(x);
        header.dpiY = DpiFromPhys(y);
    }
    PngBlocks blocks = ReadPngBlocks(png, info);
    header.iccProfile = std::move(blocks.iccProfile);
    header.exif = std::move(blocks.exif);
    header.xmp = std::move(blocks.xmp);
    if (!header.exif.isEmpty()) header.orientation = OrientationFromExif(header.exif);
}

}  // namespace

struct PngReader::State {
    png_structp png = nullptr;
    png_infop info = nullptr;
    FileHandle file;
    std::unique_ptr<PngRowDecoder> rows;  // set when it decodes the rows instead of libpng
    int nextRow = 0;
    ~State() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

PngReader::PngReader() : state_(std::make_unique<State>()) {
    state_->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorExit, IgnoreWarning);
    if (state_->png) state_->info = png_create_info_struct(state_->png);
}

PngReader::~PngReader() = default;

Status PngReader::Open(const QString& path, const DecodeLimits& limits) {
    State& s = *state_;
    if (!s.png || !s.info) return Status::OutOfMemory;
    s.file = OpenForReading(QFile::encodeName(path).constData());
    if (!s.file) return Status::FileNotFound;
    if (Status st = CheckStatedSize(s.file.get(), limits); st != Status::Ok) return st;

    const auto side = static_cast<png_uint_32>(std::max(1, limits.maxSide));
    png_set_user_limits(s.png, side, side);
    png_set_chunk_malloc_max(s.png, kMaxChunkBytes);
    png_set_chunk_cache_max(s.png, kMaxAncillaryChunks);
    png_set_crc_action(s.png, PNG_CRC_ERROR_QUIT, PNG_CRC_WARN_DISCARD);
    StoredFormat stored;
    const int channels = GuardedReadHeader(s.png, s.info, s.file.get(), stored);
    if (channels != 3 && channels != 4) return Status::GenericError;

    header_ = PngHeader{};
    header_.width = static_cast<int>(png_get_image_width(s.png, s.info));
    header_.height = static_cast<int>(png_get_image_height(s.png, s.info));
    if (header_.width <= 0 || header_.height <= 0) return Status::GenericError;
    if (!WithinLimits(header_.width, header_.height, channels, limits)) return Status::OutOfMemory;
    header_.interlaced = png_get_interlace_type(s.png, s.info) != PNG_INTERLACE_NONE;
    header_.layout = channels == 4 ? PixelLayout::Rgba8 : PixelLayout::Rgb8;
    if (png_get_rowbytes(s.png, s.info) != static_cast<std::size_t>(header_.width) * channels)
        return Status::GenericError;
    ReadMetadata(s.png, s.info, header_);
    if (PngRowDecoder::Handles(stored.bitDepth, stored.colourType, header_.interlaced, stored.hasTrns))
        s.rows = std::make_unique<PngRowDecoder>(s.file.get(), header_.width,
                                                 PngRowDecoder::StoredChannels(stored.colourType));
    return Status::Ok;
}

Status PngReader::ReadRows(std::uint8_t* base, std::size_t stride, int maxRows, int& rowsRead) {
    rowsRead = 0;
    if (!state_->file || header_.interlaced) return Status::WrongState;
    const int count = std::min(maxRows, header_.height - state_->nextRow);
    if (count <= 0) return Status::Ok;
    if (state_->rows) {
        if (Status s = state_->rows->ReadRows(base, stride, count); s != Status::Ok) return s;
    } else if (!GuardedReadRows(state_->png, base, stride, count)) {
        return Status::GenericError;
    }
    state_->nextRow += count;
    rowsRead = count;
    return Status::Ok;
}

Status PngReader::ReadImage(PixelBuffer& out) {
    out.Reset();
    if (!state_->file || state_->nextRow != 0) return Status::WrongState;
    if (!out.Allocate(header_.width, header_.height, header_.layout)) return Status::OutOfMemory;
    if (state_->rows) {
        int rowsRead = 0;
        const Status s = ReadRows(out.data(), out.stride(), header_.height, rowsRead);
        if (s != Status::Ok) out.Reset();
        return s;
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(header_.height));
    for (int y = 0; y < header_.height; ++y) rows[static_cast<std::size_t>(y)] = out.row(y);
    if (!GuardedReadImage(state_->png, rows.data())) {
        out.Reset();
        return Status::GenericError;
    }
    state_->nextRow = header_.height;
    return Status::Ok;
}

Status PngReader::Finish() {
    if (!state_->file || state_->nextRow != header_.height) return Status::WrongState;
    if (state_->rows) return state_->rows->Finish();
    return GuardedReadEnd(state_->png) ? Status::Ok : Status::GenericError;
}

}  // namespace imaging::decode
