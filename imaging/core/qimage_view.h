#pragma once
// QImage views over a pixel buffer's own rows, so Qt can read or paint the
// pixels without a copy. A view is valid only while the buffer lives and
// keeps its size.

#include "imaging/core/pixel_buffer.h"

#include <QImage>

namespace imaging {

// A read-only view (RGB888 or RGBA8888, as the buffer's layout).
QImage ImageView(const PixelBuffer& frame);
// A writable view over a 24-bit buffer.
QImage WritableView(PixelBuffer& frame);

}  // namespace imaging
