#pragma once
// A fixture for language tests: fresh settings, scripted platform services
// (so message boxes are recorded, not shown) and an empty home folder with
// a language folder to put files into.

#include "tests/support/scripted_platform_services.h"
#include "tests/support/test_environment.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        FreshSettings();
        SetServices(&services);
        home = MakeTempFolder();
        QDir(home).mkdir(QStringLiteral("language"));
    }
    void TearDown() override { SetServices(nullptr); }

    // Writes home/language/<fileName> with exactly these bytes.
    void writeFile(const QString& fileName, const QByteArray& bytes) const {
        QFile file(home + QStringLiteral("/language/") + fileName);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    // UTF-16 little-endian bytes with a byte-order mark.
    static QByteArray utf16le(const QString& text) {
        QByteArray bytes("\xFF\xFE", 2);
        for (const QChar c : text) {
            bytes.append(static_cast<char>(c.unicode() & 0xFF));
            bytes.append(static_cast<char>(c.unicode() >> 8));
        }
        return bytes;
    }

    ScriptedPlatformServices services;
    QString home;
};

inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }
