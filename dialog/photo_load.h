#pragma once
// Loading a photo for the window, free of widgets so that it can be timed
// on its own: a first look at the preview's size where the decoder makes
// one for much less than the whole frame, then the picture Convert works
// on, with its preview.

#include "imaging/gdiplus/gdiplus.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

// The picture's active frame stretched over a preview of `size` (its
// aspect ratio is not kept); a null image when it cannot be drawn.
QImage RenderPreview(imaging::GpImage* picture, QSize size);

struct LoadedPhoto {
    std::unique_ptr<imaging::GpImage> picture;  // as GdipLoadImageFromFile loads it
    QImage preview;                              // RenderPreview of it
};

// Loads `path` as the window shows it. When a frame decoded for the
// preview's size is smaller than the whole one (a large JPEG), its preview
// goes to `firstLook` before the whole frame is decoded, so the picture
// shows at once; when it is the whole frame, it is the picture.
LoadedPhoto LoadPhotoWithPreview(const QString& path, QSize previewSize,
                                 const std::function<void(const QImage&)>& firstLook);
