#include "tests/support/test_environment.h"

#include "app/profile_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace {
std::vector<std::unique_ptr<QTemporaryDir>>& tempFolders() {
    static std::vector<std::unique_ptr<QTemporaryDir>> folders;
    return folders;
}
}  // namespace

QString TestConfigHome() { return qEnvironmentVariable("XDG_CONFIG_HOME"); }

void FreshSettings() {
    ResetRegistryKey();
    QDir(TestConfigHome() + QStringLiteral("/KORVANE")).removeRecursively();
    SetRegistryKey(QStringLiteral("KORVANE"));
}

QString MakeTempFolder() {
    tempFolders().push_back(std::make_unique<QTemporaryDir>());
    return tempFolders().back()->path();
}

QString ReadSettingsFileText() {
    QFile file(ProfileFilePath());
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}
