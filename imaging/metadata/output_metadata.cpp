// Exiv2 behind OutputMetadata. Exiv2 reports damage by throwing; every
// block is rebuilt inside its own catch-all, so a broken block is simply
// left out and the others still go through.
#include "imaging/metadata/output_metadata.h"

#include "imaging/metadata/metadata_filters.h"

#include <exiv2/exiv2.hpp>

#include <mutex>

namespace imaging::metadata {
namespace {

// What fits in one APPn segment after its identifier.
constexpr std::size_t kExifRoom = 65533 - 6;
constexpr std::size_t kXmpRoom = 65533 - 29;
constexpr std::size_t kIptcRoom = 65533 - 14 - 12;

std::mutex& XmpLock() {
    static std::mutex mutex;
    return mutex;
}

void LockXmp(void*, bool lock) {
    if (lock)
        XmpLock().lock();
    else
        XmpLock().unlock();
}

// Exiv2 is quiet, and its XMP toolkit is set up once and guarded, since
// conversions run side by side.
void SetUpExiv2() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize(LockXmp, nullptr);
    });
}

std::vector<std::uint8_t> BuildExif(const std::vector<std::uint8_t>& source, MetadataPolicy policy,
                                    const OutputFacts& facts) {
    Exiv2::ExifData in;
    const Exiv2::ByteOrder order =
        Exiv2::ExifParser::decode(in, source.data(), static_cast<std::uint32_t>(source.size()));
    if (order == Exiv2::invalidByteOrder || in.empty()) return {};
    Exiv2::ExifData out;
    for (const Exiv2::Exifdatum& d : in)
        if (KeepExifTag(d.groupName(), d.tag(), policy)) out.add(d);
    out["Exif.Image.Orientation"] = std::uint16_t{1};
    out["Exif.Image.XResolution"] = Exiv2::URational(facts.xdpi, 1);
    out["Exif.Image.YResolution"] = Exiv2::URational(facts.ydpi, 1);
    out["Exif.Image.ResolutionUnit"] = std::uint16_t{2};  // inches
    out["Exif.Photo.PixelXDimension"] = static_cast<std::uint32_t>(facts.width);
    out["Exif.Photo.PixelYDimension"] = static_cast<std::uint32_t>(facts.height);
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, order, out);
    if (blob.size() > kExifRoom) return {};
    return {blob.begin(), blob.end()};
}

std::vector<std::uint8_t> BuildXmp(const std::vector<std::uint8_t>& source, MetadataPolicy policy) {
    Exiv2::XmpData in;
    if (Exiv2::XmpParser::decode(in, std::string(source.begin(), source.end())) != 0) return {};
    Exiv2::XmpData out;
    for (const Exiv2::Xmpdatum& d : in)
        if (KeepXmpKey(d.key(), policy)) out.add(d);
    if (out.empty()) return {};
    std::string packet;
    if (Exiv2::XmpParser::encode(packet, out, Exiv2::XmpParser::useCompactFormat) != 0 || packet.size() > kXmpRoom)
        return {};
    return {packet.begin(), packet.end()};
}

std::vector<std::uint8_t> BuildIptc(const std::vector<std::uint8_t>& source, MetadataPolicy policy) {
    Exiv2::IptcData in;
    if (Exiv2::IptcParser::decode(in, source.data(), static_cast<std::uint32_t>(source.size())) != 0) return {};
    Exiv2::IptcData out;
    for (const Exiv2::Iptcdatum& d : in)
        if (KeepIptcDataset(d.record(), d.tag(), policy)) out.add(d);
    if (out.empty()) return {};
    const Exiv2::DataBuf encoded = Exiv2::IptcParser::encode(out);
    const auto size = static_cast<std::size_t>(encoded.size_);
    if (size == 0 || size > kIptcRoom) return {};
    return {encoded.pData_, encoded.pData_ + size};
}

// One block, with whatever Exiv2 throws taken as "no block".
template <typename Build>
std::vector<std::uint8_t> Guarded(const std::vector<std::uint8_t>& source, Build build) {
    if (source.empty() || source.size() > 0x7FFFFFFF) return {};
    try {
        return build();
    } catch (...) {
        return {};
    }
}

}  // namespace

PictureInfo OutputMetadata(const PictureInfo& source, MetadataPolicy policy, const OutputFacts& facts) {
    PictureInfo out;
    if (policy == MetadataPolicy::None) return out;
    SetUpExiv2();
    out.exif = Guarded(source.exif, [&] { return BuildExif(source.exif, policy, facts); });
    out.xmp = Guarded(source.xmp, [&] { return BuildXmp(source.xmp, policy); });
    out.iptc = Guarded(source.iptc, [&] { return BuildIptc(source.iptc, policy); });
    return out;
}

}  // namespace imaging::metadata
