// Photos that come from outside the Open Photo button: a file named on the
// command line and a file dropped on the window. Both are opened exactly as
// a file chosen with Open Photo, from the dialog's event loop: the file
// named at start-up once the window is up, a dropped file once the drop has
// been answered (the program it came from is not kept waiting for the load).

#include "dialog/tessaline_dlg.h"

#include "dialog/photo_drop.h"

#include <QFileInfo>
#include <QTimer>
#include <QWidget>

void CTessalineDlg::acceptPhotosFromOutside() {
    QWidget* window = Window();
    if (!window) return;
    dropTarget_ = std::make_unique<PhotoDropTarget>(*window, [this](const QString& path) { return OpenDroppedPhoto(path); });
    if (!photoToOpen_.isEmpty()) openPhotoLater(std::exchange(photoToOpen_, QString()));
}

bool CTessalineDlg::OpenDroppedPhoto(const QString& path) {
    // A load or a conversion is under way: the picture is in use.
    if (engineBusy_) return false;
    openPhotoLater(path);
    return true;
}

void CTessalineDlg::openPhotoLater(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QTimer::singleShot(0, Window(), [this, absolute] {
        if (!engineBusy_ && !IsEnded()) OpenPhotoFile(absolute);
    });
}
