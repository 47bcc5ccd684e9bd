// The window's load of a photo and the drawing of its preview.
#include "dialog/photo_load.h"

#include <QPainter>

QImage RenderPreview(imaging::GpImage* picture, QSize size) {
    if (!picture || size.isEmpty()) return QImage();
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    bool drawn = false;
    {
        QPainter painter(&image);
        std::unique_ptr<imaging::GpGraphics> graphics;
        if (imaging::GdipCreateFromPainter(&painter, graphics) == imaging::Status::Ok) {
            imaging::GdipSetInterpolationMode(graphics.get(), imaging::InterpolationMode::HighQualityBicubic);
            drawn = imaging::GdipDrawImageRectI(graphics.get(), picture, 0, 0, size.width(), size.height()) ==
                    imaging::Status::Ok;
        }
    }
    return drawn ? image : QImage();
}

LoadedPhoto LoadPhotoWithPreview(const QString& path, QSize previewSize,
                                 const std::function<void(const QImage&)>& firstLook) {
    LoadedPhoto loaded;
    if (!previewSize.isEmpty()) {
        // The first look is released before the whole frame is decoded.
        std::unique_ptr<imaging::GpImage> look;
        bool whole = false;
        if (imaging::LoadImageFirstLook(path, previewSize.width(), previewSize.height(), look, whole) ==
            imaging::Status::Ok) {
            if (whole) {
                loaded.picture = std::move(look);
                loaded.preview = RenderPreview(loaded.picture.get(), previewSize);
                return loaded;
            }
            if (firstLook) firstLook(RenderPreview(look.get(), previewSize));
        }
    }
    // Also the road of a file that cannot be read: the picture it leaves
    // fails every operation, as the classic load's does.
    imaging::GdipLoadImageFromFile(path, loaded.picture);
    loaded.preview = RenderPreview(loaded.picture.get(), previewSize);
    return loaded;
}
