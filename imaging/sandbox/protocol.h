#pragma once
// What the program and its decoding worker say to each other over a
// SOCK_SEQPACKET socket: fixed-size plain messages, one per packet, with
// shared-memory descriptors passed alongside where pixels or metadata
// travel. Both ends come from the same build; a mismatch in kVersion or in a
// message's size is a broken worker, never an attempt to adapt.
//
// The session:
//   program -> Job (+ the picture, opened read-only); a worker may be
//              started long before, and waits for it
//   worker -> OpenReply (+ a memfd holding the metadata blocks back to back)
//   program -> Request; the worker answers
//     FrameSize: FrameSizeReply
//     Decode*:   Begin (+ the band ring, a sealed memfd), then Band ... each
//                answered by Ack, then Done; or Done alone on a failure
//   the program closes the socket: the worker exits.

#include "imaging/core/guid.h"
#include "imaging/core/picture_source.h"
#include "imaging/sandbox/worker_start.h"

#include <cstddef>
#include <cstdint>

namespace imaging::sandbox {

constexpr std::uint32_t kMagic = 0x54455344;  // "TESD"
constexpr std::uint32_t kVersion = 2;

// The worker's descriptors: the socket (kSocketFd, worker_start.h), and
// the picture once it is handed over.
constexpr int kPictureFd = 4;

// Bounds the program checks on everything the worker says.
constexpr std::uint32_t kMaxDimensions = 4;
constexpr std::uint64_t kMaxInfoBytes = 256ull << 20;  // profile + EXIF + XMP + IPTC
constexpr std::uint32_t kMaxSlots = 8;
constexpr std::uint64_t kMaxRingBytes = 256ull << 20;

enum class MessageType : std::uint32_t {
    OpenReply = 1,
    Request,
    FrameSizeReply,
    Begin,
    Band,
    Ack,
    Done,
    Job,
};

enum class RequestKind : std::uint32_t {
    FrameSize = 1,
    DecodeFrame,         // in full
    DecodeFrameForSize,  // whole, possibly shrunk on the way
    DecodeFrameRows,     // streamed while it decodes
};

struct Header {
    std::uint32_t magic = kMagic;
    std::uint32_t version = kVersion;
    MessageType type{};
};

// OpenReply's status from the light worker when the picture needs a
// decoder only the full worker has.
constexpr std::int32_t kNeedsFullWorker = -1;

struct OpenReply {
    Header header{kMagic, kVersion, MessageType::OpenReply};
    std::int32_t status = 0;  // a Status, or kNeedsFullWorker
    std::uint32_t dimensionCount = 0;
    GUID dimensions[kMaxDimensions]{};
    std::uint32_t frameCounts[kMaxDimensions]{};
    float xdpi = 96.0f;
    float ydpi = 96.0f;
    std::uint32_t profileApplied = 0;
    // Lengths of the blocks in the attached memfd, in this order.
    std::uint64_t iccBytes = 0;
    std::uint64_t exifBytes = 0;
    std::uint64_t xmpBytes = 0;
    std::uint64_t iptcBytes = 0;
};

struct Request {
    Header header{kMagic, kVersion, MessageType::Request};
    RequestKind kind{};
    GUID dimension{};
    std::uint32_t index = 0;
    std::int32_t minWidth = 0;
    std::int32_t minHeight = 0;
};

struct FrameSizeReply {
    Header header{kMagic, kVersion, MessageType::FrameSizeReply};
    std::int32_t status = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The frame's geometry and the ring its rows come through: slotCount slots
// of slotBytes each; rows in a slot are packed (width * channels apart).
struct Begin {
    Header header{kMagic, kVersion, MessageType::Begin};
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t layout = 0;
    std::uint32_t slotCount = 0;
    std::uint64_t slotBytes = 0;
};

// Rows [y, y + count) are in `slot`; the program answers with an Ack for
// the slot once it has used them.
struct Band {
    Header header{kMagic, kVersion, MessageType::Band};
    std::uint32_t slot = 0;
    std::int32_t y = 0;
    std::int32_t count = 0;
};

struct Ack {
    Header header{kMagic, kVersion, MessageType::Ack};
    std::uint32_t slot = 0;
};

struct Done {
    Header header{kMagic, kVersion, MessageType::Done};
    std::int32_t status = 0;
};

// The worker's resource limits follow the program's decode limits.
struct WorkerArguments {
    DecodeLimits limits;
    int threads = 1;
};

// The picture's descriptor rides along; the worker locks itself down as
// soon as it has it.
struct Job {
    Header header{kMagic, kVersion, MessageType::Job};
    std::int64_t maxPixels = 0;
    std::int64_t maxBytes = 0;
    std::int32_t maxSide = 0;
    std::int32_t threads = 0;
};

// The largest message; the receiving buffer's size.
constexpr std::size_t kMaxMessageBytes = sizeof(OpenReply);
static_assert(sizeof(Request) <= kMaxMessageBytes && sizeof(Begin) <= kMaxMessageBytes &&
              sizeof(Job) <= kMaxMessageBytes);

}  // namespace imaging::sandbox

namespace imaging::sandbox {

// The worker's exit status when memory ran out under its limit.
constexpr int kExitOutOfMemory = 86;

}  // namespace imaging::sandbox
