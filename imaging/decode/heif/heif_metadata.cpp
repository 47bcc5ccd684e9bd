#include "imaging/decode/heif/heif_metadata.h"

#include "imaging/colour/coded_profile.h"
#include "imaging/decode/exif_payload.h"
#include "imaging/decode/resolution.h"
#include "imaging/decode/tiff_directory.h"

#include <QBuffer>

#include <cstring>
#include <vector>

namespace imaging::decode::heif {
namespace {

// The first metadata item of a type ("Exif", or "mime" with a content type
// for XMP), as stored.
QByteArray MetadataItem(const heif_image_handle* handle, const char* type, const char* contentType) {
    const int count = heif_image_handle_get_number_of_metadata_blocks(handle, nullptr);
    if (count <= 0) return {};
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    heif_image_handle_get_list_of_metadata_block_IDs(handle, nullptr, ids.data(), count);
    for (heif_item_id id : ids) {
        const char* itemType = heif_image_handle_get_metadata_type(handle, id);
        if (!itemType || std::strcmp(itemType, type) != 0) continue;
        const char* itemContent = heif_image_handle_get_metadata_content_type(handle, id);
        if (contentType && (!itemContent || std::strcmp(itemContent, contentType) != 0)) continue;
        const std::size_t size = heif_image_handle_get_metadata_size(handle, id);
        if (size == 0 || size > static_cast<std::size_t>(1 << 30)) continue;
        QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
        if (heif_image_handle_get_metadata(handle, id, bytes.data()).code == heif_error_Ok) return bytes;
    }
    return {};
}

QByteArray IccProfile(const heif_image_handle* handle) {
    const std::size_t size = heif_image_handle_get_raw_color_profile_size(handle);
    if (size == 0 || size > static_cast<std::size_t>(1 << 30)) return {};
    QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
    if (heif_image_handle_get_raw_color_profile(handle, bytes.data()).code != heif_error_Ok) return {};
    return bytes;
}

std::optional<CodedColourSpace> Nclx(const heif_image_handle* handle) {
    heif_color_profile_nclx* nclx = nullptr;
    if (heif_image_handle_get_nclx_color_profile(handle, &nclx).code != heif_error_Ok || !nclx) return std::nullopt;
    const CodedColourSpace space{static_cast<int>(nclx->color_primaries),
                                 static_cast<int>(nclx->transfer_characteristics),
                                 static_cast<int>(nclx->matrix_coefficients), nclx->full_range_flag != 0};
    heif_nclx_color_profile_free(nclx);
    return space;
}

}  // namespace

Dpi ResolutionFromExif(const QByteArray& exifTiff) {
    if (exifTiff.isEmpty()) return {kDefaultDpi, kDefaultDpi};
    QByteArray copy = exifTiff;
    QBuffer device(&copy);
    device.open(QIODevice::ReadOnly);
    const TiffSummary summary = ReadTiffSummary(device);
    const int unit = summary.resolutionUnit == 3 ? 2 : summary.resolutionUnit == 2 ? 1 : 0;
    if (!summary.valid || !unit || summary.xResolution <= 0 || summary.yResolution <= 0)
        return {kDefaultDpi, kDefaultDpi};
    return {DpiFromDensity(summary.xResolution, unit), DpiFromDensity(summary.yResolution, unit)};
}

EmbeddedMetadata ReadMetadata(const heif_image_handle* handle) {
    EmbeddedMetadata m;
    m.iccProfile = IccProfile(handle);
    m.nclx = Nclx(handle);
    m.exif = TiffFromBmffExif(MetadataItem(handle, "Exif", nullptr));
    m.xmp = MetadataItem(handle, "mime", "application/rdf+xml");
    return m;
}

PictureInfo PictureInfoFrom(const EmbeddedMetadata& metadata) {
    const auto bytes = [](const QByteArray& b) { return std::vector<std::uint8_t>(b.begin(), b.end()); };
    PictureInfo info;
    if (!metadata.iccProfile.isEmpty())
        info.iccProfile = bytes(metadata.iccProfile);
    else if (metadata.nclx)
        info.iccProfile =
            colour::ProfileFromCodePoints(metadata.nclx->colourPrimaries, metadata.nclx->transferCharacteristics);
    info.exif = bytes(metadata.exif);
    info.xmp = bytes(metadata.xmp);
    return info;
}

}  // namespace imaging::decode::heif
