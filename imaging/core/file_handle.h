#pragma once
// A C stream that closes itself, and the way decoders open their pictures.

#include <cstddef>
#include <cstdio>
#include <memory>

namespace imaging {

// Closes the stream, then lets go of the buffer it was given, if any.
struct FileCloser {
    std::unique_ptr<char[]> buffer;
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Decoders ask for a few kilobytes at a time (libjpeg 4 KiB); a buffer of
// this size behind the stream reads a large picture in hundreds of calls
// instead of thousands.
constexpr std::size_t kReadBufferBytes = 64 * 1024;

// `path` opened for reading through such a buffer; null when it cannot be.
inline FileHandle OpenForReading(const char* path) {
    FileHandle file(std::fopen(path, "rb"));
    if (!file) return file;
    file.get_deleter().buffer = std::make_unique_for_overwrite<char[]>(kReadBufferBytes);
    std::setvbuf(file.get(), file.get_deleter().buffer.get(), _IOFBF, kReadBufferBytes);
    return file;
}

}  // namespace imaging
