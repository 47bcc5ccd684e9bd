#include "cli/launcher/engine_choice.h"

#include "cli/launcher/option_words.h"
#include "imaging/sandbox/worker_start.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include <unistd.h>

namespace launcher {

bool AsksForText(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--") return false;
        if (a == "--text" && i + 1 < argc && argv[i + 1][0] != '\0') return true;
        if (OneOf(kWithValue, a)) ++i;
    }
    return false;
}

std::string ConverterBeside(const char* name) {
    const std::string path = imaging::sandbox::FindProgramBeside(imaging::sandbox::ExecutableFolder(), name);
    if (path.empty()) std::fprintf(stderr, "tessaline-convert: %s is missing beside this program\n", name);
    return path;
}

int RunConverter(const std::string& path, char** argv) {
    ::execv(path.c_str(), argv);
    std::fprintf(stderr, "tessaline-convert: cannot start %s: %s\n", path.c_str(), std::strerror(errno));
    return 127;
}

}  // namespace launcher
