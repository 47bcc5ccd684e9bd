// The imaging work of Open Photo and Convert runs on a worker thread so the
// window keeps painting while it lasts. The handler that starts it waits for
// it, with the user's input held back, so to the user (and to the rest of
// the dialog) the handler still runs from start to end in one go. While the
// worker runs, only it touches the imaging objects: the user-interface
// thread paints from the prepared preview and the progress bar.

#include "dialog/tessaline_dlg.h"

#include "dialog/background_run.h"
#include "dialog/photo_load.h"
#include "dialog/progress_bar.h"
#include "platform/wait_cursor.h"
#include "resources/resource_ids.h"

#include <QWidget>

void CTessalineDlg::runEngine(const std::function<void()>& work) {
    QWidget* preview = GetDlgItem(IDC_STATIC_PREVIEW);
    engineBusy_ = true;
    RunOffUserInterfaceThread(work, [this, preview](int step) {
        progressStep_ = step;
        if (preview) preview->update(ProgressBarStrip(preview->rect()));
    });
    engineBusy_ = false;
    if (progressStep_) {
        progressStep_.reset();
        if (preview) preview->update();
    }
}

// The old picture is released first, so two large pictures are never held
// at once; the preview keeps showing the old one until the new one is ready,
// or until a first look at a large photo, decoded at the preview's size,
// shows while the whole frame decodes. A file that cannot be read still
// becomes the loaded picture, one whose sizes read 0.
void CTessalineDlg::loadPicture() {
    m_loadedPicture.reset();
    const QString path = m_photoPath;
    QWidget* previewWidget = GetDlgItem(IDC_STATIC_PREVIEW);
    const QSize previewSize = previewWidget ? previewWidget->size() : QSize();
    LoadedPhoto loaded;
    {
        const WaitCursor waitCursor;
        runEngine([&] {
            loaded = LoadPhotoWithPreview(path, previewSize, [this, previewWidget](const QImage& look) {
                CallOnUserInterfaceThread([this, previewWidget, &look] {
                    previewImage_ = look;
                    if (previewWidget) previewWidget->update();
                });
            });
        });
    }
    m_loadedPicture = std::move(loaded.picture);
    previewImage_ = std::move(loaded.preview);
    if (previewWidget) previewWidget->update();
}
