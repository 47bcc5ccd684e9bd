#pragma once
// The worker's side of a frame's journey: rows go into a ring of slots in a
// sealed memfd the program maps, one Band message per filled slot. The
// worker decodes on while the program uses earlier slots; it waits only
// when every slot is still out.

#include "imaging/core/picture_source.h"
#include "imaging/sandbox/shared_memory.h"

namespace tessaline_decoder {

class RingSink : public imaging::RowSink {
public:
    explicit RingSink(int socket) : socket_(socket) {}
    bool Begin(int width, int height, imaging::PixelLayout layout) override;
    bool Rows(int y, int count, const std::uint8_t* data, std::size_t stride) override;
    // The free part of the current slot (flushed first when full).
    std::uint8_t* RowSpace(int y, int maxRows, int& rows, std::size_t& stride) override;
    // A whole decoded frame, as Begin and one band.
    bool Deliver(const imaging::PixelBuffer& frame);
    // Sends the last rows and waits until the program has used every slot,
    // so that the next message on the socket is the next request.
    bool Finish();
    bool began() const { return began_; }

private:
    bool Flush();
    std::uint8_t* Next() { return ring_.data() + slot_ * slotBytes_ + static_cast<std::size_t>(filled_) * rowBytes_; }
    bool WaitForAck();

    int socket_;
    imaging::sandbox::UniqueFd memory_;
    imaging::sandbox::Mapping ring_;
    std::size_t rowBytes_ = 0;
    std::size_t slotBytes_ = 0;
    int slotRows_ = 0;
    std::uint32_t slots_ = 1;
    std::uint32_t slot_ = 0;
    std::uint32_t inFlight_ = 0;
    int filled_ = 0;  // rows in the current slot
    int firstY_ = 0;  // the frame row of its first
    bool began_ = false;
};

}  // namespace tessaline_decoder
