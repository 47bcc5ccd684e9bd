// tessaline-convert's command line: the input is split at zero bytes into
// arguments (UTF-8) and parsed. A refusal must say why; an accepted line
// must hold values inside the ranges the options allow.
#include "cli/cli_options.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QStringList arguments;
    for (const QByteArray& part : fuzz::Bytes(data, size).split('\0')) arguments << QString::fromUtf8(part);
    const CliParse parse = ParseCommandLine(arguments);
    if (!parse.options) {
        if (parse.error.isEmpty()) __builtin_trap();
        return 0;
    }
    const CliOptions& o = *parse.options;
    if (o.quality > 100) __builtin_trap();
    for (const auto& side : {o.width, o.height, o.fitWidth, o.fitHeight, o.longEdge})
        if (side && *side < 1) __builtin_trap();
    return 0;
}
