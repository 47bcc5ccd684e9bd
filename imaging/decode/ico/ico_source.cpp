// The icon source holds the file's bytes (icons are small; the file is
// refused when larger than one decoded frame may be) and decodes an entry
// each time one is asked for.
#include "imaging/decode/ico/ico_source.h"

#include "imaging/core/single_dimension_source.h"
#include "imaging/decode/ico/ico_bitmap.h"
#include "imaging/decode/ico/ico_directory.h"
#include "imaging/decode/ico/ico_png.h"
#include "imaging/decode/resolution.h"

#include <QFile>

namespace imaging::decode {
namespace {

Status ReadWholeFile(const QString& path, const DecodeLimits& limits, QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Status::FileNotFound;
    if (file.size() > limits.maxBytes) return Status::OutOfMemory;
    bytes = file.readAll();
    if (bytes.size() != file.size()) return Status::Win32Error;
    return Status::Ok;
}

class IcoSource final : public SingleDimensionSource {
public:
    IcoSource(QByteArray bytes, ico::IcoDirectory directory, DecodeLimits limits)
        : SingleDimensionSource({FrameDimensionPage, static_cast<std::uint32_t>(directory.entries.size())},
                                kDefaultDpi, kDefaultDpi),
          bytes_(std::move(bytes)), directory_(std::move(directory)), limits_(limits) {}

    Status FrameSize(const GUID& dimension, std::uint32_t index, int& width, int& height) override {
        width = height = 0;
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        const Entry e = EntryData(index);
        if (ico::IsPngEntry(e.data, e.available)) return ico::MeasureIcoPng(e.data, e.available, width, height);
        return ico::MeasureIcoBitmap(e.data, e.available, *e.entry, width, height);
    }

    Status DecodeFrame(const GUID& dimension, std::uint32_t index, PixelBuffer& out) override {
        out.Reset();
        if (!Valid(dimension, index)) return Status::InvalidParameter;
        const Entry e = EntryData(index);
        if (ico::IsPngEntry(e.data, e.available)) return ico::DecodeIcoPng(e.data, e.available, limits_, out);
        return ico::DecodeIcoBitmap(e.data, e.available, *e.entry, limits_, out);
    }

private:
    // An entry and its bytes, from its offset to the end of the file.
    struct Entry {
        const ico::IcoEntry* entry;
        const std::uint8_t* data;
        std::size_t available;
    };
    Entry EntryData(std::uint32_t index) const {
        const ico::IcoEntry& entry = directory_.entries[index];
        return {&entry, reinterpret_cast<const std::uint8_t*>(bytes_.constData()) + entry.offset,
                static_cast<std::size_t>(bytes_.size()) - entry.offset};
    }

    QByteArray bytes_;
    ico::IcoDirectory directory_;
    DecodeLimits limits_;
};

}  // namespace

Status OpenIcoSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source) {
    QByteArray bytes;
    if (Status s = ReadWholeFile(path, limits, bytes); s != Status::Ok) return s;
    ico::IcoDirectory directory;
    if (Status s = ico::ReadIcoDirectory(bytes, directory); s != Status::Ok) return s;
    auto ico = std::make_unique<IcoSource>(std::move(bytes), std::move(directory), limits);
    PixelBuffer first;
    if (Status s = ico->DecodeFrame(FrameDimensionPage, 0, first); s != Status::Ok) return s;
    source = std::move(ico);
    return Status::Ok;
}

}  // namespace imaging::decode
