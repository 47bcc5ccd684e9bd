// Frame dimension labels and frame number correction; see frame_rules.h.

#include "dialog/frame_rules.h"

#include "platform/number_text.h"

QString FrameDimensionLabel(const imaging::GUID& dimension, int index) {
    if (dimension == imaging::FrameDimensionTime) return QStringLiteral("FrameDimensionTime");
    if (dimension == imaging::FrameDimensionResolution) return QStringLiteral("FrameDimensionResolution");
    if (dimension == imaging::FrameDimensionPage) return QStringLiteral("FrameDimensionPage");
    return QStringLiteral("Dimension") + FormatDecimal(index);
}

FrameNumberCorrection CorrectFrameNumber(std::int32_t typed, std::uint32_t frameCount) {
    FrameNumberCorrection result;
    std::int64_t n = typed;
    if (n < 0) {
        n = 0;
        result.correctedText = QStringLiteral("0");
    }
    if (frameCount == 0) return result;
    if (n >= static_cast<std::int64_t>(frameCount)) {
        n = static_cast<std::int64_t>(frameCount) - 1;
        result.correctedText = QString::number(n);
    }
    result.frame = static_cast<std::uint32_t>(n);
    return result;
}

bool IsValidFrameNumber(std::int32_t number, std::uint32_t frameCount) {
    return number >= 0 && static_cast<std::int64_t>(number) < static_cast<std::int64_t>(frameCount);
}
