// Opening reads the header only; each decode runs a fresh pass of the
// reader over the file, then turns the result upright by the EXIF
// orientation.
#include "imaging/decode/png/png_source.h"

#include "imaging/decode/orientation.h"
#include "imaging/decode/png/png_metadata.h"

#include <algorithm>

namespace imaging::decode {
namespace {

constexpr int kBandRows = 16;

bool IsFrameZero(const GUID& dimension, std::uint32_t index) { return dimension == FrameDimensionPage && index == 0; }

}  // namespace

PngSource::PngSource(QString path, DecodeLimits limits, PngHeader header)
    : path_(std::move(path)), limits_(limits), header_(std::move(header)),
      info_(PictureInfoFrom(PngBlocks{header_.iccProfile, header_.exif, header_.xmp})),
      dimensions_{{FrameDimensionPage, 1}} {}

Status PngSource::FrameSize(const GUID& dimension, std::uint32_t index, int& width, int& height) {
    width = height = 0;
    if (!IsFrameZero(dimension, index)) return Status::InvalidParameter;
    const bool swap = OrientationSwapsAxes(header_.orientation);
    width = swap ? header_.height : header_.width;
    height = swap ? header_.width : header_.height;
    return Status::Ok;
}

Status PngSource::Reopen(PngReader& reader) const {
    if (Status s = reader.Open(path_, limits_); s != Status::Ok) return s;
    const PngHeader& h = reader.header();
    if (h.width != header_.width || h.height != header_.height || h.layout != header_.layout ||
        h.interlaced != header_.interlaced)
        return Status::GenericError;
    return Status::Ok;
}

Status PngSource::DecodeFrame(const GUID& dimension, std::uint32_t index, PixelBuffer& out) {
    out.Reset();
    if (!IsFrameZero(dimension, index)) return Status::InvalidParameter;
    PngReader reader;
    Status s = Reopen(reader);
    if (s == Status::Ok) s = reader.ReadImage(out);
    if (s == Status::Ok) s = reader.Finish();
    if (s == Status::Ok && !ApplyOrientation(out, header_.orientation)) s = Status::OutOfMemory;
    if (s != Status::Ok) out.Reset();
    return s;
}

Status PngSource::DecodeFrameRows(const GUID& dimension, std::uint32_t index, int minWidth, int minHeight,
                                  RowSink& sink) {
    if (header_.interlaced || header_.orientation != 1)
        return PictureSource::DecodeFrameRows(dimension, index, minWidth, minHeight, sink);
    if (!IsFrameZero(dimension, index)) return Status::InvalidParameter;
    PngReader reader;
    if (Status s = Reopen(reader); s != Status::Ok) return s;
    PixelBuffer band;
    if (!band.Allocate(header_.width, std::min(kBandRows, header_.height), header_.layout))
        return Status::OutOfMemory;
    if (!sink.Begin(header_.width, header_.height, header_.layout)) return Status::Aborted;
    for (int y = 0; y < header_.height;) {
        int rows = 0;
        if (Status s = reader.ReadRows(band.data(), band.stride(), band.height(), rows); s != Status::Ok) return s;
        if (rows <= 0) return Status::GenericError;
        if (!sink.Rows(y, rows, band.data(), band.stride())) return Status::Aborted;
        y += rows;
    }
    return reader.Finish();
}

Status OpenPngSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source) {
    PngReader reader;
    if (Status s = reader.Open(path, limits); s != Status::Ok) return s;
    PngHeader header = reader.header();
    // Exif that libpng did not hand over is kept for the output only; the
    // orientation comes from what libpng accepts, as viewers take it.
    if (header.exif.isEmpty()) header.exif = ReadExifChunk(path);
    source = std::make_unique<PngSource>(path, limits, std::move(header));
    return Status::Ok;
}

}  // namespace imaging::decode
