#include "resources/application_icon.h"

#include <QFile>

// The icon lives in a static library's Qt resources, which have to be
// registered by hand before first use.
static void ensureResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)done;
}

QIcon ApplicationIcon() {
    ensureResources();
    QIcon icon(QStringLiteral(":/tessaline/tessaline.svg"));
    icon.addFile(QStringLiteral(":/tessaline/tessaline.png"));
    return icon;
}
