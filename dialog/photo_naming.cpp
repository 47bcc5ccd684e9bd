// Naming rules for the output file; see photo_naming.h.

#include "dialog/photo_naming.h"

#include "app/file_paths.h"

namespace {

// A colon after a drive letter ("C:name") ends the folder part as a
// separator does. Colons elsewhere are ordinary characters of a name here.
qsizetype NameStart(const QString& path) {
    qsizetype start = LastSeparator(path) + 1;
    if (start == 0 && path.size() >= 2 && path.at(1) == u':' && path.at(0).isLetter()) start = 2;
    return start;
}

}  // namespace

std::optional<QString> GetFileNameOfPath(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    // Names such as "http:..." or "file:..." carry no folder to strip.
    if ((path.size() > 3 && path.at(3) == u':') || (path.size() > 4 && path.at(4) == u':')) return path;
    return path.mid(NameStart(path));
}

QString CutAtLastDot(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QString ProposedOutputPath(const QString& outputFolder, const QString& photoPath) {
    const QString stem = CutAtLastDot(GetFileNameOfPath(photoPath).value_or(QString()));
    return outputFolder + stem + QStringLiteral("_out.jpg");
}

QString BrowseInitialFolder(const QString& outputFilePath) {
    const qsizetype separator = LastSeparator(outputFilePath);
    if (separator < 0) return QStringLiteral(".");
    // "/name.jpg" lives in the root folder, which cutting would leave empty.
    if (separator == 0) return outputFilePath.left(1);
    return outputFilePath.left(separator);
}

QString BrowsedOutputPath(const QString& chosenPath) {
    const qsizetype nameStart = LastSeparator(chosenPath) + 1;
    const qsizetype dot = chosenPath.lastIndexOf(u'.');
    const QString withoutExtension = dot >= nameStart ? chosenPath.left(dot) : chosenPath;
    return withoutExtension + QStringLiteral(".jpg");
}
