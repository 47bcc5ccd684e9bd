// The calculator's arithmetic; see proportional_size.h.

#include "dialog/proportional_size.h"

#include <cmath>
#include <limits>

std::optional<std::int32_t> ScaleByAspectRatio(std::int32_t numerator, std::int32_t denominator, std::int32_t base) {
    if (numerator <= 0 || denominator <= 0) return std::nullopt;
    const double ratio = static_cast<double>(numerator) / static_cast<double>(denominator);
    const double product = std::trunc(ratio * static_cast<double>(base));
    // Converting an out-of-range double to an integer is undefined; clamp.
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    if (product >= kMax) return std::numeric_limits<std::int32_t>::max();
    if (product <= kMin) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(product);
}
