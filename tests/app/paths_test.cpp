// The home folder and the path helpers.

#include "app/file_paths.h"
#include "app/home_folder.h"
#include "tests/support/test_environment.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <unistd.h>

namespace {
auto existsOnly(const QString& present) {
    return [present](const QString& path) { return path == present; };
}
}  // namespace

TEST(HomeFolder, ParentWithLanguageFilesIsTheHome) {
    EXPECT_EQ(HomeFolderFor(QStringLiteral("C:\\App\\bin\\prog.exe"), existsOnly(QStringLiteral("C:\\App\\language\\English.ini"))),
              QStringLiteral("C:\\App"));
    EXPECT_EQ(HomeFolderFor(QStringLiteral("/opt/app/build/tessaline"), existsOnly(QStringLiteral("/opt/app/language/English.ini"))),
              QStringLiteral("/opt/app"));
}

TEST(HomeFolder, WithoutThemTheExecutableFolderIsTheHome) {
    EXPECT_EQ(HomeFolderFor(QStringLiteral("C:\\App\\bin\\prog.exe"), existsOnly(QString())), QStringLiteral("C:\\App\\bin"));
    EXPECT_EQ(HomeFolderFor(QStringLiteral("/opt/app/build/tessaline"), existsOnly(QString())), QStringLiteral("/opt/app/build"));
}

TEST(HomeFolder, AnExecutableInARootFolder) {
    EXPECT_EQ(HomeFolderFor(QStringLiteral("C:\\prog.exe"), existsOnly(QString())), QStringLiteral("C:"));
    EXPECT_EQ(HomeFolderFor(QStringLiteral("/tessaline"), existsOnly(QString())), QString());
    EXPECT_EQ(HomeFolderFor(QStringLiteral("prog"), existsOnly(QString())), QStringLiteral("prog"));
}

TEST(FilePaths, FolderOfPathKeepsTheLastSeparator) {
    EXPECT_EQ(GetFolderOfPath(QStringLiteral("C:\\Photos\\holiday.png")), QStringLiteral("C:\\Photos\\"));
    EXPECT_EQ(GetFolderOfPath(QStringLiteral("/home/u/a.png")), QStringLiteral("/home/u/"));
    EXPECT_EQ(GetFolderOfPath(QStringLiteral("a.png")), QString());
}

TEST(FilePaths, FileExistsIsTrueOnlyForReadableFiles) {
    const QString folder = MakeTempFolder();
    const QString file = folder + QStringLiteral("/a.txt");
    EXPECT_FALSE(FileExists(file));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(folder));  // a folder is no file
    QFile::setPermissions(file, QFileDevice::WriteOwner);
    if (::geteuid() != 0) {
        EXPECT_FALSE(FileExists(file));  // root reads anything
    }
}

TEST(FilePaths, NamesResolveWithoutRegardToLetterCase) {
    const QString folder = MakeTempFolder();
    QFile f(folder + QStringLiteral("/English.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(ResolveNameIgnoringCase(folder + QStringLiteral("/english.ini")), folder + QStringLiteral("/English.ini"));
    EXPECT_EQ(ResolveNameIgnoringCase(folder + QStringLiteral("\\ENGLISH.INI")), folder + QStringLiteral("/English.ini"));
    EXPECT_EQ(ResolveNameIgnoringCase(folder + QStringLiteral("/German.ini")), folder + QStringLiteral("/German.ini"));
}
