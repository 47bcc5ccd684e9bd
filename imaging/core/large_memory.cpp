#include "imaging/core/large_memory.h"

#include <sys/mman.h>

#include <cstdlib>
#include <limits>

namespace imaging {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this a block is not worth rounding up to whole huge pages.
constexpr std::size_t kHugeThreshold = kHugePage;

std::size_t RoundUp(std::size_t bytes, std::size_t unit) { return (bytes + unit - 1) / unit * unit; }

}  // namespace

void* AllocateLarge(std::size_t bytes) {
    if (bytes > std::numeric_limits<std::size_t>::max() - kHugePage) return nullptr;
    if (bytes < kHugeThreshold) return std::aligned_alloc(64, RoundUp(bytes == 0 ? 1 : bytes, 64));
    const std::size_t size = RoundUp(bytes, kHugePage);
    void* memory = std::aligned_alloc(kHugePage, size);
    // Advice only: without it (or where refused) the pages are ordinary.
    if (memory) (void)::madvise(memory, size, MADV_HUGEPAGE);
    return memory;
}

void LargeBlockDeleter::operator()(std::uint8_t* p) const { std::free(p); }

LargeBlock AllocateLargeBlock(std::size_t bytes) { return LargeBlock(static_cast<std::uint8_t*>(AllocateLarge(bytes))); }

}  // namespace imaging
