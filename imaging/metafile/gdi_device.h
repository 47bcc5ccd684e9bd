#pragma once
// The device a metafile is played onto: a QPainter over a bitmap, with the
// graphics state the records change (mapping mode, window and viewport,
// world transform, selected objects, colours, clipping, the path bracket)
// and the drawing operations both players share. Coordinates handed in are
// logical units; the device maps them through world, page and device
// transforms onto the bitmap.

#include "imaging/metafile/byte_reader.h"
#include "imaging/metafile/gdi_objects.h"

#include <QFont>
#include <QPainter>
#include <QRectF>

#include <vector>

class QFontMetricsF;

namespace imaging::metafile {

// `count` bytes of 8-bit text in the Windows Western code page.
QString AnsiText(ByteReader& r, std::size_t count);

class GdiDevice {
public:
    // `deviceToBitmap` maps the metafile's device units onto the bitmap;
    // `devicePixelsPerMm` is the device's resolution, for the metric and
    // English mapping modes.
    GdiDevice(QImage& target, const QTransform& deviceToBitmap, QSizeF devicePixelsPerMm);
    ~GdiDevice();
    GdiDevice(const GdiDevice&) = delete;
    GdiDevice& operator=(const GdiDevice&) = delete;

    DcState& state() { return state_; }
    const DcState& state() const { return state_; }
    QRgb Color(ColorRef color) const;

    // Coordinate spaces.
    void SetMapMode(int mode, bool keepExtents);
    void SetWindowOrg(QPointF org) { state_.windowOrg = org; }
    void SetWindowExt(QSizeF ext);
    void SetViewportOrg(QPointF org) { state_.viewportOrg = org; }
    void SetViewportExt(QSizeF ext);
    void SetWorldTransform(const QTransform& t) { state_.world = t; }
    // mode 1 identity, 2 left multiply, 3 right multiply, 4 set.
    void ModifyWorldTransform(const QTransform& t, std::uint32_t mode);
    QTransform PageTransform() const;     // page space -> device units
    QTransform LogicalToBitmap() const;   // world -> bitmap pixels
    const QTransform& DeviceToBitmap() const { return deviceToBitmap_; }

    void SaveDC();
    void RestoreDC(int which);

    // Lines and shapes.
    void MoveTo(QPointF p);
    void LineTo(QPointF p);
    void Polyline(const std::vector<QPointF>& points);
    void PolylineTo(const std::vector<QPointF>& points);
    void PolyBezier(const std::vector<QPointF>& points);
    void PolyBezierTo(const std::vector<QPointF>& points);
    void PolyPolyline(const std::vector<std::vector<QPointF>>& lines);
    void PolyPolygon(const std::vector<std::vector<QPointF>>& polygons);
    void Rectangle(const QRectF& box);
    void RoundRect(const QRectF& box, QSizeF corner);
    void Ellipse(const QRectF& box);
    enum class ArcKind { Arc, ArcTo, Chord, Pie };
    void Arc(const QRectF& box, QPointF start, QPointF end, ArcKind kind);
    void AngleArc(QPointF centre, double radius, double startDegrees, double sweepDegrees);
    void SetPixel(QPointF p, ColorRef color);
    // Fills a logical rectangle with the brush, or the pattern raster
    // operation of a blit without source.
    void PatBlt(const QRectF& box, std::uint32_t rop);
    // Regions given in bitmap pixels.
    void FillRegion(const QPainterPath& region, const Brush& brush);
    void InvertRegion(const QPainterPath& region);

    // The path bracket.
    void BeginPath();
    void EndPath();
    void AbortPath();
    void CloseFigure();
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();
    void SelectClipPath(int mode);
    void WidenPath();
    bool InPath() const { return building_; }

    // Clipping. Rectangles are logical; regions are bitmap pixels.
    void IntersectClipRect(const QRectF& box);
    void ExcludeClipRect(const QRectF& box);
    // An empty optional with RGN_COPY resets to no clipping.
    void SelectClipRegion(const std::optional<QPainterPath>& region, int mode);
    void OffsetClip(QPointF logicalDelta);

    // Text at a logical reference point. `dx` holds the advance of each
    // character in logical units (may be empty). `box` is the ETO_ rectangle.
    void TextOut(QPointF reference, const QString& text, const std::vector<double>& dx, std::uint32_t options,
                 const std::optional<QRectF>& box);

    // Draws `source` (already cut to the source rectangle) into the logical
    // destination rectangle, whose width or height may be negative to mirror.
    void StretchImage(const QRectF& dest, const QImage& source, std::uint32_t rop);
    // Alpha blending: `source` in premultiplied or straight form.
    void AlphaBlendImage(const QRectF& dest, const QImage& source, double constantAlpha);
    // Gradient fills: a rectangle shading from one colour to another
    // across (horizontal) or down, and a triangle shading between the
    // colours of its corners. Points are logical.
    void GradientRect(QPointF from, QPointF to, QRgb fromColor, QRgb toColor, bool horizontal);
    void GradientTriangle(const QPointF (&corners)[3], const QRgb (&colors)[3]);

    QFont MakeFont(const Font& font, double pixelHeight) const;

private:
    void ApplyClip();
    void CombineClip(const QPainterPath& region, int mode);
    QRectF WholePicture() const;
    // Draws a shape in logical units: into the path under construction, or
    // filled with the brush and outlined with the pen.
    void DrawShape(const QPainterPath& logical, bool fill, bool stroke);
    void AddToPath(const QPainterPath& logical, bool continueFigure);
    void FillWithBrush(const QPainterPath& bitmapPath, const Brush& brush);
    void StrokeWithPen(const QPainterPath& logical);
    bool BeginRop();  // false: nothing to draw (R2_NOP)
    void EndRop();
    QPen MakePen() const;
    double ScaleX() const;
    double ScaleY() const;
    QPointF ArcPoint(const QRectF& box, double degrees) const;
    // gdi_text.cpp: the steps of TextOut.
    QFont ScaledFont() const;
    std::vector<double> TextAdvances(const QString& text, const std::vector<double>& dx, const QFontMetricsF& metrics,
                                     double& width) const;
    QPointF TextAnchor(double width, const QFontMetricsF& metrics) const;
    void DrawTextRun(const QString& text, const std::vector<double>& advance, bool useDx, QPointF start);

    QImage& target_;
    QPainter painter_;
    QTransform deviceToBitmap_;
    QSizeF pixelsPerMm_;
    DcState state_;
    std::vector<DcState> saved_;
    bool building_ = false;
    bool widened_ = false;
    QPainterPath path_;  // bitmap pixels
};

}  // namespace imaging::metafile
