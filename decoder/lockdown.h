#pragma once
// The worker's confinement, applied before it reads a byte of the picture:
// no new privileges, resource limits, Landlock (where the kernel has it)
// and the system-call filter.

#include "imaging/core/picture_source.h"

#include <string>
#include <vector>

namespace tessaline_decoder {

struct LockdownReport {
    bool landlock = false;  // false: the kernel has no Landlock
};

// The folders a decoder of this kind may still read: fonts and their
// configuration when text is drawn, Qt's plugins and the system libraries
// behind them for Qt's readers. Empty for the rest.
std::vector<std::string> ReadableFolders(bool fonts, bool qtReaders);

// False when a step failed: the worker must not decode then.
bool LockDown(int pictureFd, const imaging::DecodeLimits& limits, const std::vector<std::string>& readable,
              LockdownReport& report);

}  // namespace tessaline_decoder
