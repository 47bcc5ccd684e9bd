#pragma once
// A C stream that closes itself.

#include <cstdio>
#include <memory>

namespace imaging {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace imaging
