#pragma once
// One input file's conversion for tessaline-convert: output naming, the
// size rules, the overlay position check, the pipeline, and the lines to
// print.

#include "cli/cli_options.h"

#include <QString>
#include <QStringList>

struct FileConversion {
    bool ok = false;
    QStringList out;  // for standard output
    QStringList err;  // for standard error
};

// Where `input` is written: the output itself, or NAME_out.jpg in it when it
// is a folder (or several inputs are given).
QString OutputPathFor(const CliOptions& options, const QString& input);

struct OutputSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};
// The output size for a picture of pictureWidth x pictureHeight: the sides
// given, the other side from the picture's aspect ratio when only one is
// given (imaging::ProportionalSize; 0 for a picture that measures 0), or
// the picture's own size when neither is.
OutputSize OutputSizeFor(const CliOptions& options, std::uint32_t pictureWidth, std::uint32_t pictureHeight);

FileConversion ConvertOneFile(const CliOptions& options, const QString& input);
