// Text output of the device: a GDI font description becomes a QFont of
// the right pixel size; the reference point, alignment flags, escapement,
// background mode and the per-character advances of ExtTextOut decide where
// each character lands.

#include "imaging/metafile/gdi_device.h"

#include <QFontMetricsF>

#include <cmath>
#include <numbers>

namespace imaging::metafile {

using namespace gdi;

namespace {

QString FaceFor(const QString& face) {
    if (face.isEmpty() || face.compare(QLatin1String("System"), Qt::CaseInsensitive) == 0 ||
        face.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Sans Serif");
    return face;
}

// Code page 1252 differs from Latin-1 only in 0x80..0x9F.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

QString AnsiText(ByteReader& r, std::size_t count) {
    QString text;
    if (!r.Has(count, 1)) return text;
    text.reserve(static_cast<qsizetype>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t c = r.U8();
        text.append(QChar(c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : static_cast<char16_t>(c)));
    }
    return text;
}

QFont GdiDevice::MakeFont(const Font& f, double pixelHeight) const {
    QFont font(FaceFor(f.face));
    font.setStyleStrategy(QFont::PreferAntialias);
    const int weight = f.weight <= 0 ? 400 : std::clamp(f.weight, 100, 900);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    double em = std::max(pixelHeight, 1.0);
    if (f.height > 0) {
        // A positive height is the cell height (ascent plus descent).
        font.setPixelSize(100);
        const QFontMetricsF m(font);
        const double cell = m.ascent() + m.descent();
        if (cell > 0) em = em * 100 / cell;
    }
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(std::min(em, 20000.0)))));
    return font;
}

void GdiDevice::TextOut(QPointF reference, const QString& text, const std::vector<double>& dx,
                        std::uint32_t options, const std::optional<QRectF>& box) {
    if (building_) return;  // text in a path bracket is not drawn
    const QTransform toBitmap = LogicalToBitmap();
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (box && (options & ETO_OPAQUE)) {
        QPainterPath p;
        p.addPolygon(toBitmap.map(QPolygonF(box->normalized())));
        painter_.resetTransform();
        painter_.fillPath(p, QColor(Color(state_.bkColor)));
    }
    if (text.isEmpty()) return;

    const QFont font = ScaledFont();
    const QFontMetricsF metrics(font);
    double width = 0;
    const std::vector<double> advance = TextAdvances(text, dx, metrics, width);

    const bool updateCp = (state_.textAlign & TA_UPDATECP) != 0;
    const QPointF refLogical = updateCp ? state_.current : reference;
    const QPointF origin = toBitmap.map(refLogical);
    // Escapement turns the baseline counterclockwise as seen on the page; a
    // rotated world transform turns it further.
    const double worldAngle = std::atan2(state_.world.m12(), state_.world.m11()) * 180 / std::numbers::pi;
    const double angle = -static_cast<double>(state_.font.escapement) / 10.0 + worldAngle;
    const QPointF start = TextAnchor(width, metrics);

    painter_.resetTransform();
    if (box && (options & ETO_CLIPPED)) {
        QPainterPath clip;
        clip.addPolygon(toBitmap.map(QPolygonF(box->normalized())));
        painter_.setClipPath(clip, state_.clip ? Qt::IntersectClip : Qt::ReplaceClip);
    }
    QTransform local;
    local.translate(origin.x(), origin.y());
    local.rotate(angle);
    painter_.setTransform(local);
    if (state_.bkMode == OPAQUE && !(options & ETO_OPAQUE)) {
        painter_.fillRect(QRectF(start.x(), start.y() - metrics.ascent(), width, metrics.ascent() + metrics.descent()),
                          QColor(Color(state_.bkColor)));
    }
    painter_.setFont(font);
    painter_.setPen(QColor(Color(state_.textColor)));
    DrawTextRun(text, advance, !dx.empty(), start);
    painter_.resetTransform();
    if (box && (options & ETO_CLIPPED)) ApplyClip();

    if (updateCp) {
        // The current position moves along the baseline by the text's width.
        const QTransform back = toBitmap.inverted();
        const double a = angle * std::numbers::pi / 180;
        const double move = (state_.textAlign & TA_HMASK) == TA_RIGHT ? -width : width;
        state_.current = back.map(origin + QPointF(move * std::cos(a), move * std::sin(a)));
    }
}

// The selected font at the size the mapping gives it on the bitmap.
QFont GdiDevice::ScaledFont() const {
    const Font& f = state_.font;
    const double sx = ScaleX(), sy = ScaleY();
    const double logicalHeight = f.height == 0 ? 12 : std::abs(static_cast<double>(f.height));
    // Characters far taller than the picture show nothing but cost a lot
    // to rasterise: cap them at twice the picture's larger side.
    const double cap = 2.0 * std::max(target_.width(), target_.height());
    QFont font = MakeFont(f, std::min(logicalHeight * sy, cap));
    if (f.width > 0) {
        const QFontMetricsF natural(font);
        const double average = natural.averageCharWidth();
        if (average > 0) font.setStretch(static_cast<int>(std::clamp(100.0 * f.width * sx / average, 1.0, 4000.0)));
    }
    return font;
}

// Advances of each character in bitmap pixels along the baseline, from
// `dx` where given, and the width of the whole text.
std::vector<double> GdiDevice::TextAdvances(const QString& text, const std::vector<double>& dx,
                                            const QFontMetricsF& metrics, double& width) const {
    const double sx = ScaleX();
    std::vector<double> advance(static_cast<std::size_t>(text.size()));
    width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        const double a = k < dx.size() ? dx[k] * sx : metrics.horizontalAdvance(text.at(i));
        advance[k] = a + state_.textCharExtra * sx;
        width += advance[k];
    }
    if (dx.empty()) width = metrics.horizontalAdvance(text) + state_.textCharExtra * sx * static_cast<double>(text.size());
    return advance;
}

// Where the text starts and its baseline lies, relative to the reference
// point, as the alignment flags place them.
QPointF GdiDevice::TextAnchor(double width, const QFontMetricsF& metrics) const {
    double x0 = 0;
    switch (state_.textAlign & TA_HMASK) {
    case TA_RIGHT: x0 = -width; break;
    case TA_CENTER: x0 = -width / 2; break;
    default: break;
    }
    double baseline = 0;
    switch (state_.textAlign & TA_VMASK) {
    case TA_BASELINE: baseline = 0; break;
    case TA_BOTTOM: baseline = -metrics.descent(); break;
    default: baseline = metrics.ascent(); break;
    }
    return QPointF(x0, baseline);
}

// Draws the text from `start` on the baseline: character by character at
// the given advances, or as one run.
void GdiDevice::DrawTextRun(const QString& text, const std::vector<double>& advance, bool useDx, QPointF start) {
    if (!useDx) {
        painter_.drawText(start, text);
        return;
    }
    double x = start.x();
    for (qsizetype i = 0; i < text.size(); ++i) {
        // Keep surrogate pairs together.
        if (text.at(i).isHighSurrogate() && i + 1 < text.size()) {
            painter_.drawText(QPointF(x, start.y()), text.mid(i, 2));
            x += advance[static_cast<std::size_t>(i)] + advance[static_cast<std::size_t>(i + 1)];
            ++i;
            continue;
        }
        painter_.drawText(QPointF(x, start.y()), QString(text.at(i)));
        x += advance[static_cast<std::size_t>(i)];
    }
}

}  // namespace imaging::metafile
