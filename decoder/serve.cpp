#include "decoder/serve.h"

#include "decoder/ring_sink.h"
#include "imaging/decode/full_decoder_wanted.h"
#include "imaging/decode/open_picture_source.h"
#include "imaging/sandbox/channel.h"
#include "imaging/sandbox/shared_memory.h"

#include <algorithm>
#include <cstring>

namespace tessaline_decoder {
namespace {

using namespace imaging;
using namespace imaging::sandbox;

// The metadata blocks back to back in a memfd; invalid when there are none
// or it cannot be made (the reply then states no blocks).
UniqueFd WriteInfo(const PictureInfo& info, OpenReply& reply) {
    const std::vector<std::uint8_t>* blocks[] = {&info.iccProfile, &info.exif, &info.xmp, &info.iptc};
    std::size_t total = 0;
    for (const auto* block : blocks) total += block->size();
    if (total == 0 || total > kMaxInfoBytes) return {};
    UniqueFd memory = CreateSealedMemory(total, "tessaline-info");
    Mapping map;
    if (!memory.valid() || !map.Map(memory.get(), total, true)) return {};
    std::size_t offset = 0;
    for (const auto* block : blocks) {
        if (!block->empty()) std::memcpy(map.data() + offset, block->data(), block->size());
        offset += block->size();
    }
    reply.iccBytes = info.iccProfile.size();
    reply.exifBytes = info.exif.size();
    reply.xmpBytes = info.xmp.size();
    reply.iptcBytes = info.iptc.size();
    return memory;
}

bool SendOpenReply(int socket, Status status, const PictureSource* source) {
    OpenReply reply;
    reply.status = static_cast<std::int32_t>(status);
    UniqueFd blocks;
    if (status == Status::Ok) {
        const auto& dimensions = source->Dimensions();
        reply.dimensionCount = static_cast<std::uint32_t>(std::min<std::size_t>(dimensions.size(), kMaxDimensions));
        for (std::uint32_t i = 0; i < reply.dimensionCount; ++i) {
            reply.dimensions[i] = dimensions[i].id;
            reply.frameCounts[i] = dimensions[i].frameCount;
        }
        reply.xdpi = source->HorizontalResolution();
        reply.ydpi = source->VerticalResolution();
        reply.profileApplied = source->Info().profileApplied ? 1 : 0;
        blocks = WriteInfo(source->Info(), reply);
    }
    return Send(socket, reply, blocks.get());
}

bool AnswerFrameSize(int socket, PictureSource& source, const Request& request) {
    FrameSizeReply reply;
    int width = 0, height = 0;
    reply.status = static_cast<std::int32_t>(source.FrameSize(request.dimension, request.index, width, height));
    reply.width = width;
    reply.height = height;
    return Send(socket, reply);
}

Status DecodeInto(PictureSource& source, const Request& request, RingSink& sink) {
    if (request.kind == RequestKind::DecodeFrameRows)
        return source.DecodeFrameRows(request.dimension, request.index, request.minWidth, request.minHeight, sink);
    PixelBuffer frame;
    const Status status =
        request.kind == RequestKind::DecodeFrame
            ? source.DecodeFrame(request.dimension, request.index, frame)
            : source.DecodeFrameForSize(request.dimension, request.index, request.minWidth, request.minHeight, frame);
    if (status != Status::Ok) return status;
    if (frame.empty()) return Status::GenericError;
    return sink.Deliver(frame) ? Status::Ok : Status::Aborted;
}

// False when the program is gone.
bool AnswerDecode(int socket, PictureSource& source, const Request& request) {
    RingSink sink(socket);
    Status status = DecodeInto(source, request, sink);
    // A decoder that stopped after some rows still hands the program the
    // slots it holds, then the failure.
    if (sink.began() && !sink.Finish()) return false;
    if (status == Status::Ok && !sink.began()) status = Status::GenericError;
    Done done;
    done.status = static_cast<std::int32_t>(status);
    return Send(socket, done);
}

}  // namespace

int Serve(int socket, const QString& picturePath, const DecodeLimits& limits) {
    std::unique_ptr<PictureSource> source;
    Status opened = OpenPictureSource(picturePath, limits, source);
    if (decode::FullDecoderWanted()) {
        OpenReply reply;
        reply.status = kNeedsFullWorker;
        Send(socket, reply);
        return 0;
    }
    if (opened == Status::Ok && (!source || source->Dimensions().empty())) opened = Status::UnknownImageFormat;
    if (!SendOpenReply(socket, opened, source.get()) || opened != Status::Ok) return 0;
    for (;;) {
        Packet packet;
        if (ReceivePacket(socket, packet, -1) != Received::Ok) return 0;
        Request request;
        if (!Decode(packet, MessageType::Request, request)) return 1;
        const bool answered = request.kind == RequestKind::FrameSize ? AnswerFrameSize(socket, *source, request)
                                                                     : AnswerDecode(socket, *source, request);
        if (!answered) return 0;
    }
}

}  // namespace tessaline_decoder
