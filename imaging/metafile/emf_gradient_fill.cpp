// EMR_GRADIENTFILL: vertices with 16-bit colours, then rectangles (shaded
// across or down) or triangles (shaded between their corners) that name
// vertices by index. Indices are checked against the vertex count.

#include "imaging/metafile/emf_player.h"

namespace imaging::metafile {

namespace {

constexpr std::uint32_t kRectH = 0, kRectV = 1, kTriangle = 2;

struct Vertex {
    QPointF point;
    QRgb color;
};

}  // namespace

void EmfPlayer::PlayGradientFill(ByteReader& r) {
    r.Skip(16);  // bounds
    const std::uint32_t vertices = r.U32();
    const std::uint32_t shapes = r.U32();
    const std::uint32_t mode = r.U32();
    if (r.failed() || (mode != kRectH && mode != kRectV && mode != kTriangle) || !r.Has(vertices, 16)) return;
    std::vector<Vertex> v;
    v.reserve(vertices);
    for (std::uint32_t i = 0; i < vertices; ++i) {
        const double x = r.I32(), y = r.I32();
        const int red = r.U16() >> 8, green = r.U16() >> 8, blue = r.U16() >> 8;
        r.U16();  // alpha is not used by the fill
        v.push_back({QPointF(x, y), qRgb(red, green, blue)});
    }
    const std::size_t per = mode == kTriangle ? 3 : 2;
    if (!r.Has(shapes, per * 4)) return;
    for (std::uint32_t s = 0; s < shapes; ++s) {
        std::uint32_t index[3] = {0, 0, 0};
        for (std::size_t k = 0; k < per; ++k) index[k] = r.U32();
        bool valid = true;
        for (std::size_t k = 0; k < per; ++k) valid = valid && index[k] < v.size();
        if (!valid) continue;
        if (mode == kTriangle) {
            const QPointF corners[3] = {v[index[0]].point, v[index[1]].point, v[index[2]].point};
            const QRgb colors[3] = {v[index[0]].color, v[index[1]].color, v[index[2]].color};
            device_.GradientTriangle(corners, colors);
        } else {
            device_.GradientRect(v[index[0]].point, v[index[1]].point, v[index[0]].color, v[index[1]].color,
                                 mode == kRectH);
        }
    }
}

}  // namespace imaging::metafile
