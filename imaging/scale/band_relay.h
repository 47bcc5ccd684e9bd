#pragma once
// A sink that hands the bands a decoder delivers to a thread of its own,
// which passes them on to the sink behind it: decoding and what that sink
// does with the rows (scaling them) run side by side on two cores. The
// decoder only waits when the queue holds `depth` bands the other thread
// has not taken yet, so memory stays at a few bands whatever the picture's
// size. It works the same whoever calls it: a decoder in this process, or
// one that reads bands from a worker process.

#include "imaging/core/picture_source.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace imaging {

class BandRelay final : public RowSink {
public:
    explicit BandRelay(RowSink& target, int depth = 4);
    ~BandRelay() override;
    BandRelay(const BandRelay&) = delete;
    BandRelay& operator=(const BandRelay&) = delete;

    // Passed to the target on the caller's thread; the relay thread starts
    // once the target took it.
    bool Begin(int width, int height, PixelLayout layout) override;
    // Copies the band into the queue. A band larger than kDirectBytes (a
    // decoder that delivers its frame whole) is handed over on the caller's
    // thread once the queue is empty instead of being copied. False once
    // the target refused a band.
    bool Rows(int y, int count, const std::uint8_t* data, std::size_t stride) override;
    // Waits until the target has taken every queued band and stops the
    // thread; false when the target refused one.
    bool Finish();

    static constexpr std::size_t kDirectBytes = std::size_t{8} << 20;

private:
    struct Band {
        int y = 0;
        int count = 0;
        std::vector<std::uint8_t> bytes;  // rows rowBytes_ apart
    };

    void Work();
    void WaitUntilDrained(std::unique_lock<std::mutex>& lock);
    void Stop();

    RowSink& target_;
    const std::size_t depth_;
    std::size_t rowBytes_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Band> queued_;
    std::vector<std::vector<std::uint8_t>> spare_;  // buffers to reuse
    bool busy_ = false;      // the thread is passing a band on
    bool closing_ = false;
    bool refused_ = false;
    std::thread worker_;     // not joinable: bands go straight through
};

}  // namespace imaging
