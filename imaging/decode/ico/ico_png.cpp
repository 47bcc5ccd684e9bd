#include "imaging/decode/ico/ico_png.h"

#include "imaging/decode/png/png_reader.h"

#include <QString>

#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

namespace imaging::decode::ico {
namespace {

// An anonymous file in memory, closed (and so freed) with this object.
class MemoryFile {
public:
    MemoryFile() : fd_(memfd_create("icon-entry", MFD_CLOEXEC)) {}
    ~MemoryFile() {
        if (fd_ >= 0) close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    bool Write(const std::uint8_t* data, std::size_t size) {
        while (fd_ >= 0 && size > 0) {
            const ssize_t n = write(fd_, data, size);
            if (n <= 0) return false;
            data += n;
            size -= static_cast<std::size_t>(n);
        }
        return fd_ >= 0;
    }
    // A name that opens the same bytes afresh, from their start.
    QString Path() const { return QStringLiteral("/proc/self/fd/%1").arg(fd_); }

private:
    int fd_;
};

}  // namespace

bool IsPngEntry(const std::uint8_t* data, std::size_t available) {
    return available >= 8 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0;
}

Status MeasureIcoPng(const std::uint8_t* data, std::size_t available, int& width, int& height) {
    width = height = 0;
    if (!IsPngEntry(data, available) || available < 24 || std::memcmp(data + 12, "IHDR", 4) != 0)
        return Status::GenericError;
    const auto be32 = [](const std::uint8_t* p) {
        return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
    };
    const std::uint32_t w = be32(data + 16), h = be32(data + 20);
    if (w == 0 || h == 0 || w > 0x7FFFFFFF || h > 0x7FFFFFFF) return Status::GenericError;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return Status::Ok;
}

Status DecodeIcoPng(const std::uint8_t* data, std::size_t available, const DecodeLimits& limits,
                    PixelBuffer& out) {
    out.Reset();
    MemoryFile file;
    if (!file.Write(data, available)) return Status::OutOfMemory;
    PngReader reader;
    Status s = reader.Open(file.Path(), limits);
    if (s == Status::Ok) s = reader.ReadImage(out);
    if (s == Status::Ok) s = reader.Finish();
    if (s != Status::Ok) out.Reset();
    return s;
}

}  // namespace imaging::decode::ico
