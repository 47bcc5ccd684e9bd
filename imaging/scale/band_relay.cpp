// The two-thread hand-over of decoded bands (see band_relay.h).
#include "imaging/scale/band_relay.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace imaging {

BandRelay::BandRelay(RowSink& target, int depth)
    : target_(target), depth_(static_cast<std::size_t>(std::max(1, depth))) {}

BandRelay::~BandRelay() { Stop(); }

bool BandRelay::Begin(int width, int height, PixelLayout layout) {
    if (!target_.Begin(width, height, layout)) return false;
    rowBytes_ = static_cast<std::size_t>(width) * static_cast<std::size_t>(BytesPerPixel(layout));
    // A thread that cannot be started leaves the bands to go straight
    // through on the caller's thread.
    try {
        worker_ = std::thread([this] { Work(); });
    } catch (const std::system_error&) {
    }
    return true;
}

bool BandRelay::Rows(int y, int count, const std::uint8_t* data, std::size_t stride) {
    if (count <= 0 || !data) return false;
    const std::size_t bytes = rowBytes_ * static_cast<std::size_t>(count);
    std::unique_lock lock(mutex_);
    if (refused_) return false;
    if (!worker_.joinable() || bytes > kDirectBytes) {
        // In order: everything queued goes first.
        WaitUntilDrained(lock);
        if (refused_) return false;
        lock.unlock();
        const bool taken = target_.Rows(y, count, data, stride);
        lock.lock();
        refused_ = refused_ || !taken;
        return taken;
    }
    changed_.wait(lock, [this] { return queued_.size() < depth_ || refused_; });
    if (refused_) return false;
    Band band;
    band.y = y;
    band.count = count;
    if (!spare_.empty()) {
        band.bytes = std::move(spare_.back());
        spare_.pop_back();
    }
    lock.unlock();
    band.bytes.resize(bytes);
    for (int i = 0; i < count; ++i)
        std::memcpy(band.bytes.data() + rowBytes_ * static_cast<std::size_t>(i), data + stride * static_cast<std::size_t>(i),
                    rowBytes_);
    lock.lock();
    queued_.push_back(std::move(band));
    changed_.notify_all();
    return true;
}

void BandRelay::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !queued_.empty() || closing_; });
        if (queued_.empty()) return;  // closing, and nothing left
        Band band = std::move(queued_.front());
        queued_.pop_front();
        busy_ = true;
        changed_.notify_all();
        bool taken = false;
        if (!refused_) {
            lock.unlock();
            taken = target_.Rows(band.y, band.count, band.bytes.data(), rowBytes_);
            lock.lock();
        }
        refused_ = refused_ || !taken;
        busy_ = false;
        spare_.push_back(std::move(band.bytes));
        changed_.notify_all();
    }
}

void BandRelay::WaitUntilDrained(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [this] { return (queued_.empty() && !busy_) || !worker_.joinable(); });
}

void BandRelay::Stop() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
}

bool BandRelay::Finish() {
    Stop();
    std::lock_guard lock(mutex_);
    return !refused_ && queued_.empty();
}

}  // namespace imaging
