#include "imaging/decode/png/png_inflater.h"

#include <isa-l/igzip_lib.h>
#include <zlib.h>

#include <climits>

namespace imaging::decode {
namespace {

constexpr int kFullWindowBits = 15;

// Both libraries count in 32 bits; larger pieces are passed in parts.
std::uint32_t Clamp(std::size_t n) { return n > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(n); }

}  // namespace

struct PngInflater::Zlib {
    z_stream stream{};
    bool ready = false;
    ~Zlib() {
        if (ready) inflateEnd(&stream);
    }
};

struct PngInflater::Isal {
    inflate_state state{};
};

PngInflater::PngInflater() = default;
PngInflater::~PngInflater() = default;

bool PngInflater::Begin(const std::uint8_t header[2]) {
    const int windowBits = (header[0] >> 4) + 8;
    if (windowBits == kFullWindowBits) {
        // The header is read: ISA-L takes the deflate data and the ADLER32.
        isal_ = std::make_unique<Isal>();
        isal_inflate_init(&isal_->state);
        isal_->state.crc_flag = ISAL_ZLIB_NO_HDR_VER;
        return true;
    }
    // zlib reads the header again, to size its window as libpng's does.
    zlib_ = std::make_unique<Zlib>();
    zlib_->ready = inflateInit2(&zlib_->stream, 0) == Z_OK;
    if (!zlib_->ready) return false;
    const std::uint8_t* in = header;
    std::size_t inLeft = 2;
    std::uint8_t none = 0;
    std::uint8_t* out = &none;
    std::size_t outLeft = 0;
    return Step(in, inLeft, out, outLeft) == Result::More && inLeft == 0;
}

PngInflater::Result PngInflater::Step(const std::uint8_t*& in, std::size_t& inLeft, std::uint8_t*& out,
                                      std::size_t& outLeft) {
    if (isal_) {
        inflate_state& s = isal_->state;
        s.next_in = const_cast<std::uint8_t*>(in);
        s.avail_in = Clamp(inLeft);
        s.next_out = out;
        s.avail_out = Clamp(outLeft);
        const int ret = isal_inflate(&s);
        inLeft -= static_cast<std::size_t>(s.next_in - in);
        outLeft -= static_cast<std::size_t>(s.next_out - out);
        in = s.next_in;
        out = s.next_out;
        if (ret < 0) return Result::Error;
        return s.block_state == ISAL_BLOCK_FINISH ? Result::End : Result::More;
    }
    if (!zlib_ || !zlib_->ready) return Result::Error;
    z_stream& z = zlib_->stream;
    z.next_in = const_cast<Bytef*>(in);
    z.avail_in = Clamp(inLeft);
    z.next_out = out;
    z.avail_out = Clamp(outLeft);
    const int ret = inflate(&z, Z_NO_FLUSH);
    inLeft -= static_cast<std::size_t>(z.next_in - in);
    outLeft -= static_cast<std::size_t>(z.next_out - out);
    in = z.next_in;
    out = z.next_out;
    if (ret == Z_STREAM_END) return Result::End;
    // Z_BUF_ERROR: nothing could be done with what was given.
    return ret == Z_OK || ret == Z_BUF_ERROR ? Result::More : Result::Error;
}

}  // namespace imaging::decode
