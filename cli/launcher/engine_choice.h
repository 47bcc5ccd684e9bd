#pragma once
// Which converter the launcher execs. The converter comes as two programs:
// one that draws text, with Qt's GUI side and the font and display
// libraries it loads, and one without any of that, which starts faster.
// A command line is run by the one without text unless it asks for text;
// that one hands a line with text it is given anyway on to the other.

#include <string>

namespace launcher {

inline constexpr const char* kConverterName = "tessaline-convert-engine";
inline constexpr const char* kTextConverterName = "tessaline-convert-engine-text";

// Whether the command line asks for text: "--text" with a value that is not
// empty, where an option stands (not as another option's value, nor after
// "--"). An empty text is no text, as the converter reads it.
bool AsksForText(int argc, const char* const* argv);

// The name of the converter for the command line.
inline const char* ConverterFor(int argc, const char* const* argv) {
    return AsksForText(argc, argv) ? kTextConverterName : kConverterName;
}

// The converter `name` beside this program; empty, with the reason on
// standard error, when it is missing.
std::string ConverterBeside(const char* name);

// Replaces this process with the converter at `path`, passing `argv` on.
// Returns only when it cannot be started, with the reason on standard
// error: the exit status to end with.
int RunConverter(const std::string& path, char** argv);

}  // namespace launcher
