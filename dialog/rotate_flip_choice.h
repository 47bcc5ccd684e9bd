#pragma once
// The rotate-flip value for a rotation angle (0, 90, 180, 270 degrees) and a
// flip type (0 none, 1 horizontal, 2 vertical).

#include "imaging/gdiplus.h"

#include <cstdint>
#include <optional>

// Empty for an angle or a flip type outside the table (only stored settings
// can hold one); the picture is then neither turned nor mirrored.
std::optional<imaging::RotateFlipType> RotateFlipFor(std::int32_t angle, std::int32_t flipType);

// True for 0, 90, 180 and 270.
bool IsKnownRotateAngle(std::int32_t angle);
