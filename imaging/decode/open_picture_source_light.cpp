// OpenPictureSource of the light worker: the everyday formats, decoded as
// the full dispatcher decodes them; every other picture, and a TIFF that a
// camera wrote with its raw data, is left to the full worker.
#include "imaging/decode/file_signature.h"
#include "imaging/decode/full_decoder_wanted.h"
#include "imaging/decode/gif/gif_source.h"
#include "imaging/decode/jpeg_source.h"
#include "imaging/decode/open_picture_source.h"
#include "imaging/decode/png/png_source.h"
#include "imaging/decode/tiff/tiff_camera.h"
#include "imaging/decode/tiff/tiff_source.h"

#include <atomic>

namespace imaging {
namespace {

std::atomic<bool> fullDecoderWanted{false};

Status LeaveToFullWorker() {
    fullDecoderWanted = true;
    return Status::UnknownImageFormat;
}

}  // namespace

bool decode::FullDecoderWanted() { return fullDecoderWanted; }

Status OpenPictureSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source) {
    source.reset();
    QByteArray head;
    if (Status s = decode::ReadPictureHead(path, head); s != Status::Ok) return s;

    switch (decode::SniffFileKind(head)) {
        case decode::FileKind::Jpeg: return decode::OpenJpegSource(path, limits, source);
        case decode::FileKind::Png: return decode::OpenPngSource(path, limits, source);
        case decode::FileKind::Gif: return decode::OpenGifSource(path, limits, source);
        case decode::FileKind::Tiff:
            if (decode::TiffLooksLikeCameraRaw(path)) return LeaveToFullWorker();
            return decode::OpenTiffSource(path, limits, source);
        default: return LeaveToFullWorker();
    }
}

}  // namespace imaging
