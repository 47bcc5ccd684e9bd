#include "imaging/sandbox/channel.h"

#include <cerrno>

#include <poll.h>
#include <sys/socket.h>

namespace imaging::sandbox {

bool SendPacket(int socket, const void* data, std::size_t size, int fd) {
    iovec part{const_cast<void*>(data), size};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) unsigned char control[CMSG_SPACE(sizeof(int))]{};
    if (fd >= 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(header), &fd, sizeof(int));
    }
    ssize_t sent;
    do sent = ::sendmsg(socket, &message, MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(size);
}

namespace {

// Takes every descriptor out of the control data, keeping the first only
// when it is the sole one.
bool TakeDescriptors(msghdr& message, UniqueFd& fd) {
    int count = 0;
    for (cmsghdr* h = CMSG_FIRSTHDR(&message); h; h = CMSG_NXTHDR(&message, h)) {
        if (h->cmsg_level != SOL_SOCKET || h->cmsg_type != SCM_RIGHTS) continue;
        const std::size_t n = (h->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (std::size_t i = 0; i < n; ++i) {
            int received = -1;
            std::memcpy(&received, CMSG_DATA(h) + i * sizeof(int), sizeof(int));
            if (count++ == 0)
                fd.Reset(received);
            else
                ::close(received);
        }
    }
    if (count > 1) fd.Reset();
    return count <= 1;
}

}  // namespace

Received ReceivePacket(int socket, Packet& packet, int timeoutMs) {
    packet.size = 0;
    packet.fd.Reset();
    pollfd watch{socket, POLLIN, 0};
    int ready;
    do ready = ::poll(&watch, 1, timeoutMs);
    while (ready < 0 && errno == EINTR);
    if (ready == 0) return Received::TimedOut;
    if (ready < 0) return Received::Failed;

    iovec part{packet.bytes.data(), packet.bytes.size()};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) unsigned char control[CMSG_SPACE(4 * sizeof(int))]{};
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got;
    do got = ::recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
    while (got < 0 && errno == EINTR);
    if (got == 0) return Received::Closed;
    if (got < 0) return errno == ECONNRESET ? Received::Closed : Received::Failed;
    const bool fdsOk = TakeDescriptors(message, packet.fd);
    if (!fdsOk || (message.msg_flags & (MSG_TRUNC | MSG_CTRUNC))) {
        packet.fd.Reset();
        return Received::Failed;
    }
    packet.size = static_cast<std::size_t>(got);
    return Received::Ok;
}

bool PeekType(const Packet& packet, MessageType& type) {
    Header header;
    if (packet.size < sizeof header) return false;
    std::memcpy(&header, packet.bytes.data(), sizeof header);
    type = header.type;
    return header.magic == kMagic && header.version == kVersion;
}

}  // namespace imaging::sandbox
