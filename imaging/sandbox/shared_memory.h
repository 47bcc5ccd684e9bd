#pragma once
// Shared memory between the program and its worker: memfds the worker
// creates and seals against shrinking, so that the program's mapping can
// never lose pages under it (a shrunk file would raise SIGBUS in the
// program, not in the worker).

#include "imaging/sandbox/unique_fd.h"

#include <cstddef>
#include <cstdint>

namespace imaging::sandbox {

// A memfd of `bytes` bytes that can neither shrink nor grow. Invalid when
// the system refuses.
UniqueFd CreateSealedMemory(std::size_t bytes, const char* name);

// The memfd is sealed against shrinking and holds at least `bytes` bytes.
bool IsSealedWithAtLeast(int fd, std::uint64_t bytes);

class Mapping {
public:
    Mapping() = default;
    Mapping(Mapping&& other) noexcept;
    Mapping& operator=(Mapping&& other) noexcept;
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;
    ~Mapping();

    // Maps the first `bytes` bytes of `fd`, shared; false on failure.
    bool Map(int fd, std::size_t bytes, bool writable);
    std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    void Unmap();
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

// Reads exactly `bytes` bytes at `offset`; false on a short read.
bool ReadExactly(int fd, void* into, std::size_t bytes, std::uint64_t offset);

}  // namespace imaging::sandbox
