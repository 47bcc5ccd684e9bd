// The program's side of the worker: every length and number the worker
// sends is checked before it is used, since a worker that decoded a hostile
// picture may say anything. Rows reach the caller's sink straight from the
// shared ring, so a streamed frame is copied once (by the worker, into the
// ring) on its way.
#include "imaging/sandbox/sandboxed_source.h"

#include "imaging/core/parallel.h"
#include "imaging/sandbox/channel.h"
#include "imaging/sandbox/frame_collector.h"
#include "imaging/sandbox/shared_memory.h"
#include "imaging/sandbox/spare_workers.h"
#include "imaging/sandbox/worker_process.h"

#include <QFile>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>

namespace imaging {
namespace {

using namespace sandbox;
using Ending = WorkerProcess::Ending;

constexpr int kLastStatus = static_cast<int>(Status::PropertyNotSupported);

Status ToStatus(std::int32_t value) {
    return value >= 0 && value <= kLastStatus ? static_cast<Status>(value) : Status::GenericError;
}

class Deadline {
public:
    explicit Deadline(int ms) : end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms)) {}
    int RemainingMs() const {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end_ - std::chrono::steady_clock::now());
        return static_cast<int>(std::max<std::int64_t>(0, left.count()));
    }

private:
    std::chrono::steady_clock::time_point end_;
};

float Resolution(float dpi) { return std::isfinite(dpi) && dpi > 0.0f && dpi < 1e6f ? dpi : 96.0f; }

class SandboxedSource : public PictureSource {
public:
    SandboxedSource(std::unique_ptr<WorkerProcess> worker, const DecodeLimits& limits, const SandboxSettings& settings)
        : worker_(std::move(worker)), limits_(limits), settings_(settings) {}

    Status Open();
    // After Open: the light worker found that the picture needs the full one.
    bool needsFullWorker() const { return needsFullWorker_; }

    const PictureInfo& Info() const override { return info_; }
    const std::vector<FrameDimension>& Dimensions() const override { return dimensions_; }
    float HorizontalResolution() const override { return xdpi_; }
    float VerticalResolution() const override { return ydpi_; }
    Status FrameSize(const GUID& dimension, std::uint32_t index, int& width, int& height) override;
    Status DecodeFrame(const GUID& dimension, std::uint32_t index, PixelBuffer& out) override {
        return Whole(RequestKind::DecodeFrame, dimension, index, 0, 0, out);
    }
    Status DecodeFrameForSize(const GUID& dimension, std::uint32_t index, int minWidth, int minHeight,
                              PixelBuffer& out) override {
        return Whole(RequestKind::DecodeFrameForSize, dimension, index, minWidth, minHeight, out);
    }
    Status DecodeFrameRows(const GUID& dimension, std::uint32_t index, int minWidth, int minHeight,
                           RowSink& sink) override {
        return Stream(Ask(RequestKind::DecodeFrameRows, dimension, index, minWidth, minHeight), sink);
    }

private:
    static Request Ask(RequestKind kind, const GUID& dimension, std::uint32_t index, int minWidth, int minHeight) {
        Request request;
        request.kind = kind;
        request.dimension = dimension;
        request.index = index;
        request.minWidth = minWidth;
        request.minHeight = minHeight;
        return request;
    }
    Status Whole(RequestKind kind, const GUID& dimension, std::uint32_t index, int minWidth, int minHeight,
                 PixelBuffer& out);
    Status Stream(const Request& request, RowSink& sink);
    Status Bands(const Begin& begin, int ringFd, const Deadline& deadline, RowSink& sink);
    bool ValidBegin(const Begin& begin) const;
    Status TakeInfo(const OpenReply& reply, int blocksFd);
    Status Receive(Packet& packet, const Deadline& deadline);
    Status End(Ending ending);

    std::unique_ptr<WorkerProcess> worker_;
    DecodeLimits limits_;
    SandboxSettings settings_;
    PictureInfo info_;
    std::vector<FrameDimension> dimensions_;
    float xdpi_ = 96.0f;
    float ydpi_ = 96.0f;
    // Set once the worker is gone: every later call fails the same way.
    std::optional<Status> failed_;
    bool needsFullWorker_ = false;
};

Status SandboxedSource::End(Ending ending) {
    const WorkerFailure failure = worker_->Stop(ending, settings_.timeLimitMs);
    NoteWorkerFailure(failure);
    failed_ = StatusFor(failure);
    return *failed_;
}

Status SandboxedSource::Receive(Packet& packet, const Deadline& deadline) {
    switch (ReceivePacket(worker_->socket(), packet, deadline.RemainingMs())) {
    case Received::Ok: return Status::Ok;
    case Received::TimedOut: return End(Ending::TimedOut);
    case Received::Closed:
    case Received::Failed: break;
    }
    return End(Ending::SocketClosed);
}

Status SandboxedSource::Open() {
    const Deadline deadline(settings_.timeLimitMs);
    Packet packet;
    if (Status s = Receive(packet, deadline); s != Status::Ok) return s;
    OpenReply reply;
    if (!Decode(packet, MessageType::OpenReply, reply)) return End(Ending::Broken);
    if (reply.status == kNeedsFullWorker) {
        needsFullWorker_ = true;
        return Status::Aborted;
    }
    if (const Status s = ToStatus(reply.status); s != Status::Ok) return s;
    if (reply.dimensionCount == 0 || reply.dimensionCount > kMaxDimensions) return End(Ending::Broken);
    for (std::uint32_t i = 0; i < reply.dimensionCount; ++i)
        dimensions_.push_back(FrameDimension{reply.dimensions[i], reply.frameCounts[i]});
    xdpi_ = Resolution(reply.xdpi);
    ydpi_ = Resolution(reply.ydpi);
    return TakeInfo(reply, packet.fd.get());
}

Status SandboxedSource::TakeInfo(const OpenReply& reply, int blocksFd) {
    const std::uint64_t sizes[] = {reply.iccBytes, reply.exifBytes, reply.xmpBytes, reply.iptcBytes};
    std::uint64_t total = 0;
    for (std::uint64_t size : sizes) {
        if (size > kMaxInfoBytes - total) return End(Ending::Broken);
        total += size;
    }
    std::vector<std::uint8_t>* blocks[] = {&info_.iccProfile, &info_.exif, &info_.xmp, &info_.iptc};
    std::uint64_t offset = 0;
    for (int i = 0; i < 4; ++i) {
        if (sizes[i] == 0) continue;
        blocks[i]->resize(static_cast<std::size_t>(sizes[i]));
        if (blocksFd < 0 || !ReadExactly(blocksFd, blocks[i]->data(), blocks[i]->size(), offset))
            return End(Ending::Broken);
        offset += sizes[i];
    }
    info_.profileApplied = reply.profileApplied != 0;
    return Status::Ok;
}

Status SandboxedSource::FrameSize(const GUID& dimension, std::uint32_t index, int& width, int& height) {
    width = height = 0;
    if (failed_) return *failed_;
    const Deadline deadline(settings_.timeLimitMs);
    if (!Send(worker_->socket(), Ask(RequestKind::FrameSize, dimension, index, 0, 0))) return End(Ending::SocketClosed);
    Packet packet;
    if (Status s = Receive(packet, deadline); s != Status::Ok) return s;
    FrameSizeReply reply;
    if (!Decode(packet, MessageType::FrameSizeReply, reply)) return End(Ending::Broken);
    const Status status = ToStatus(reply.status);
    if (status != Status::Ok) return status;
    if (reply.width <= 0 || reply.height <= 0 || reply.width > limits_.maxSide || reply.height > limits_.maxSide)
        return End(Ending::Broken);
    width = reply.width;
    height = reply.height;
    return Status::Ok;
}

Status SandboxedSource::Whole(RequestKind kind, const GUID& dimension, std::uint32_t index, int minWidth,
                              int minHeight, PixelBuffer& out) {
    out.Reset();
    FrameCollector collector;
    const Status status = Stream(Ask(kind, dimension, index, minWidth, minHeight), collector);
    if (status == Status::Ok) out = std::move(collector.frame());
    return status;
}

bool SandboxedSource::ValidBegin(const Begin& b) const {
    if (b.width <= 0 || b.height <= 0 || b.width > limits_.maxSide || b.height > limits_.maxSide) return false;
    if (std::int64_t{b.width} * b.height > limits_.maxPixels) return false;
    if (b.layout != static_cast<std::uint32_t>(PixelLayout::Rgb8) &&
        b.layout != static_cast<std::uint32_t>(PixelLayout::Rgba8))
        return false;
    const std::uint64_t rowBytes =
        static_cast<std::uint64_t>(b.width) * BytesPerPixel(static_cast<PixelLayout>(b.layout));
    return b.slotCount >= 1 && b.slotCount <= kMaxSlots && b.slotBytes >= rowBytes &&
           b.slotBytes <= kMaxRingBytes / b.slotCount;
}

Status SandboxedSource::Stream(const Request& request, RowSink& sink) {
    if (failed_) return *failed_;
    const Deadline deadline(settings_.timeLimitMs);
    if (!Send(worker_->socket(), request)) return End(Ending::SocketClosed);
    Packet packet;
    if (Status s = Receive(packet, deadline); s != Status::Ok) return s;
    MessageType type{};
    if (!PeekType(packet, type)) return End(Ending::Broken);
    if (type == MessageType::Done) {
        // Refused before the first row; success without rows is no answer.
        Done done;
        if (!Decode(packet, MessageType::Done, done) || ToStatus(done.status) == Status::Ok) return End(Ending::Broken);
        return ToStatus(done.status);
    }
    Begin begin;
    if (!Decode(packet, MessageType::Begin, begin) || !ValidBegin(begin) || !packet.fd.valid())
        return End(Ending::Broken);
    const UniqueFd ring = std::move(packet.fd);
    return Bands(begin, ring.get(), deadline, sink);
}

Status SandboxedSource::Bands(const Begin& begin, int ringFd, const Deadline& deadline, RowSink& sink) {
    const std::uint64_t ringBytes = begin.slotBytes * begin.slotCount;
    Mapping ring;
    if (!IsSealedWithAtLeast(ringFd, ringBytes) || !ring.Map(ringFd, ringBytes, false)) return End(Ending::Broken);
    const auto layout = static_cast<PixelLayout>(begin.layout);
    const std::size_t rowBytes = static_cast<std::size_t>(begin.width) * BytesPerPixel(layout);
    // A sink that stops still lets the worker finish, so that it stays in
    // step for the next frame.
    bool wanted = sink.Begin(begin.width, begin.height, layout);
    int nextY = 0;
    for (;;) {
        Packet packet;
        if (Status s = Receive(packet, deadline); s != Status::Ok) return s;
        MessageType type{};
        if (!PeekType(packet, type) || packet.fd.valid()) return End(Ending::Broken);
        if (type == MessageType::Done) {
            Done done;
            if (!Decode(packet, MessageType::Done, done)) return End(Ending::Broken);
            const Status status = ToStatus(done.status);
            if (status == Status::Ok && nextY != begin.height) return End(Ending::Broken);
            return status == Status::Ok && !wanted ? Status::Aborted : status;
        }
        Band band;
        if (!Decode(packet, MessageType::Band, band) || band.slot >= begin.slotCount || band.y != nextY ||
            band.count <= 0 || band.count > begin.height - band.y ||
            static_cast<std::uint64_t>(band.count) * rowBytes > begin.slotBytes)
            return End(Ending::Broken);
        if (wanted) wanted = sink.Rows(band.y, band.count, ring.data() + band.slot * begin.slotBytes, rowBytes);
        nextY += band.count;
        Ack ack;
        ack.slot = band.slot;
        if (!Send(worker_->socket(), ack)) return End(Ending::SocketClosed);
    }
}

// The picture, opened here with our rights, as the worker will read it.
Status OpenPicture(const QString& path, UniqueFd& picture) {
    picture.Reset(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!picture.valid()) return Status::FileNotFound;
    struct stat info {};
    if (::fstat(picture.get(), &info) != 0) return Status::FileNotFound;
    if (S_ISDIR(info.st_mode)) return Status::FileNotFound;
    if (!S_ISREG(info.st_mode)) return Status::UnknownImageFormat;
    ::fcntl(picture.get(), F_SETFL, ::fcntl(picture.get(), F_GETFL) & ~O_NONBLOCK);
    return Status::Ok;
}

// A worker of `kind` that has the picture: a waiting one when one is kept
// (or a new one, should that one have gone meanwhile), else a new one.
std::unique_ptr<WorkerProcess> WorkerFor(WorkerKind kind, int picture, const WorkerArguments& arguments) {
    const QString program = FindWorkerProgram(kind);
    if (program.isEmpty()) return nullptr;
    if (auto spare = TakeSpareWorker(program); spare && spare->Hand(picture, arguments)) return spare;
    auto worker = std::make_unique<WorkerProcess>();
    return worker->Start(program, picture, arguments) ? std::move(worker) : nullptr;
}

Status OpenIn(WorkerKind kind, int picture, const DecodeLimits& limits, const SandboxSettings& settings,
              std::unique_ptr<SandboxedSource>& source) {
    std::unique_ptr<WorkerProcess> worker = WorkerFor(kind, picture, WorkerArguments{limits, WorkerCount()});
    if (!worker) {
        const WorkerFailure failure{WorkerFailureKind::NotStarted};
        NoteWorkerFailure(failure);
        return StatusFor(failure);
    }
    source = std::make_unique<SandboxedSource>(std::move(worker), limits, settings);
    return source->Open();
}

}  // namespace

SandboxSettings DefaultSandboxSettings() {
    SandboxSettings settings;
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("TESS_DECODER_TIME_LIMIT_MS", &ok);
    if (ok && ms > 0) settings.timeLimitMs = ms;
    return settings;
}

Status OpenSandboxedPictureSource(const QString& path, const DecodeLimits& limits,
                                  std::unique_ptr<PictureSource>& source, const SandboxSettings& settings) {
    source.reset();
    UniqueFd picture;
    if (Status s = OpenPicture(path, picture); s != Status::Ok) return s;
    std::unique_ptr<SandboxedSource> sandboxed;
    // A full worker waiting already was started for this picture, which the
    // light one would only hand on (cli/launcher/worker_choice.h); it reads
    // every picture, so a wrong guess costs nothing but its start.
    const QString full = FindWorkerProgram(WorkerKind::Full);
    const bool fullWaiting = full != FindWorkerProgram(WorkerKind::Light) && SpareWorkerWaiting(full);
    const WorkerKind first = fullWaiting ? WorkerKind::Full : WorkerKind::Light;
    Status status = OpenIn(first, picture.get(), limits, settings, sandboxed);
    if (status != Status::Ok && sandboxed && sandboxed->needsFullWorker()) {
        sandboxed.reset();
        status = OpenIn(WorkerKind::Full, picture.get(), limits, settings, sandboxed);
    }
    if (status == Status::Ok) source = std::move(sandboxed);
    return status;
}

}  // namespace imaging
