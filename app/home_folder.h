#pragma once
// The home folder: where the program looks for its `language` folder. A
// program started from a build folder whose parent holds the language files
// uses the parent; an installed program with its own `language` folder uses
// its own folder.

#include <QString>

#include <functional>

// For an executable path; `exists` tells whether a file can be read.
QString HomeFolderFor(const QString& executablePath, const std::function<bool(const QString&)>& exists);
// For the running executable.
QString GetHomeFolder();
