#pragma once
// A font description shaped like the classic LOGFONTW, so that fonts can be
// stored field by field under the fields' own names. Heights follow the
// classic rule: a negative height -h is an em height of h pixels at 96 DPI.

#include <QString>

#include <array>
#include <cstdint>

struct LOGFONTW {
    static constexpr int kFaceNameSize = 32;  // 31 characters and a terminator

    std::int32_t lfHeight = 0;
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 0;
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = 0;
    std::uint8_t lfOutPrecision = 0;
    std::uint8_t lfClipPrecision = 0;
    std::uint8_t lfQuality = 0;
    std::uint8_t lfPitchAndFamily = 0;
    std::array<char16_t, kFaceNameSize> lfFaceName{};

    // The face name as text (up to the first zero).
    QString faceName() const;
    // Copies at most 31 characters of the name; a longer name is cut.
    void setFaceName(const QString& name);

    bool operator==(const LOGFONTW&) const = default;
};

constexpr std::int32_t FW_NORMAL = 400;
constexpr std::int32_t FW_BOLD = 700;
