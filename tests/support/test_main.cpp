// One QApplication for the whole test run, offscreen, with its own settings
// location. Must be set up before anything reads QSettings.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tessaline"));
    QApplication::setOrganizationName(QStringLiteral("KORVANE"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
