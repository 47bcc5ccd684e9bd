#pragma once
// Landlock: from here on this process reads only the picture and the
// folders given, and writes, creates or runs nothing anywhere.

#include <string>
#include <vector>

namespace tessaline_decoder {

enum class LandlockResult { Enforced, Unavailable, Failed };

// `pictureFd` is readable; each existing folder (or file) of `readable` is
// readable with everything beneath it.
LandlockResult RestrictFiles(int pictureFd, const std::vector<std::string>& readable);

}  // namespace tessaline_decoder
