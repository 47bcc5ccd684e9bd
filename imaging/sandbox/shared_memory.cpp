#include "imaging/sandbox/shared_memory.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>

namespace imaging::sandbox {

UniqueFd CreateSealedMemory(std::size_t bytes, const char* name) {
    UniqueFd fd(::memfd_create(name, MFD_CLOEXEC | MFD_ALLOW_SEALING));
    if (!fd.valid()) return {};
    if (::ftruncate(fd.get(), static_cast<off_t>(bytes)) != 0 ||
        ::fcntl(fd.get(), F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL) != 0)
        return {};
    return fd;
}

bool IsSealedWithAtLeast(int fd, std::uint64_t bytes) {
    const int seals = ::fcntl(fd, F_GET_SEALS);
    if (seals < 0 || !(seals & F_SEAL_SHRINK)) return false;
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) >= bytes;
}

Mapping::Mapping(Mapping&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

Mapping& Mapping::operator=(Mapping&& other) noexcept {
    if (this != &other) {
        Unmap();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

Mapping::~Mapping() { Unmap(); }

bool Mapping::Map(int fd, std::size_t bytes, bool writable) {
    Unmap();
    if (bytes == 0) return false;
    // Every page is set up in this one call: faulting them in one by one
    // costs several times as much, and the whole block is always used.
    void* p = ::mmap(nullptr, bytes, writable ? PROT_READ | PROT_WRITE : PROT_READ, MAP_SHARED | MAP_POPULATE, fd, 0);
    if (p == MAP_FAILED) return false;
    data_ = static_cast<std::uint8_t*>(p);
    size_ = bytes;
    return true;
}

void Mapping::Unmap() {
    if (data_) ::munmap(data_, size_);
    data_ = nullptr;
    size_ = 0;
}

bool ReadExactly(int fd, void* into, std::size_t bytes, std::uint64_t offset) {
    auto* out = static_cast<std::uint8_t*>(into);
    while (bytes > 0) {
        const ssize_t got = ::pread(fd, out, bytes, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        out += got;
        bytes -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

}  // namespace imaging::sandbox
