#pragma once
// The small vocabulary of the desktop framework that the dialogs speak:
// message and notification codes, command identifiers, colours. The numbers
// are the classic ones so that tables and tests read like the design.

#include "imaging/core/colorref.h"

#include <cstdint>

using ARGB = std::uint32_t;      // 0xAARRGGBB

// Window messages the dialogs route.
enum : std::uint32_t {
    WM_CLOSE = 0x0010,
    WM_PAINT = 0x000F,
    WM_NOTIFY = 0x004E,
    WM_COMMAND = 0x0111,
    WM_SYSCOMMAND = 0x0112,
    WM_RBUTTONUP = 0x0205,
};

// Notification codes carried by WM_COMMAND (high word) and WM_NOTIFY.
enum : int {
    BN_CLICKED = 0,
    EN_KILLFOCUS = 0x0200,
    EN_UPDATE = 0x0400,
    CBN_SELCHANGE = 1,
    NM_RELEASEDCAPTURE = -16,
    MENU_COMMAND = 0,  // a menu command arrives with code 0, like a click
};

// Standard command identifiers and message-box results.
enum : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDYES = 6,
    IDNO = 7,
};

constexpr std::uint32_t MAKEWPARAM(int low, int high) {
    return (static_cast<std::uint32_t>(low) & 0xFFFFu) | ((static_cast<std::uint32_t>(high) & 0xFFFFu) << 16);
}
constexpr std::uint32_t MAKELPARAM(int low, int high) { return MAKEWPARAM(low, high); }
constexpr int LOWORD(std::uint32_t v) { return static_cast<int>(v & 0xFFFFu); }
constexpr int HIWORD(std::uint32_t v) { return static_cast<int>((v >> 16) & 0xFFFFu); }
