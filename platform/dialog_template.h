#pragma once
// Dialog templates as data: each control with its identifier, kind, the style
// bits that matter and its rectangle in dialog units. DialogBuilder turns a
// template into widgets.

#include <QString>

#include <cstdint>
#include <vector>

enum class ControlKind {
    PushButton,
    DefPushButton,
    StaticText,
    BlackFrame,   // a filled black rectangle (the preview area)
    Edit,
    GroupBox,
    RadioButton,  // automatic radio button
    Trackbar,
    DropDownList, // combo box with a drop-down list and no edit field
    StaticIcon,
};

namespace ControlStyle {
enum : std::uint32_t {
    None = 0,
    Disabled = 1u << 0,
    Hidden = 1u << 1,
    Group = 1u << 2,     // starts a group (radio buttons)
    TabStop = 1u << 3,
    NoTicks = 1u << 4,   // trackbar without tick marks
    VScroll = 1u << 5,   // list with a vertical scroll bar
    NoPrefix = 1u << 6,  // static text shows '&' as it stands
    Border = 1u << 7,
    AutoHScroll = 1u << 8,
};
}

constexpr int IDC_STATIC = -1;

struct ControlTemplate {
    int id;
    ControlKind kind;
    std::uint32_t style;
    int x, y, width, height;  // dialog units
    QString text;
};

struct DialogTemplate {
    int id;
    QString caption;
    int width, height;  // dialog units
    std::vector<ControlTemplate> controls;  // template order = tab order
};
