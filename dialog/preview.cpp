// The preview: the loaded picture's active frame stretched over the whole
// preview rectangle (its aspect ratio is not kept). The frame is scaled to
// the preview's size once per frame change, so painting is a plain copy.

#include "dialog/tessaline_dlg.h"

#include "resources/resource_ids.h"

#include <QPainter>
#include <QWidget>

void CTessalineDlg::RefreshPreview() {
    previewImage_ = QImage();
    QWidget* preview = GetDlgItem(IDC_STATIC_PREVIEW);
    if (!m_loadedPicture || !preview) return;
    const QSize size = preview->size();
    if (size.isEmpty()) return;
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    bool drawn = false;
    {
        QPainter painter(&image);
        std::unique_ptr<imaging::GpGraphics> graphics;
        if (imaging::GdipCreateFromPainter(&painter, graphics) == imaging::Status::Ok) {
            imaging::GdipSetInterpolationMode(graphics.get(), imaging::InterpolationMode::HighQualityBicubic);
            drawn = imaging::GdipDrawImageRectI(graphics.get(), m_loadedPicture.get(), 0, 0, size.width(),
                                                size.height()) == imaging::Status::Ok;
        }
    }
    if (drawn) previewImage_ = std::move(image);
    preview->update();
}

void CTessalineDlg::OnPaint() {
    PaintContext* paint = CurrentPaint();
    if (!paint || !paint->painter || !m_loadedPicture || paint->clientRect.isEmpty()) return;
    if (previewImage_.isNull() || previewImage_.size() != paint->clientRect.size()) {
        // No prepared preview (or the preview changed size): draw the frame
        // directly, stretched into the rectangle. A drawing failure is ignored.
        std::unique_ptr<imaging::GpGraphics> graphics;
        if (imaging::GdipCreateFromPainter(paint->painter, graphics) != imaging::Status::Ok) return;
        const QRect& r = paint->clientRect;
        paint->painted = imaging::GdipDrawImageRectI(graphics.get(), m_loadedPicture.get(), r.left(), r.top(),
                                                     r.width(), r.height()) == imaging::Status::Ok;
        return;
    }
    paint->painter->drawImage(paint->clientRect.topLeft(), previewImage_);
    paint->painted = true;
}
