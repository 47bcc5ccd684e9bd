#include "dialog/links.h"

#include "app/file_paths.h"

QString HelpTopicPath(const QString& executablePath) {
    return GetFolderOfPath(executablePath) + QStringLiteral("help/Introduction.htm");
}
