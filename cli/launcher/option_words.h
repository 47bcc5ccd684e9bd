#pragma once
// The converter's options as the launcher reads them (cli/cli_options.cpp):
// those that take the next word as their value, and those that stand alone.

#include <array>
#include <cstddef>
#include <string_view>

namespace launcher {

inline constexpr std::array<std::string_view, 16> kWithValue = {
    "-o",     "--output", "--width", "--height", "--fit",       "--long-edge", "--quality", "--rotate",
    "--flip", "--frame",  "--text",  "--at",     "--font",      "--font-size", "--color",   "--jobs"};
inline constexpr std::array<std::string_view, 10> kAlone = {
    "--help",   "-h",      "--version",       "--shrink-only",    "--bold",
    "--italic", "--force", "--keep-location", "--strip-metadata", "--keep-profile"};

template <std::size_t N>
bool OneOf(const std::array<std::string_view, N>& words, std::string_view word) {
    for (std::string_view w : words)
        if (w == word) return true;
    return false;
}

}  // namespace launcher
