#pragma once
// One input file's conversion for tessaline-convert: output naming, the
// size rules, the overlay position check, the pipeline, and the lines to
// print.

#include "cli/cli_options.h"

#include <QString>
#include <QStringList>

#include <optional>

struct FileConversion {
    bool ok = false;
    QStringList out;  // for standard output
    QStringList err;  // for standard error
};

// Where `input` is written: the output itself, or NAME_out.jpg in it when it
// is a folder (see OutputIsFolder).
QString OutputPathFor(const CliOptions& options, const QString& input);

struct OutputSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};
// The output size for a picture of pictureWidth x pictureHeight: the sides
// given; the other side from the picture's aspect ratio when only one is
// given, or the largest size inside --fit's box or --long-edge's square
// (imaging::ProportionalSizeRounded, at least 1; 0 for a picture that
// measures 0); or the picture's own size. --shrink-only then keeps each
// side within the picture's.
OutputSize OutputSizeFor(const CliOptions& options, std::uint32_t pictureWidth, std::uint32_t pictureHeight);

// Why a size cannot be made (not above 0, or beyond the engine's pixel
// limit), in one line; empty for a usable size.
std::optional<QString> OutputSizeProblem(OutputSize size);

// Converts `input` into `output` (from PlanOutputs).
FileConversion ConvertOneFile(const CliOptions& options, const QString& input, const QString& output);
