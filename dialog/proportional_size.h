#pragma once
// The aspect-ratio calculator's arithmetic: the ratio of the photo's two
// sides is formed first and then multiplied by the typed base, in double
// precision, and the product is truncated toward zero. Forming the ratio
// first is deliberate: 700 / 1000 * 90 evaluates to 62.99999999999999 and
// gives 62, as users of the calculator have always seen.

#include <cstdint>
#include <optional>

// (numerator / denominator) * base, truncated toward zero to 32 bits; a
// product beyond the 32-bit range becomes the nearest limit. Empty when
// either side of the photo is not above 0 (no picture could be measured),
// since no ratio exists then.
std::optional<std::int32_t> ScaleByAspectRatio(std::int32_t numerator, std::int32_t denominator, std::int32_t base);
