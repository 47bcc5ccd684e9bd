#pragma once
// One message per packet over the worker's SOCK_SEQPACKET socket, with at
// most one descriptor riding along (SCM_RIGHTS).

#include "imaging/sandbox/protocol.h"
#include "imaging/sandbox/unique_fd.h"

#include <array>
#include <cstring>

namespace imaging::sandbox {

struct Packet {
    std::array<unsigned char, kMaxMessageBytes> bytes{};
    std::size_t size = 0;
    UniqueFd fd;
};

enum class Received { Ok, Closed, TimedOut, Failed };

// Sends `size` bytes (and `fd` when not -1) as one packet; never raises
// SIGPIPE. False when the peer is gone.
bool SendPacket(int socket, const void* data, std::size_t size, int fd = -1);

template <class Message>
bool Send(int socket, const Message& message, int fd = -1) {
    return SendPacket(socket, &message, sizeof message, fd);
}

// Waits up to timeoutMs (-1: without end) for one packet. A packet longer
// than kMaxMessageBytes, or carrying more than one descriptor, is Failed.
Received ReceivePacket(int socket, Packet& packet, int timeoutMs);

// The packet as a `Message` of `type`: exact size, magic and version.
template <class Message>
bool Decode(const Packet& packet, MessageType type, Message& message) {
    if (packet.size != sizeof(Message)) return false;
    std::memcpy(&message, packet.bytes.data(), sizeof(Message));
    return message.header.magic == kMagic && message.header.version == kVersion && message.header.type == type;
}

// The type a packet claims, when its header is whole and of this build.
bool PeekType(const Packet& packet, MessageType& type);

}  // namespace imaging::sandbox
