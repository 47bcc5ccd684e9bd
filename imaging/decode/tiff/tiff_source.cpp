// The TIFF picture source. Each call opens the file afresh with its own
// libtiff handle, so nothing is shared between decodes or threads. Opening
// counts the pages and reads the first page's tags and resolution; a page
// is decoded into its stored orientation and then turned upright.
#include "imaging/decode/tiff/tiff_source.h"

#include "imaging/core/single_dimension_source.h"
#include "imaging/decode/orientation.h"
#include "imaging/decode/resolution.h"
#include "imaging/decode/tiff/tiff_bands.h"
#include "imaging/decode/tiff/tiff_colour.h"
#include "imaging/decode/tiff/tiff_file.h"
#include "imaging/decode/tiff/tiff_metadata.h"
#include "imaging/decode/tiff/tiff_page.h"
#include "imaging/decode/tiff/tiff_rgba.h"
#include "imaging/decode/tiff/tiff_samples.h"
#include "imaging/decode/tiff/tiff_strip_counts.h"

#include <QFile>

#include <algorithm>
#include <vector>

#include <tiffio.h>

namespace imaging::decode {
namespace {

using tiff::TiffFile;
using tiff::TiffPage;

// XResolution/YResolution in their unit (inch unless ResolutionUnit says
// centimetre); 96 for no unit or no value.
float ReadDpi(::tiff* tif, ttag_t tag) {
    float value = 0;
    std::uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (TIFFGetField(tif, tag, &value) != 1) return kDefaultDpi;
    if (unit == RESUNIT_INCH) return DpiFromDensity(value, 1);
    if (unit == RESUNIT_CENTIMETER) return DpiFromDensity(value, 2);
    return kDefaultDpi;
}

// Opens the file and selects page `index`, with its tags read and checked.
Status OpenPage(const QString& path, const DecodeLimits& limits, std::uint32_t index, TiffFile& file,
                TiffPage& page) {
    if (Status s = file.Open(path, limits.maxBytes); s != Status::Ok) return s;
    if (index > 0)
        if (Status s = file.SelectPage(index); s != Status::Ok) return s;
    if (Status s = tiff::ReadTiffPage(file.handle(), page); s != Status::Ok) return s;
    if (Status s = tiff::CheckPageLimits(page, limits); s != Status::Ok) return s;
    if (Status s = tiff::CheckEstimatedCounts(file, page); s != Status::Ok) return s;
    return file.status();
}

Status ReadSamples(TiffFile& file, const TiffPage& page, const DecodeLimits& limits, PixelBuffer& out) {
    tiff::TiffBands bands;
    if (Status s = bands.Start(file, page, limits); s != Status::Ok) return s;
    if (!out.Allocate(page.width, page.height, page.layout())) return Status::OutOfMemory;
    const tiff::SampleReader reader(page);
    std::vector<const std::uint8_t*> planes(static_cast<std::size_t>(bands.planes()));
    for (int y = 0; y < page.height; y += bands.bandHeight()) {
        if (Status s = bands.Read(y); s != Status::Ok) return s;
        for (int r = 0; r < bands.bandHeight() && y + r < page.height; ++r) {
            for (int p = 0; p < bands.planes(); ++p) planes[static_cast<std::size_t>(p)] = bands.Row(p, r);
            tiff::ConvertRow(page, reader, planes.data(), out.row(y + r));
        }
    }
    return file.status();
}

// The page's rows to `sink` a band at a time, as they are decoded; only for
// pages stored upright.
Status StreamSamples(TiffFile& file, const TiffPage& page, const DecodeLimits& limits, RowSink& sink) {
    tiff::TiffBands bands;
    if (Status s = bands.Start(file, page, limits); s != Status::Ok) return s;
    // Rows that are pixels already go to the sink as libtiff decoded them.
    const bool ready = tiff::RowsArePixels(page);
    PixelBuffer band;
    if (!ready && !band.Allocate(page.width, bands.bandHeight(), page.layout())) return Status::OutOfMemory;
    const tiff::SampleReader reader(page);
    std::vector<const std::uint8_t*> planes(static_cast<std::size_t>(bands.planes()));
    if (!sink.Begin(page.width, page.height, page.layout())) return Status::Aborted;
    for (int y = 0; y < page.height; y += bands.bandHeight()) {
        if (Status s = bands.Read(y); s != Status::Ok) return s;
        const int rows = std::min(bands.bandHeight(), page.height - y);
        if (ready) {
            if (file.failed()) return Status::GenericError;
            if (!sink.Rows(y, rows, bands.Row(0, 0), bands.rowBytes())) return Status::Aborted;
            continue;
        }
        for (int r = 0; r < rows; ++r) {
            for (int p = 0; p < bands.planes(); ++p) planes[static_cast<std::size_t>(p)] = bands.Row(p, r);
            tiff::ConvertRow(page, reader, planes.data(), band.row(r));
        }
        if (file.failed()) return Status::GenericError;
        if (!sink.Rows(y, rows, band.row(0), band.stride())) return Status::Aborted;
    }
    return file.status();
}

class TiffSource final : public SingleDimensionSource {
public:
    TiffSource(QString path, DecodeLimits limits, std::uint32_t pages, float dpiX, float dpiY, PictureInfo info)
        : SingleDimensionSource({FrameDimensionPage, pages}, dpiX, dpiY), path_(std::move(path)), limits_(limits),
          info_(std::move(info)) {}

    const PictureInfo& Info() const override { return info_; }

    Status FrameSize(const GUID& dimension, std::uint32_t index, int& width, int& height) override {
        width = height = 0;
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        TiffFile file;
        TiffPage page;
        if (Status s = OpenPage(path_, limits_, index, file, page); s != Status::Ok) return s;
        const bool swap = OrientationSwapsAxes(page.orientation);
        width = swap ? page.height : page.width;
        height = swap ? page.width : page.height;
        return Status::Ok;
    }

    Status DecodeFrame(const GUID& dimension, std::uint32_t index, PixelBuffer& out) override {
        out.Reset();
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        const Status s = Decode(index, out);
        if (s != Status::Ok) out.Reset();
        return s;
    }

    // Pages stored upright and read sample by sample stream as they decode;
    // the others are decoded whole, then handed over.
    Status DecodeFrameRows(const GUID& dimension, std::uint32_t index, int minWidth, int minHeight,
                           RowSink& sink) override {
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        TiffFile file;
        TiffPage page;
        if (Status s = OpenPage(path_, limits_, index, file, page); s != Status::Ok) return s;
        // ApplyOrientation leaves 1 and values outside 1..8 as stored.
        const bool upright = page.orientation <= 1 || page.orientation > 8;
        if (page.route == tiff::PageRoute::LibtiffRgba || !upright)
            return PictureSource::DecodeFrameRows(dimension, index, minWidth, minHeight, sink);
        return StreamSamples(file, page, limits_, sink);
    }

private:
    Status Decode(std::uint32_t index, PixelBuffer& out) {
        TiffFile file;
        TiffPage page;
        if (Status s = OpenPage(path_, limits_, index, file, page); s != Status::Ok) return s;
        const Status s = page.route == tiff::PageRoute::LibtiffRgba ? tiff::ReadRgbaPage(file, page, out)
                                                                    : ReadSamples(file, page, limits_, out);
        if (s != Status::Ok) return s;
        if (file.failed()) return Status::GenericError;
        return ApplyOrientation(out, page.orientation) ? Status::Ok : Status::OutOfMemory;
    }

    QString path_;
    DecodeLimits limits_;
    PictureInfo info_;
};

// The first page's profile and metadata, read from its directory as stored.
PictureInfo ReadInfo(const QString& path, const TiffFile& file, const TiffPage& page) {
    QFile device(path);
    if (!device.open(QIODevice::ReadOnly)) return {};
    return tiff::ReadTiffMetadata(device, TIFFCurrentDirOffset(file.handle()), page);
}

}  // namespace

Status OpenTiffSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source) {
    TiffFile file;
    TiffPage page;
    if (Status s = OpenPage(path, limits, 0, file, page); s != Status::Ok) return s;
    const float dpiX = ReadDpi(file.handle(), TIFFTAG_XRESOLUTION);
    const float dpiY = ReadDpi(file.handle(), TIFFTAG_YRESOLUTION);
    const std::uint32_t pages = file.CountPages();
    if (pages == 0 || file.failed()) return Status::GenericError;
    source = std::make_unique<TiffSource>(path, limits, pages, dpiX, dpiY, ReadInfo(path, file, page));
    return Status::Ok;
}

}  // namespace imaging::decode
