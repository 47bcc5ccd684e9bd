#pragma once
// A colour as the classic desktop API stores it: 0x00BBGGRR, with the
// helpers that take it apart and put it together.

#include <cstdint>

using COLORREF = std::uint32_t;  // 0x00BBGGRR

constexpr int GetRValue(COLORREF c) { return static_cast<int>(c & 0xFFu); }
constexpr int GetGValue(COLORREF c) { return static_cast<int>((c >> 8) & 0xFFu); }
constexpr int GetBValue(COLORREF c) { return static_cast<int>((c >> 16) & 0xFFu); }
constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
