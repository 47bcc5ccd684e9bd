// Chunks are read with their CRC checked as they go, by libdeflate's
// vectorised CRC-32, several times faster than zlib's. The stream is
// inflated one row per call, as libpng does.
#include "imaging/decode/png/png_image_data.h"

#include <libdeflate.h>

#include <algorithm>

namespace imaging::decode {
namespace {

constexpr std::size_t kInputBytes = 64 * 1024;
constexpr std::size_t kDrainBytes = 1024;
constexpr std::uint32_t kIdat = 0x49444154;
constexpr std::uint32_t kIend = 0x49454E44;
constexpr std::uint32_t kIhdr = 0x49484452;
constexpr int kDeflate = 8;  // the zlib header's compression method

std::uint32_t Be32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A chunk whose type starts with a capital letter is critical.
bool IsCritical(std::uint32_t type) { return (type & 0x20000000u) == 0; }

std::uint32_t TypeCrc(const unsigned char* typeBytes) { return libdeflate_crc32(0, typeBytes, 4); }

}  // namespace

PngImageData::PngImageData(std::FILE* file, std::size_t rowBytes) : file_(file), rowBytes_(rowBytes) {}

PngImageData::~PngImageData() = default;

// Steps back over the first IDAT's length and type, which libpng read.
bool PngImageData::Start() {
    if (std::fseek(file_, -8, SEEK_CUR) != 0) return false;
    std::uint32_t length = 0, type = 0;
    if (!NextChunk(length, type) || type != kIdat) return false;
    chunkLeft_ = length;
    input_.resize(kInputBytes);
    return BeginStream();
}

// The zlib header: deflate, a window of at most 32 KiB, no preset
// dictionary, and its check bits right.
bool PngImageData::BeginStream() {
    std::uint8_t head[2];
    if (!TakeStreamBytes(head, sizeof head)) return false;
    const int method = head[0] & 0x0F, windowBits = (head[0] >> 4) + 8;
    const bool dictionary = (head[1] & 0x20) != 0;
    if ((head[0] * 256 + head[1]) % 31 != 0 || method != kDeflate || windowBits > 15 || dictionary) return false;
    started_ = inflater_.Begin(head);
    return started_;
}

bool PngImageData::TakeStreamBytes(std::uint8_t* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (inLeft_ == 0 && !Refill()) return false;
        out[i] = *inNext_++;
        --inLeft_;
    }
    return true;
}

bool PngImageData::NextChunk(std::uint32_t& length, std::uint32_t& type) {
    unsigned char head[8];
    if (std::fread(head, 1, sizeof head, file_) != sizeof head) return false;
    length = Be32(head);
    type = Be32(head + 4);
    if (length > 0x7FFFFFFFu || !std::all_of(head + 4, head + 8, IsLetter)) return false;
    crc_ = TypeCrc(head + 4);
    return true;
}

bool PngImageData::FinishChunk(bool critical) {
    unsigned char stored[4];
    if (std::fread(stored, 1, sizeof stored, file_) != sizeof stored) return false;
    return Be32(stored) == crc_ || !critical;
}

bool PngImageData::SkipChunkData(std::uint32_t length, std::uint32_t crc, bool critical) {
    crc_ = crc;
    input_.resize(kInputBytes);
    while (length > 0) {
        const std::size_t n = std::min<std::size_t>(length, input_.size());
        if (std::fread(input_.data(), 1, n, file_) != n) return false;
        crc_ = libdeflate_crc32(crc_, input_.data(), n);
        length -= static_cast<std::uint32_t>(n);
    }
    return FinishChunk(critical);
}

// More of the zlib stream from the current IDAT, or from the next ones;
// anything else where data is still wanted means the data ran out.
bool PngImageData::Refill() {
    while (chunkLeft_ == 0) {
        std::uint32_t length = 0, type = 0;
        if (!FinishChunk(true) || !NextChunk(length, type) || type != kIdat) return false;
        chunkLeft_ = length;
    }
    const std::size_t n = std::min<std::size_t>(chunkLeft_, input_.size());
    if (std::fread(input_.data(), 1, n, file_) != n) return false;
    crc_ = libdeflate_crc32(crc_, input_.data(), n);
    chunkLeft_ -= static_cast<std::uint32_t>(n);
    inNext_ = input_.data();
    inLeft_ = n;
    return true;
}

// One step of the inflater, and more input when it made no progress
// without it.
bool PngImageData::InflateStep(std::uint8_t*& out, std::size_t& outLeft, PngInflater::Result& result) {
    const std::size_t inBefore = inLeft_, outBefore = outLeft;
    result = inflater_.Step(inNext_, inLeft_, out, outLeft);
    if (result != PngInflater::Result::More) return result == PngInflater::Result::End;
    if (outLeft != outBefore || inLeft_ != inBefore) return true;
    return inLeft_ == 0 && Refill();
}

Status PngImageData::ReadRow(std::uint8_t* row) {
    if (failed_ || (!started_ && !Start())) {
        failed_ = true;
        return Status::GenericError;
    }
    std::uint8_t* out = row;
    std::size_t outLeft = rowBytes_ + 1;
    while (outLeft > 0) {
        PngInflater::Result result{};
        if (streamEnded_ || !InflateStep(out, outLeft, result)) {
            failed_ = true;
            return Status::GenericError;
        }
        streamEnded_ = result == PngInflater::Result::End;
    }
    return Status::Ok;
}

// Inflates what is left of the stream after the last row: image data
// beyond the rows is ignored, but the stream must still end, its ADLER32
// right, within the IDATs.
bool PngImageData::DrainStream() {
    std::vector<std::uint8_t> scratch(kDrainBytes);
    for (;;) {
        std::uint8_t* out = scratch.data();
        std::size_t outLeft = scratch.size();
        PngInflater::Result result{};
        if (!InflateStep(out, outLeft, result)) return false;
        if (result == PngInflater::Result::End) return true;
    }
}

Status PngImageData::Finish() {
    if (failed_ || !started_ || (!streamEnded_ && !DrainStream())) return Status::GenericError;
    failed_ = true;  // whatever follows, no further call is meaningful
    if (!SkipChunkData(chunkLeft_, crc_, true)) return Status::GenericError;
    for (;;) {
        std::uint32_t length = 0, type = 0;
        if (!NextChunk(length, type) || type == kIhdr) return Status::GenericError;
        if (!SkipChunkData(length, crc_, IsCritical(type))) return Status::GenericError;
        if (type == kIend) return Status::Ok;
    }
}

}  // namespace imaging::decode
