#pragma once
// The rules of the frame controls: the label each frame dimension is listed
// under, and how a typed frame number is corrected into the range of its
// dimension.

#include "imaging/gdiplus/gdiplus.h"

#include <QString>

#include <cstdint>
#include <optional>

// "FrameDimensionTime", "FrameDimensionResolution", "FrameDimensionPage",
// or "Dimension<index>" for an identifier of no known kind.
QString FrameDimensionLabel(const imaging::GUID& dimension, int index);

// What the frame number field does with a typed number while it is edited.
struct FrameNumberCorrection {
    // The text the field must be set to, when the typed one was out of range.
    std::optional<QString> correctedText;
    // The frame to make active; empty when the dimension has no frames.
    std::optional<std::uint32_t> frame;
};

// Below 0 becomes 0; with frames, at or past the count becomes the last
// frame. A dimension without frames offers nothing to select.
FrameNumberCorrection CorrectFrameNumber(std::int32_t typed, std::uint32_t frameCount);

// True when the number names a frame of a dimension with that many frames.
bool IsValidFrameNumber(std::int32_t number, std::uint32_t frameCount);
