#pragma once
// The rules the window and the command line apply to a conversion's inputs
// before it runs, free of any widget: the output size must be above 0 on
// both sides, the text's corner must lie inside the output (a corner
// outside is reset to 0 on that axis), and one side given alone takes the
// other from the picture's aspect ratio.

#include "imaging/conversion/conversion.h"

#include <cstdint>
#include <optional>

namespace imaging {

// WidthInvalid or HeightInvalid (width first) for a size not above 0 on
// that side; empty for a usable size.
std::optional<ConversionOutcome> CheckOutputSize(std::int32_t width, std::int32_t height);

// An axis on which the text's corner fell outside the output and was reset.
enum class TextReset { X, Y };

struct TextPosition {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool xReset = false;  // x was outside [0, width) and is now 0
    bool yReset = false;  // y was outside [0, height) and is now 0
};
TextPosition CheckTextPosition(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);

// (numerator / denominator) * base, in double precision with the ratio
// formed first, truncated toward zero to 32 bits; a product beyond the
// 32-bit range becomes the nearest limit. Forming the ratio first is what
// users of the calculator have always seen: 700 / 1000 * 90 gives 62.
// Empty when either side of the picture is not above 0 (no ratio exists).
std::optional<std::int32_t> ProportionalSize(std::int32_t numerator, std::int32_t denominator, std::int32_t base);

// numerator * base / denominator rounded to the nearest integer (halves away
// from zero), clamped to 32 bits as above; what command-line resizers give
// (a 6000 x 4000 picture at 1600 wide is 1067 high, not 1066). The window's
// calculator keeps the truncating rule above.
std::optional<std::int32_t> ProportionalSizeRounded(std::int32_t numerator, std::int32_t denominator,
                                                    std::int32_t base);

}  // namespace imaging
