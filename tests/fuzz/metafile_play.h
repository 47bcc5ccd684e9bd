#pragma once
// The WMF and EMF targets: a metafile is probed and, when it is of the
// target's kind, played onto a small bitmap whatever size its header states,
// so that every record is read and drawn while each run stays cheap.

#include "imaging/core/guid.h"
#include "imaging/core/pixel_buffer.h"
#include "imaging/metafile/metafile_probe.h"
#include "imaging/metafile/metafile_source.h"
#include "tests/fuzz/fuzz_support.h"

#include <limits>
#include <memory>

namespace fuzz {

inline void PlayMetafile(const std::uint8_t* data, std::size_t size, imaging::metafile::MetafileKind kind) {
    EnsureGuiApplication();
    const QByteArray bytes = Bytes(data, size);
    imaging::Status error = imaging::Status::Ok;
    const std::optional<imaging::metafile::MetafileInfo> info = imaging::metafile::ProbeMetafile(bytes, error);
    if (!info) return;
    const bool wantEmf = kind == imaging::metafile::MetafileKind::Emf;
    if ((info->kind == imaging::metafile::MetafileKind::Emf) != wantEmf) return;
    // No header size is refused at open: the bitmap is always the small one below.
    imaging::DecodeLimits limits;
    limits.maxSide = std::numeric_limits<int>::max();
    limits.maxPixels = std::numeric_limits<std::int64_t>::max() / 8;
    limits.maxBytes = std::numeric_limits<std::int64_t>::max() / 8;
    std::unique_ptr<imaging::PictureSource> source;
    if (imaging::OpenMetafileSourceFromBytes(bytes, limits, source) != imaging::Status::Ok) return;
    imaging::PixelBuffer out;
    source->DecodeFrameForSize(imaging::FrameDimensionPage, 0, 64, 48, out);
}

}  // namespace fuzz
