#include "imaging/decode/resolution.h"

#include <cmath>

namespace imaging::decode {

float TidyDpi(double dpi) {
    if (!std::isfinite(dpi) || dpi <= 0 || dpi > 1e6) return kDefaultDpi;
    const double whole = std::round(dpi);
    const float tidy = static_cast<float>(std::fabs(dpi - whole) < 0.02 ? whole : dpi);
    // A resolution that rounds (or, as a float, underflows) to zero states nothing usable.
    return tidy > 0 ? tidy : kDefaultDpi;
}

float DpiFromDotsPerMeter(int dotsPerMeter) {
    constexpr int kQtDefaultDotsPerMeter = 3780;
    if (dotsPerMeter <= 0 || dotsPerMeter == kQtDefaultDotsPerMeter) return kDefaultDpi;
    return TidyDpi(dotsPerMeter * 0.0254);
}

float DpiFromDensity(double density, int unit) {
    if (unit == 1) return TidyDpi(density);
    if (unit == 2) return TidyDpi(density * 2.54);
    return kDefaultDpi;
}

}  // namespace imaging::decode
