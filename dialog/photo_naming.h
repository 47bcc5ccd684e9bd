#pragma once
// The naming rules of the converter dialog: the file name of a path, the
// output name proposed when a photo is opened, and the name made from the
// save dialog's choice. Pure functions over path text; both '/' and '\'
// separate folders.

#include <QString>

#include <optional>

// The name part of a path, extension included: the text after the last
// '\', '/' or drive colon. A path whose fourth or fifth character is a
// colon is a name as a whole. Empty when the path is empty.
std::optional<QString> GetFileNameOfPath(const QString& path);

// The name cut at its last "." (the "." goes too); a name without "." is
// returned whole.
QString CutAtLastDot(const QString& name);

// The output file proposed for a newly opened photo: the output folder
// followed directly by the photo's name without extension and "_out.jpg".
QString ProposedOutputPath(const QString& outputFolder, const QString& photoPath);

// Where the save dialog starts: the output file path up to (not including)
// its last separator; "." when it has none.
QString BrowseInitialFolder(const QString& outputFilePath);

// The output file made from the save dialog's choice: the extension of its
// last component (never a "." in a folder name) replaced by ".jpg".
QString BrowsedOutputPath(const QString& chosenPath);
