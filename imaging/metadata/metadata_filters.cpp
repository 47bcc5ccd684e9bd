// What describes a photo, as lists of EXIF tags, XMP properties and IPTC
// datasets. Lists of what to keep rather than what to drop, so that a tag
// unknown to us (a new private block, another location field) never leaks
// into a published picture.
#include "imaging/metadata/metadata_filters.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace imaging::metadata {
namespace {

template <std::size_t N>
bool Contains(const std::array<std::uint16_t, N>& list, std::uint16_t value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// IFD0: DateTime, Make, Model, Artist, Copyright, ImageDescription, Software.
constexpr std::array<std::uint16_t, 7> kImageTags = {0x0132, 0x010F, 0x0110, 0x013B, 0x8298, 0x010E, 0x0131};
// Exif IFD: ExifVersion; DateTimeOriginal, DateTimeDigitized; OffsetTime,
// -Original, -Digitized; SubSecTime, -Original, -Digitized; LensMake,
// LensModel; ExposureTime, FNumber, ISOSpeedRatings (PhotographicSensitivity),
// FocalLength, FocalLengthIn35mmFilm, Flash, ExposureProgram,
// ExposureBiasValue, MeteringMode, WhiteBalance, UserComment.
constexpr std::array<std::uint16_t, 22> kPhotoTags = {0x9000, 0x9003, 0x9004, 0x9010, 0x9011, 0x9012,
                                                      0x9290, 0x9291, 0x9292, 0xA433, 0xA434, 0x829A,
                                                      0x829D, 0x8827, 0x920A, 0xA405, 0x9209, 0x8822,
                                                      0x9204, 0x9207, 0xA403, 0x9286};
// Who owns the camera and which one it is: CameraOwnerName, BodySerialNumber,
// LensSerialNumber (Exif IFD), CameraSerialNumber (IFD0, from DNG).
constexpr std::array<std::uint16_t, 3> kPhotoIdentity = {0xA430, 0xA431, 0xA435};
constexpr std::array<std::uint16_t, 1> kImageIdentity = {0xC62F};

constexpr std::array<std::string_view, 14> kXmpKeys = {
    "Xmp.dc.title",          "Xmp.dc.description",     "Xmp.dc.subject",        "Xmp.dc.creator",
    "Xmp.dc.rights",         "Xmp.xmp.Rating",         "Xmp.xmpRights.Marked",  "Xmp.xmpRights.UsageTerms",
    "Xmp.xmpRights.WebStatement", "Xmp.photoshop.Headline", "Xmp.photoshop.Credit", "Xmp.photoshop.Source",
    "Xmp.photoshop.DateCreated",  "Xmp.xmp.CreateDate"};
constexpr std::array<std::string_view, 10> kXmpLocationKeys = {
    "Xmp.exif.GPS",          "Xmp.photoshop.City",        "Xmp.photoshop.State",   "Xmp.photoshop.Country",
    "Xmp.Iptc4xmpCore.Location", "Xmp.Iptc4xmpCore.CountryCode", "Xmp.aux.SerialNumber", "Xmp.aux.LensSerialNumber",
    "Xmp.exifEX.BodySerialNumber", "Xmp.exifEX.CameraOwnerName"};

// `key` is `name` itself or one of its items or fields.
bool Names(std::string_view key, std::string_view name, bool prefix) {
    if (key.substr(0, name.size()) != name) return false;
    if (prefix || key.size() == name.size()) return true;
    return key[name.size()] == '[' || key[name.size()] == '/';
}

// Application record (2): ObjectName, Keywords, DateCreated, TimeCreated,
// Byline, BylineTitle, Headline, Credit, Source, Copyright, Caption, Writer,
// RecordVersion. Location: City, SubLocation, ProvinceState, CountryCode,
// CountryName.
constexpr std::array<std::uint16_t, 13> kIptcDatasets = {5, 25, 55, 60, 80, 85, 105, 110, 115, 116, 120, 122, 0};
constexpr std::array<std::uint16_t, 5> kIptcLocation = {90, 92, 95, 100, 101};

}  // namespace

bool KeepExifTag(const std::string& group, std::uint16_t tag, MetadataPolicy policy) {
    const bool all = policy == MetadataPolicy::WithLocation;
    if (policy == MetadataPolicy::None) return false;
    if (group == "Image") return Contains(kImageTags, tag) || (all && Contains(kImageIdentity, tag));
    if (group == "Photo") return Contains(kPhotoTags, tag) || (all && Contains(kPhotoIdentity, tag));
    if (group == "GPSInfo") return all;
    return false;
}

bool KeepXmpKey(const std::string& key, MetadataPolicy policy) {
    if (policy == MetadataPolicy::None) return false;
    for (std::string_view name : kXmpKeys)
        if (Names(key, name, false)) return true;
    if (policy != MetadataPolicy::WithLocation) return false;
    for (std::string_view name : kXmpLocationKeys)
        if (Names(key, name, name == "Xmp.exif.GPS")) return true;
    return false;
}

bool KeepIptcDataset(std::uint16_t record, std::uint16_t dataset, MetadataPolicy policy) {
    if (policy == MetadataPolicy::None) return false;
    if (record == 1) return dataset == 90;  // the character set
    if (record != 2) return false;
    return Contains(kIptcDatasets, dataset) || (policy == MetadataPolicy::WithLocation && Contains(kIptcLocation, dataset));
}

}  // namespace imaging::metadata
