#pragma once
// Where every input of tessaline-convert is written, decided before the
// first conversion starts: -o as a file or a folder, the folder to create,
// and the refusals (two inputs onto one file, several inputs onto one file).

#include "cli/cli_options.h"

#include <QString>
#include <QStringList>

struct OutputPlan {
    QStringList outputs;    // one per input, in the inputs' order
    QString folderToCreate; // -o as a folder that does not exist yet
    QStringList warnings;   // things that go on
    QString error;          // a usage error; the rest is then empty
};

// Whether -o names a folder: an existing one, a name ending in "/", or any
// name when there are several inputs.
bool OutputIsFolder(const CliOptions& options);

OutputPlan PlanOutputs(const CliOptions& options);
