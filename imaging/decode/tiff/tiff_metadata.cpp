#include "imaging/decode/tiff/tiff_metadata.h"

#include "imaging/decode/tiff/tiff_raw_ifd.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace imaging::decode::tiff {
namespace {

constexpr std::uint64_t kMaxBlockBytes = 16u * 1024 * 1024;  // a profile, XMP or IPTC
constexpr std::uint64_t kMaxExifValueBytes = 64u * 1024;      // one EXIF entry
constexpr std::size_t kMaxExifBytes = 1024 * 1024;            // the EXIF block built

constexpr std::uint16_t kIccTag = 34675, kXmpTag = 700, kIptcTag = 33723, kExifIfdTag = 34665;
constexpr std::array<std::uint16_t, 7> kDescriptiveTags = {0x010E, 0x010F, 0x0110, 0x0131, 0x0132, 0x013B, 0x8298};
// Entries of the EXIF directory not copied: the interoperability
// directory's pointer (an offset into the file) and the maker's notes.
constexpr std::array<std::uint16_t, 2> kSkippedExifTags = {0xA005, 0x927C};

// The entry's value when it was read whole.
bool Whole(const RawEntry& e) {
    const int size = RawTypeSize(e.type);
    return size != 0 && e.type <= 12 && e.count * static_cast<std::uint64_t>(size) == e.value.size();
}

std::vector<std::uint8_t> Block(const std::vector<RawEntry>& entries, std::uint16_t tag) {
    const RawEntry* e = FindRawEntry(entries, tag);
    if (!e || !Whole(*e) || e->value.empty()) return {};
    return e->value;
}

// A profile whose header is intact and whose colour space the page's
// pixels are in.
bool ProfileFits(const std::vector<std::uint8_t>& icc, const TiffPage& page) {
    if (icc.size() < 132 || std::memcmp(icc.data() + 36, "acsp", 4) != 0) return false;
    const std::uint32_t stated = (std::uint32_t{icc[0]} << 24) | (icc[1] << 16) | (icc[2] << 8) | icc[3];
    if (stated > icc.size() || stated < 132) return false;
    const bool rgb = std::memcmp(icc.data() + 16, "RGB ", 4) == 0;
    const bool grey = std::memcmp(icc.data() + 16, "GRAY", 4) == 0;
    if (page.route == PageRoute::LibtiffRgba) return rgb;
    switch (page.model) {
        case Model::Rgb:
        case Model::Palette: return rgb;
        case Model::Grey:
        case Model::GreyInverted: return grey;
        case Model::Cmyk: return false;
    }
    return false;
}

// Writes a little TIFF structure in the source file's byte order, so that
// every copied value keeps its bytes.
class ExifWriter {
public:
    explicit ExifWriter(bool bigEndian) : bigEndian_(bigEndian) {}

    std::vector<std::uint8_t> Build(std::vector<RawEntry> image, std::vector<RawEntry> exif) {
        const auto byTag = [](const RawEntry& a, const RawEntry& b) { return a.tag < b.tag; };
        std::sort(image.begin(), image.end(), byTag);
        std::sort(exif.begin(), exif.end(), byTag);
        const std::size_t imageEntries = image.size() + (exif.empty() ? 0 : 1);
        const std::size_t exifStart = 8 + DirectoryBytes(imageEntries);
        std::size_t dataAt = exifStart + (exif.empty() ? 0 : DirectoryBytes(exif.size()));
        out_.assign(bigEndian_ ? "MM\0*" : "II*\0", (bigEndian_ ? "MM\0*" : "II*\0") + 4);
        Put(8, 4);
        if (!exif.empty()) {
            RawEntry pointer;
            pointer.tag = kExifIfdTag;
            pointer.type = 4;  // LONG
            pointer.count = 1;
            image.insert(std::upper_bound(image.begin(), image.end(), pointer, byTag), pointer);
        }
        WriteDirectory(image, dataAt, exifStart);
        if (!exif.empty()) WriteDirectory(exif, dataAt, 0);
        out_.insert(out_.end(), data_.begin(), data_.end());
        return out_;
    }

private:
    static std::size_t DirectoryBytes(std::size_t entries) { return 2 + 12 * entries + 4; }

    void Put(std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            const int shift = bigEndian_ ? 8 * (bytes - 1 - i) : 8 * i;
            out_.push_back(static_cast<std::uint8_t>(value >> shift));
        }
    }

    // Values of more than four bytes go to the data area, which starts at
    // `dataAt` and is kept at even offsets.
    void WriteDirectory(const std::vector<RawEntry>& entries, std::size_t& dataAt, std::size_t exifStart) {
        Put(entries.size(), 2);
        for (const RawEntry& e : entries) {
            Put(e.tag, 2);
            Put(e.type, 2);
            Put(e.count, 4);
            if (e.tag == kExifIfdTag) {
                Put(exifStart, 4);
            } else if (e.value.size() <= 4) {
                out_.insert(out_.end(), e.value.begin(), e.value.end());
                for (std::size_t i = e.value.size(); i < 4; ++i) out_.push_back(0);
            } else {
                Put(dataAt + data_.size(), 4);
                data_.insert(data_.end(), e.value.begin(), e.value.end());
                if (data_.size() % 2) data_.push_back(0);
            }
        }
        Put(0, 4);  // no next directory
    }

    bool bigEndian_;
    std::vector<std::uint8_t> out_;
    std::vector<std::uint8_t> data_;
};

std::vector<RawEntry> DescriptiveEntries(const std::vector<RawEntry>& entries) {
    std::vector<RawEntry> kept;
    for (std::uint16_t tag : kDescriptiveTags)
        if (const RawEntry* e = FindRawEntry(entries, tag); e && Whole(*e) && e->count > 0) kept.push_back(*e);
    return kept;
}

std::vector<RawEntry> ExifEntries(QIODevice& device, const RawTiffHeader& header, const std::vector<RawEntry>& ifd0) {
    const RawEntry* pointer = FindRawEntry(ifd0, kExifIfdTag);
    std::uint64_t offset = 0;
    std::vector<RawEntry> entries, kept;
    if (!pointer || !RawUnsigned(header, *pointer, 0, offset) ||
        !ReadRawIfd(device, header, offset, RawValueLimits{kMaxExifValueBytes, kMaxExifBytes, {}}, entries))
        return {};
    std::size_t total = 0;
    for (RawEntry& e : entries) {
        if (!Whole(e) || std::find(kSkippedExifTags.begin(), kSkippedExifTags.end(), e.tag) != kSkippedExifTags.end())
            continue;
        total += e.value.size() + 12;
        if (total > kMaxExifBytes) return {};
        kept.push_back(std::move(e));
    }
    return kept;
}

}  // namespace

PictureInfo ReadTiffMetadata(QIODevice& device, std::uint64_t ifdOffset, const TiffPage& page) {
    PictureInfo info;
    RawTiffHeader header;
    std::vector<RawEntry> ifd;
    RawValueLimits limits{kMaxBlockBytes, 3 * kMaxBlockBytes, {kIccTag, kXmpTag, kIptcTag, kExifIfdTag}};
    limits.tags.insert(limits.tags.end(), kDescriptiveTags.begin(), kDescriptiveTags.end());
    if (!ReadRawTiffHeader(device, header) || !ReadRawIfd(device, header, ifdOffset, limits, ifd)) return info;
    info.iccProfile = Block(ifd, kIccTag);
    if (!ProfileFits(info.iccProfile, page)) info.iccProfile.clear();
    info.xmp = Block(ifd, kXmpTag);
    info.iptc = Block(ifd, kIptcTag);
    if (!info.iptc.empty() && info.iptc[0] != 0x1C) info.iptc.clear();  // datasets start with their marker
    std::vector<RawEntry> image = DescriptiveEntries(ifd);
    std::vector<RawEntry> exif = ExifEntries(device, header, ifd);
    if (!image.empty() || !exif.empty())
        info.exif = ExifWriter(header.bigEndian).Build(std::move(image), std::move(exif));
    return info;
}

}  // namespace imaging::decode::tiff
