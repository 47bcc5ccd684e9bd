#include "platform/dialog_units.h"

#include <QFontMetrics>

#include <cmath>

namespace {
int mulDiv(int value, int numerator, int denominator) {
    return static_cast<int>(std::lround(static_cast<double>(value) * numerator / denominator));
}
}  // namespace

DialogBaseUnits BaseUnitsForFont(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width52 = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogBaseUnits base;
    base.x = std::max(1, (width52 / 26 + 1) / 2);
    base.y = std::max(1, metrics.height());
    return base;
}

QRect DialogUnitsToPixels(const DialogBaseUnits& base, int x, int y, int width, int height) {
    return QRect(mulDiv(x, base.x, 4), mulDiv(y, base.y, 8), mulDiv(width, base.x, 4), mulDiv(height, base.y, 8));
}
