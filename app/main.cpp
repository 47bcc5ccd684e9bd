// Tessaline's entry point: the Qt application, named after the executable
// (the settings location uses that name), then the application object.

#include "app/file_paths.h"
#include "app/tessaline_app.h"
#include "resources/application_icon.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QFileInfo(ExecutablePath()).completeBaseName());
    QApplication::setOrganizationName(QStringLiteral("KORVANE"));
    QApplication::setWindowIcon(ApplicationIcon());
    CTessalineApp app;
    app.InitInstance();
    return 0;
}
