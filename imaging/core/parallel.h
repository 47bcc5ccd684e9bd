#pragma once
// Splits a range of rows over the machine's cores. Work is handed out in
// blocks from a shared counter, so a core that is busy with something else
// simply takes fewer blocks.

#include <functional>

namespace imaging {

// Calls body(begin, end) for consecutive blocks covering [0, count), on up
// to WorkerCount() threads (the caller's thread is one of them). Returns
// when every block is done.
void ParallelFor(int count, int blockSize, const std::function<void(int, int)>& body);
// The same on up to `threads` threads, whatever the worker limit: for work
// that sets the limit for what runs inside each of its blocks.
void ParallelFor(int count, int blockSize, int threads, const std::function<void(int, int)>& body);

// The number of threads ParallelFor uses: the cores available, unless a
// limit was set.
int WorkerCount();
// 0 restores the default.
void SetWorkerLimit(int limit);

}  // namespace imaging
