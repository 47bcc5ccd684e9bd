// OpenPictureSource: the one entry point of the decoders. The first bytes
// of the file pick the decoder; the file's name is never consulted.
//   JPEG                     -> libjpeg-turbo
//   PNG                      -> libpng
//   GIF                      -> giflib
//   RAW containers           -> LibRaw
//   TIFF                     -> LibRaw first when the first directory has a
//                               DNGVersion tag, or a Make tag and raw data
//                               or a preview of it (a TIFF reader would
//                               decode a DNG or NEF as its tiny preview),
//                               libtiff when LibRaw declines it or for any
//                               other TIFF
//   WMF, EMF                 -> the metafile player
//   HEIF, HEIC, AVIF         -> libheif
//   JPEG XL                  -> libjxl
//   ICO, CUR                 -> our icon reader (Qt's readers when it
//                               finds no icon directory after all)
//   OS/2 BMP, short table    -> the metafile player's bitmap reader
//   anything else            -> Qt's readers, deciding by content
#include "imaging/decode/open_picture_source.h"

#include "imaging/decode/bmp/core_bitmap_source.h"
#include "imaging/decode/file_signature.h"
#include "imaging/decode/full_decoder_wanted.h"
#include "imaging/decode/gif/gif_source.h"
#include "imaging/decode/heif/heif_source.h"
#include "imaging/decode/ico/ico_source.h"
#include "imaging/decode/jpeg_source.h"
#include "imaging/decode/jxl/jxl_source.h"
#include "imaging/decode/png/png_source.h"
#include "imaging/decode/qt_source.h"
#include "imaging/decode/raw_source.h"
#include "imaging/decode/tiff/tiff_camera.h"
#include "imaging/decode/tiff/tiff_source.h"
#include "imaging/metafile/metafile_source.h"

namespace imaging {

bool decode::FullDecoderWanted() { return false; }

namespace {

// The metafile player checks the header itself once more before it reads
// the whole file.
Status OpenMetafile(const QString& path, const QByteArray& head, const DecodeLimits& limits,
                    std::unique_ptr<PictureSource>& source) {
    if (LooksLikeMetafile(head)) return OpenMetafileSource(path, limits, source);
    return Status::UnknownImageFormat;
}

}  // namespace

Status OpenPictureSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source) {
    source.reset();
    QByteArray head;
    if (Status s = decode::ReadPictureHead(path, head); s != Status::Ok) return s;

    switch (decode::SniffFileKind(head)) {
        case decode::FileKind::Jpeg: return decode::OpenJpegSource(path, limits, source);
        case decode::FileKind::Png: return decode::OpenPngSource(path, limits, source);
        case decode::FileKind::Gif: return decode::OpenGifSource(path, limits, source);
        case decode::FileKind::CameraRaw: return decode::OpenRawSource(path, limits, source);
        case decode::FileKind::Metafile: return OpenMetafile(path, head, limits, source);
        case decode::FileKind::Heif: return decode::OpenHeifSource(path, limits, source);
        case decode::FileKind::JpegXl: return decode::OpenJxlSource(path, limits, source);
        case decode::FileKind::Tiff:
            if (decode::TiffLooksLikeCameraRaw(path)) {
                const Status s = decode::OpenRawSource(path, limits, source);
                if (s != Status::UnknownImageFormat) return s;
            }
            return decode::OpenTiffSource(path, limits, source);
        case decode::FileKind::Icon: {
            const Status s = decode::OpenIcoSource(path, limits, source);
            if (s != Status::UnknownImageFormat) return s;
            break;
        }
        case decode::FileKind::CoreBitmap: return decode::OpenCoreBitmapSource(path, limits, source);
        case decode::FileKind::Other: break;
    }
    return decode::OpenQtSource(path, limits, source);
}

}  // namespace imaging
