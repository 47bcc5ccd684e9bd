#include "imaging/core/qimage_view.h"

namespace imaging {

QImage ImageView(const PixelBuffer& frame) {
    const QImage::Format format =
        frame.layout() == PixelLayout::Rgb8 ? QImage::Format_RGB888 : QImage::Format_RGBA8888;
    return QImage(frame.data(), frame.width(), frame.height(), static_cast<qsizetype>(frame.stride()), format);
}

QImage WritableView(PixelBuffer& frame) {
    return QImage(frame.data(), frame.width(), frame.height(), static_cast<qsizetype>(frame.stride()),
                  QImage::Format_RGB888);
}

}  // namespace imaging
