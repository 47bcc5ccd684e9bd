// Row splitting over the cores, with short-lived helper threads: a
// conversion makes a handful of parallel passes, so starting two threads per
// pass costs far less than the pass itself.
#include "imaging/core/parallel.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace imaging {

namespace {

std::atomic<int> g_workerLimit{0};

// The cores this process may run on, asked once: the library reads them
// from /sys on every call, and passes ask for every band.
int Cores() {
    static const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    return cores;
}

}  // namespace

int WorkerCount() {
    const int cores = Cores();
    const int limit = g_workerLimit.load(std::memory_order_relaxed);
    return limit > 0 ? std::min(limit, cores) : cores;
}

void SetWorkerLimit(int limit) { g_workerLimit.store(std::max(0, limit), std::memory_order_relaxed); }

void ParallelFor(int count, int blockSize, const std::function<void(int, int)>& body) {
    ParallelFor(count, blockSize, WorkerCount(), body);
}

void ParallelFor(int count, int blockSize, int maxThreads, const std::function<void(int, int)>& body) {
    if (count <= 0) return;
    blockSize = std::max(1, blockSize);
    const int blocks = (count + blockSize - 1) / blockSize;
    const int threads = std::min(maxThreads, blocks);
    if (threads <= 1) {
        body(0, count);
        return;
    }
    std::atomic<int> next{0};
    auto work = [&] {
        for (;;) {
            const int block = next.fetch_add(1, std::memory_order_relaxed);
            if (block >= blocks) return;
            const int begin = block * blockSize;
            body(begin, std::min(count, begin + blockSize));
        }
    };
    std::vector<std::jthread> helpers;
    helpers.reserve(static_cast<std::size_t>(threads - 1));
    for (int i = 1; i < threads; ++i) {
        // A thread that cannot be started leaves its share to the others.
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break;
        }
    }
    work();
}

}  // namespace imaging
