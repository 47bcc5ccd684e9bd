#include "decoder/ring_sink.h"

#include "imaging/sandbox/channel.h"

#include <algorithm>
#include <cstring>

namespace tessaline_decoder {

using namespace imaging::sandbox;

namespace {

// Slots of about 2 MB: small enough that the program starts scaling early,
// large enough that a whole frame needs few round trips.
constexpr std::size_t kSlotTarget = 2u << 20;
constexpr std::uint32_t kSlots = 4;

}  // namespace

bool RingSink::Begin(int width, int height, imaging::PixelLayout layout) {
    if (began_ || width <= 0 || height <= 0) return false;
    rowBytes_ = static_cast<std::size_t>(width) * imaging::BytesPerPixel(layout);
    slotRows_ = static_cast<int>(std::clamp<std::size_t>(kSlotTarget / rowBytes_, 1, static_cast<std::size_t>(height)));
    slotBytes_ = rowBytes_ * static_cast<std::size_t>(slotRows_);
    // No more slots than the frame fills: every page of the ring is set up
    // when it is mapped, and that costs time.
    slots_ = static_cast<std::uint32_t>(std::min<int>(kSlots, (height + slotRows_ - 1) / slotRows_));
    memory_ = CreateSealedMemory(slotBytes_ * slots_, "tessaline-rows");
    if (!memory_.valid() || !ring_.Map(memory_.get(), slotBytes_ * slots_, true)) return false;
    imaging::sandbox::Begin begin;
    begin.width = width;
    begin.height = height;
    begin.layout = static_cast<std::uint32_t>(layout);
    begin.slotCount = slots_;
    begin.slotBytes = slotBytes_;
    began_ = Send(socket_, begin, memory_.get());
    memory_.Reset();  // the mapping stays
    return began_;
}

bool RingSink::Rows(int y, int count, const std::uint8_t* data, std::size_t stride) {
    if (!began_ || y != firstY_ + filled_) return false;
    // Rows written in place through RowSpace.
    if (data == Next() && count <= slotRows_ - filled_) {
        filled_ += count;
        return true;
    }
    for (int i = 0; i < count; ++i) {
        if (filled_ == slotRows_ && !Flush()) return false;
        std::memcpy(Next(), data + stride * static_cast<std::size_t>(i), rowBytes_);
        ++filled_;
    }
    return true;
}

std::uint8_t* RingSink::RowSpace(int y, int maxRows, int& rows, std::size_t& stride) {
    if (!began_ || y != firstY_ + filled_ || maxRows <= 0) return nullptr;
    if (filled_ == slotRows_ && !Flush()) return nullptr;
    rows = std::min(maxRows, slotRows_ - filled_);
    stride = rowBytes_;
    return Next();
}

bool RingSink::Deliver(const imaging::PixelBuffer& frame) {
    return Begin(frame.width(), frame.height(), frame.layout()) &&
           Rows(0, frame.height(), frame.data(), frame.stride());
}

bool RingSink::Flush() {
    if (filled_ == 0) return true;
    if (inFlight_ == slots_ && !WaitForAck()) return false;
    Band band;
    band.slot = slot_;
    band.y = firstY_;
    band.count = filled_;
    if (!Send(socket_, band)) return false;
    ++inFlight_;
    firstY_ += filled_;
    filled_ = 0;
    slot_ = (slot_ + 1) % slots_;
    // The next slot must be free before rows go into it.
    return inFlight_ < slots_ || WaitForAck();
}

bool RingSink::WaitForAck() {
    Packet packet;
    Ack ack;
    if (ReceivePacket(socket_, packet, -1) != Received::Ok || !Decode(packet, MessageType::Ack, ack)) return false;
    --inFlight_;
    return true;
}

bool RingSink::Finish() {
    if (!Flush()) return false;
    while (inFlight_ > 0)
        if (!WaitForAck()) return false;
    return true;
}

}  // namespace tessaline_decoder
