#pragma once
// Memory for whole pictures. A fresh page costs a fault on first touch,
// and on a virtual machine a fault is dear: a 24 MP frame in 4 KiB pages
// takes some eighteen thousand of them. Large blocks are therefore aligned
// to 2 MiB and offered to the kernel for transparent huge pages, which
// takes one fault per 2 MiB where the kernel agrees (it may decline; the
// memory is the same either way).

#include <cstddef>
#include <cstdint>
#include <memory>

namespace imaging {

// At least `bytes` bytes aligned to 64, or null; free with std::free.
void* AllocateLarge(std::size_t bytes);

struct LargeBlockDeleter {
    void operator()(std::uint8_t* p) const;
};
using LargeBlock = std::unique_ptr<std::uint8_t[], LargeBlockDeleter>;

// The same, owned; uninitialised, unlike a vector's bytes.
LargeBlock AllocateLargeBlock(std::size_t bytes);

}  // namespace imaging
