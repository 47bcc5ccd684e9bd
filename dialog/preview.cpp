// The preview: the loaded picture's active frame stretched over the whole
// preview rectangle (its aspect ratio is not kept). The frame is scaled to
// the preview's size once per frame change, so painting is a plain copy.
// While imaging work runs on the worker thread, painting touches no picture
// (the worker may be using it): it shows the prepared preview, and the
// progress bar once the run has lasted a moment.

#include "dialog/tessaline_dlg.h"

#include "dialog/photo_load.h"
#include "dialog/progress_bar.h"
#include "resources/resource_ids.h"

#include <QPainter>
#include <QWidget>

QImage CTessalineDlg::renderPreview(imaging::GpImage* picture, QSize size) { return RenderPreview(picture, size); }

void CTessalineDlg::RefreshPreview() {
    previewImage_ = QImage();
    QWidget* preview = GetDlgItem(IDC_STATIC_PREVIEW);
    if (!m_loadedPicture || !preview) return;
    previewImage_ = renderPreview(m_loadedPicture.get(), preview->size());
    preview->update();
}

void CTessalineDlg::OnPaint() {
    PaintContext* paint = CurrentPaint();
    if (!paint || !paint->painter || paint->clientRect.isEmpty()) return;
    paintPreview(*paint);
    if (!progressStep_) return;
    if (!paint->painted) paint->painter->fillRect(paint->clientRect, Qt::black);
    PaintProgressBar(*paint->painter, paint->clientRect, *progressStep_);
    paint->painted = true;
}

void CTessalineDlg::paintPreview(PaintContext& paint) {
    const bool prepared = !previewImage_.isNull() && previewImage_.size() == paint.clientRect.size();
    if (prepared && (m_loadedPicture || engineBusy_)) {
        paint.painter->drawImage(paint.clientRect.topLeft(), previewImage_);
        paint.painted = true;
        return;
    }
    if (!m_loadedPicture || engineBusy_) return;
    // No prepared preview (or the preview changed size): draw the frame
    // directly, stretched into the rectangle. A drawing failure is ignored.
    std::unique_ptr<imaging::GpGraphics> graphics;
    if (imaging::GdipCreateFromPainter(paint.painter, graphics) != imaging::Status::Ok) return;
    const QRect& r = paint.clientRect;
    paint.painted = imaging::GdipDrawImageRectI(graphics.get(), m_loadedPicture.get(), r.left(), r.top(), r.width(),
                                                r.height()) == imaging::Status::Ok;
}
