// The encoder list (JPEG only) and saving a picture through it: quality
// from the one parameter the encoder takes, resolution from the picture,
// the file written beside its target and moved into place when complete.
#include "imaging/encode/atomic_file.h"
#include "imaging/gdiplus/gdiplus_objects.h"
#include "imaging/encode/jpeg_writer.h"

#include <cmath>

namespace imaging {

namespace {

// The published identifiers of the JPEG encoder and of the JPEG format.
constexpr CLSID kJpegEncoder = {0x557CF401, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
constexpr GUID kJpegFormat = {0xB96B3CAE, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

constexpr std::uint32_t kDefaultQuality = 75;

ImageCodecInfo JpegCodecInfo() {
    ImageCodecInfo info;
    info.Clsid = kJpegEncoder;
    info.FormatID = kJpegFormat;
    info.CodecName = QStringLiteral("Built-in JPEG Codec");
    info.FormatDescription = QStringLiteral("JPEG");
    info.FilenameExtension = QStringLiteral("*.JPG;*.JPEG;*.JPE;*.JFIF");
    info.MimeType = QStringLiteral("image/jpeg");
    return info;
}

// The quality the parameters ask for: none means the default; anything but
// one long quality value is refused.
bool QualityFrom(const EncoderParameters* params, std::uint32_t& quality) {
    quality = kDefaultQuality;
    if (!params || params->Count == 0) return true;
    if (params->Count != 1) return false;
    const EncoderParameter& p = params->Parameter[0];
    if (!(p.Guid == EncoderQuality) || p.Type != EncoderParameterValueType::Long || p.NumberOfValues != 1 || !p.Value)
        return false;
    quality = *static_cast<const std::uint32_t*>(p.Value);
    return true;
}

}  // namespace

Status GdipGetImageEncodersSize(std::uint32_t* numEncoders, std::uint32_t* size) {
    if (!numEncoders || !size) return Status::InvalidParameter;
    *numEncoders = 1;
    *size = static_cast<std::uint32_t>(sizeof(ImageCodecInfo));
    return Status::Ok;
}

Status GdipGetImageEncoders(std::uint32_t numEncoders, std::uint32_t size, ImageCodecInfo* encoders) {
    // The block must have room for every record it is said to hold.
    if (!encoders || numEncoders != 1 || size < numEncoders * sizeof(ImageCodecInfo)) return Status::InvalidParameter;
    encoders[0] = JpegCodecInfo();
    return Status::Ok;
}

Status GdipSaveImageToFile(GpImage* image, const QString& path, const CLSID* encoder, const EncoderParameters* params) {
    return SaveImageToFileWithBlocks(image, path, encoder, params, PictureInfo{});
}

Status SaveImageToFileWithBlocks(GpImage* image, const QString& path, const CLSID* encoder,
                                 const EncoderParameters* params, const PictureInfo& blocks) {
    const float xdpi = image ? image->data().xdpi : 0.0f;
    const float ydpi = image ? image->data().ydpi : 0.0f;
    return SaveFrameToFileAs(image, xdpi, ydpi, path, encoder, params, blocks);
}

Status SaveFrameToFileAs(GpImage* image, float xdpi, float ydpi, const QString& path, const CLSID* encoder,
                         const EncoderParameters* params, const PictureInfo& blocks) {
    const PixelBuffer* frame = FrameOf(image);
    if (!frame || !encoder || path.isEmpty()) return Status::InvalidParameter;
    if (!(*encoder == kJpegEncoder)) return Status::FileNotFound;  // no such encoder
    std::uint32_t quality = 0;
    if (!QualityFrom(params, quality)) return Status::InvalidParameter;
    AtomicFile file;
    if (!file.Open(path)) return Status::Win32Error;
    if (!WriteJpeg(*frame, JpegSettingsFor(quality, xdpi, ydpi), file.stream(), blocks)) return Status::Win32Error;
    return file.Commit() ? Status::Ok : Status::Win32Error;
}

}  // namespace imaging
