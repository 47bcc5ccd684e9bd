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

// The size the other side takes when only one is given, keeping the
// picture's aspect ratio: other * (given / pictureGiven), truncated.
std::int32_t KeepAspect(std::int32_t given, std::uint32_t pictureGiven, std::uint32_t pictureOther);

FileConversion ConvertOneFile(const CliOptions& options, const QString& input);
