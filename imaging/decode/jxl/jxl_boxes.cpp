#include "imaging/decode/jxl/jxl_boxes.h"

#include "imaging/decode/exif_payload.h"

#include <algorithm>
#include <cstring>

namespace imaging::decode::jxl {
namespace {

constexpr qsizetype kMaxBoxBytes = 64 * 1024 * 1024;
constexpr qsizetype kFirstBufferBytes = 64 * 1024;

}  // namespace

MetadataBoxes::MetadataBoxes(JxlDecoder* decoder) : decoder_(decoder) {
    JxlDecoderSetDecompressBoxes(decoder_, JXL_TRUE);  // without Brotli, compressed boxes are skipped
}

void MetadataBoxes::OnBox() {
    Complete();
    JxlBoxType type;
    if (JxlDecoderGetBoxType(decoder_, type, JXL_TRUE) != JXL_DEC_SUCCESS) return;
    if (std::memcmp(type, "Exif", 4) == 0 && exifBox_.isEmpty())
        target_ = &exifBox_;
    else if (std::memcmp(type, "xml ", 4) == 0 && xmp_.isEmpty())
        target_ = &xmp_;
    else
        return;
    // An uncompressed box states its size; a compressed one is at least
    // that large once decompressed.
    std::uint64_t raw = 0;
    JxlDecoderGetBoxSizeRaw(decoder_, &raw);
    const qsizetype first = raw > 0 ? static_cast<qsizetype>(std::min<std::uint64_t>(raw, kMaxBoxBytes))
                                    : kFirstBufferBytes;
    buffer_.resize(first);
    if (JxlDecoderSetBoxBuffer(decoder_, reinterpret_cast<std::uint8_t*>(buffer_.data()),
                               static_cast<std::size_t>(buffer_.size())) != JXL_DEC_SUCCESS)
        GiveUp();
}

void MetadataBoxes::OnNeedMoreOutput() {
    if (!target_) return;
    const std::size_t unused = JxlDecoderReleaseBoxBuffer(decoder_);
    const qsizetype written = buffer_.size() - static_cast<qsizetype>(unused);
    if (buffer_.size() >= kMaxBoxBytes) return GiveUp();
    buffer_.resize(std::min(buffer_.size() * 2, kMaxBoxBytes));
    if (JxlDecoderSetBoxBuffer(decoder_, reinterpret_cast<std::uint8_t*>(buffer_.data() + written),
                               static_cast<std::size_t>(buffer_.size() - written)) != JXL_DEC_SUCCESS)
        GiveUp();
}

void MetadataBoxes::OnEnd() { Complete(); }

void MetadataBoxes::Complete() {
    if (!target_) return;
    const std::size_t unused = JxlDecoderReleaseBoxBuffer(decoder_);
    buffer_.resize(buffer_.size() - static_cast<qsizetype>(unused));
    *target_ = std::move(buffer_);
    if (target_ == &exifBox_) exif_ = TiffFromBmffExif(exifBox_);
    target_ = nullptr;
    buffer_ = QByteArray();
}

// Released without a new buffer, libjxl skips the rest of the box.
void MetadataBoxes::GiveUp() {
    JxlDecoderReleaseBoxBuffer(decoder_);
    target_ = nullptr;
    buffer_ = QByteArray();
}

}  // namespace imaging::decode::jxl
