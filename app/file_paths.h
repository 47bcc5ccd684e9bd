#pragma once
// Path helpers shared by the whole program. Both '/' and '\' count as
// separators, so Windows-style paths behave as on their home platform; paths
// the program builds itself use '/'.

#include <QString>

// True when a file (not a folder) of that name can be opened for reading.
bool FileExists(const QString& path);

// The path up to and including its last separator, or empty.
QString GetFolderOfPath(const QString& path);

// Index of the last '/' or '\', or -1.
qsizetype LastSeparator(const QString& path);

// The path with its last component matched without regard to letter case
// against the entries of its folder (exact match first); the path unchanged
// when nothing matches. Only the last component is searched.
QString ResolveNameIgnoringCase(const QString& path);

// The real path of the running executable.
QString ExecutablePath();
