#include "imaging/conversion/conversion_rules.h"

#include <cmath>
#include <limits>

namespace imaging {

std::optional<ConversionOutcome> CheckOutputSize(std::int32_t width, std::int32_t height) {
    if (width <= 0) return ConversionOutcome::WidthInvalid;
    if (height <= 0) return ConversionOutcome::HeightInvalid;
    return std::nullopt;
}

TextPosition CheckTextPosition(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    TextPosition p{x, y, false, false};
    if (x < 0 || x >= width) {
        p.x = 0;
        p.xReset = true;
    }
    if (y < 0 || y >= height) {
        p.y = 0;
        p.yReset = true;
    }
    return p;
}

namespace {

// Converting an out-of-range double to an integer is undefined; clamp.
std::int32_t ClampToInt32(double product) {
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    if (product >= kMax) return std::numeric_limits<std::int32_t>::max();
    if (product <= kMin) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(product);
}

}  // namespace

std::optional<std::int32_t> ProportionalSize(std::int32_t numerator, std::int32_t denominator, std::int32_t base) {
    if (numerator <= 0 || denominator <= 0) return std::nullopt;
    const double ratio = static_cast<double>(numerator) / static_cast<double>(denominator);
    return ClampToInt32(std::trunc(ratio * static_cast<double>(base)));
}

std::optional<std::int32_t> ProportionalSizeRounded(std::int32_t numerator, std::int32_t denominator,
                                                    std::int32_t base) {
    if (numerator <= 0 || denominator <= 0) return std::nullopt;
    // The product first, so that the ratio's own rounding cannot move a half.
    const double product = static_cast<double>(numerator) * static_cast<double>(base);
    return ClampToInt32(std::round(product / static_cast<double>(denominator)));
}

}  // namespace imaging
