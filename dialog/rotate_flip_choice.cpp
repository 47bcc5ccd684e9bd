// The rotation and flip table; see rotate_flip_choice.h.

#include "dialog/rotate_flip_choice.h"

#include <array>

namespace {

using imaging::RotateFlipType;

// Rows: 0, 90, 180, 270 degrees. Columns: no flip, horizontal, vertical.
// A half turn with a horizontal flip is a vertical flip, and the reverse.
constexpr std::array<std::array<RotateFlipType, 3>, 4> kTable{{
    {RotateFlipType::RotateNoneFlipNone, RotateFlipType::RotateNoneFlipX, RotateFlipType::RotateNoneFlipY},
    {RotateFlipType::Rotate90FlipNone, RotateFlipType::Rotate90FlipX, RotateFlipType::Rotate90FlipY},
    {RotateFlipType::Rotate180FlipNone, RotateFlipType::Rotate180FlipX, RotateFlipType::Rotate180FlipY},
    {RotateFlipType::Rotate270FlipNone, RotateFlipType::Rotate270FlipX, RotateFlipType::Rotate270FlipY},
}};

}  // namespace

bool IsKnownRotateAngle(std::int32_t angle) { return angle == 0 || angle == 90 || angle == 180 || angle == 270; }

std::optional<imaging::RotateFlipType> RotateFlipFor(std::int32_t angle, std::int32_t flipType) {
    if (!IsKnownRotateAngle(angle) || flipType < 0 || flipType > 2) return std::nullopt;
    return kTable[static_cast<std::size_t>(angle / 90)][static_cast<std::size_t>(flipType)];
}
