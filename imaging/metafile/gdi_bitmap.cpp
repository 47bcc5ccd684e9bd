// Bitmap blits of the device: a decoded bitmap drawn into a logical
// rectangle (mirrored when the rectangle's width or height is negative)
// with the blit's raster operation, or alpha-blended.

#include "imaging/metafile/gdi_device.h"

namespace imaging::metafile {

namespace {

// Composition for the source raster operations real files use; the
// pattern operations without a source are handled by PatBlt.
QPainter::CompositionMode BlitMode(std::uint32_t rop, bool& known) {
    known = true;
    switch (rop) {
    case 0x00CC0020: return QPainter::CompositionMode_SourceOver;           // SRCCOPY
    case 0x008800C6: return QPainter::RasterOp_SourceAndDestination;        // SRCAND
    case 0x00EE0086: return QPainter::RasterOp_SourceOrDestination;         // SRCPAINT
    case 0x00660046: return QPainter::RasterOp_SourceXorDestination;        // SRCINVERT
    case 0x00330008: return QPainter::RasterOp_NotSource;                   // NOTSRCCOPY
    case 0x00440328: return QPainter::RasterOp_SourceAndNotDestination;     // SRCERASE
    case 0x001100A6: return QPainter::RasterOp_NotSourceAndNotDestination;  // NOTSRCERASE
    case 0x00BB0226: return QPainter::RasterOp_NotSourceOrDestination;      // MERGEPAINT
    case 0x00C000CA: return QPainter::CompositionMode_SourceOver;           // MERGECOPY, drawn as a copy
    default: known = false; return QPainter::CompositionMode_SourceOver;
    }
}

QTransform ImageToRect(const QImage& image, const QRectF& dest) {
    QTransform m;
    m.translate(dest.x(), dest.y());
    m.scale(dest.width() / image.width(), dest.height() / image.height());
    return m;
}

}  // namespace

void GdiDevice::StretchImage(const QRectF& dest, const QImage& source, std::uint32_t rop) {
    if (building_ || source.isNull() || dest.width() == 0 || dest.height() == 0) return;
    bool known = false;
    const QPainter::CompositionMode mode = BlitMode(rop, known);
    if (!known) {
        PatBlt(dest, rop);
        return;
    }
    const bool rasterOp = mode != QPainter::CompositionMode_SourceOver;
    painter_.setCompositionMode(mode);
    painter_.setRenderHint(QPainter::Antialiasing, !rasterOp);
    painter_.setTransform(ImageToRect(source, dest) * LogicalToBitmap());
    painter_.drawImage(QPointF(0, 0), source);
    painter_.resetTransform();
    EndRop();
}

void GdiDevice::AlphaBlendImage(const QRectF& dest, const QImage& source, double constantAlpha) {
    if (building_ || source.isNull() || dest.width() == 0 || dest.height() == 0) return;
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.setOpacity(std::clamp(constantAlpha, 0.0, 1.0));
    painter_.setTransform(ImageToRect(source, dest) * LogicalToBitmap());
    painter_.drawImage(QPointF(0, 0), source);
    painter_.resetTransform();
    painter_.setOpacity(1.0);
}

}  // namespace imaging::metafile
