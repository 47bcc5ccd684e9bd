#include "app/home_folder.h"

#include "app/file_paths.h"

QString HomeFolderFor(const QString& executablePath, const std::function<bool(const QString&)>& exists) {
    const qsizetype last = LastSeparator(executablePath);
    const QString executableFolder = last < 0 ? executablePath : executablePath.left(last);
    const qsizetype parentEnd = LastSeparator(executableFolder);
    if (parentEnd < 0) return executableFolder;
    const QString parent = executableFolder.left(parentEnd);
    // Keep the style of separator the path uses.
    const QChar sep = executablePath.at(last);
    const QString marker = parent + sep + QStringLiteral("language") + sep + QStringLiteral("English.ini");
    return exists(marker) ? parent : executableFolder;
}

QString GetHomeFolder() {
    return HomeFolderFor(ExecutablePath(), [](const QString& path) { return FileExists(ResolveNameIgnoringCase(path)); });
}
