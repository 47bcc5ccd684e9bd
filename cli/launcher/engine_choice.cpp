#include "cli/launcher/engine_choice.h"

#include "cli/launcher/option_words.h"

#include <string_view>

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

}  // namespace launcher
