#include "resources/dialog_templates.h"

#include "resources/resource_ids.h"

namespace {

using namespace ControlStyle;
constexpr std::uint32_t kEdit = Border | TabStop | AutoHScroll;

DialogTemplate makeConverterTemplate() {
    using K = ControlKind;
    return DialogTemplate{
        IDD_PROGRAM_JPG,
        QStringLiteral("Tessaline"),
        378,
        294,
        {
            {IDC_BUTTON_OPEN_PHOTO, K::PushButton, TabStop, 7, 7, 66, 14, QStringLiteral("Open Photo")},
            {IDC_BUTTON_EXIT, K::PushButton, TabStop, 305, 271, 66, 16, QStringLiteral("Exit")},
            {IDC_STATIC_QUALITY_CONTROL, K::StaticText, None, 7, 97, 70, 8, QStringLiteral("Quality Control")},
            {IDC_BUTTON_CONVERT, K::PushButton, TabStop, 7, 271, 68, 16, QStringLiteral("Convert")},
            {IDC_STATIC_PREVIEW, K::BlackFrame, None, 259, 7, 112, 77, {}},
            {IDC_EDIT_OUTPUT_FILE, K::Edit, kEdit | Disabled, 7, 248, 291, 14, {}},
            {IDC_BUTTON_OUTPUT_FILE_BROWSE, K::PushButton, TabStop, 300, 248, 71, 14, QStringLiteral("Browse")},
            {IDC_EDIT_OUTPUT_WIDTH, K::Edit, kEdit | Disabled, 75, 36, 48, 16, {}},
            {IDC_EDIT_OUTPUT_HEIGHT, K::Edit, kEdit | Disabled, 75, 58, 48, 14, {}},
            {IDC_STATIC_OUTPUT_WIDTH, K::StaticText, None, 7, 40, 65, 8, QStringLiteral("Output Width:")},
            {IDC_STATIC_OUTPUT_HEIGHT, K::StaticText, None, 7, 59, 65, 8, QStringLiteral("Output Height:")},
            {IDC_STATIC_PHOTO_INFO, K::StaticText, None, 79, 8, 154, 14, {}},
            {IDC_STATIC_KEEP_RATIO_CALCULATOR, K::GroupBox, None, 127, 25, 132, 56,
             QStringLiteral("Keeping aspect ratio calculator")},
            {IDC_BUTTON_BASE_WIDTH, K::PushButton, TabStop, 131, 37, 126, 14, QStringLiteral("Enter width, get height")},
            {IDC_BUTTON_BASE_HEIGHT, K::PushButton, TabStop, 131, 58, 126, 14, QStringLiteral("Enter height, get width")},
            {IDC_SLIDER_QUALITY, K::Trackbar, NoTicks | TabStop, 129, 95, 192, 15, {}},
            {IDC_EDIT_QUALITY, K::Edit, kEdit, 83, 94, 40, 14, {}},
            {IDC_STATIC_QUALITY_MAX, K::StaticText, None, 333, 98, 38, 8, QStringLiteral("Max")},
            {IDC_STATIC_GROUP_ROTATE, K::GroupBox, None, 7, 120, 86, 68, QStringLiteral("Rotate by angle")},
            {IDC_RADIO_ROTATE_0, K::RadioButton, Group | TabStop, 28, 131, 20, 10, QStringLiteral("0")},
            {IDC_RADIO_ROTATE_90, K::RadioButton, None, 28, 144, 24, 10, QStringLiteral("90")},
            {IDC_RADIO_ROTATE_180, K::RadioButton, None, 28, 157, 28, 10, QStringLiteral("180")},
            {IDC_RADIO_ROTATE_270, K::RadioButton, None, 28, 170, 28, 10, QStringLiteral("270")},
            {IDC_STATIC_FLIP, K::GroupBox, None, 111, 120, 120, 68, QStringLiteral("Flip")},
            {IDC_RADIO_FLIP_NO, K::RadioButton, Group | TabStop, 122, 135, 102, 10, QStringLiteral("No flip")},
            {IDC_RADIO_FLIP_HORIZONTAL, K::RadioButton, None, 122, 153, 103, 10, QStringLiteral("Flip horizontal")},
            {IDC_RADIO_FLIP_VERTICAL, K::RadioButton, None, 122, 171, 103, 10, QStringLiteral("Flip vertical")},
            {IDC_BUTTON_HOMEPAGE, K::PushButton, TabStop, 157, 270, 66, 16, QStringLiteral("Homepage")},
            {IDC_BUTTON_HELP, K::PushButton, TabStop, 83, 271, 66, 16, QStringLiteral("Help")},
            {IDC_STATIC_OUTPUT_FILENAME, K::StaticText, None, 7, 233, 118, 8, QStringLiteral("Output file:")},
            {IDC_COMBO_FRAME_DIMENSION, K::DropDownList, VScroll | TabStop | Hidden, 250, 124, 121, 64, {}},
            {IDC_STATIC_FRAME_RANGE, K::StaticText, Hidden, 249, 148, 122, 8, {}},
            {IDC_EDIT_FRAME_NUMBER, K::Edit, kEdit | Hidden, 250, 168, 40, 14, {}},
            {IDC_BUTTON_FONT, K::PushButton, TabStop, 323, 210, 48, 14, QStringLiteral("Font")},
            {IDC_EDIT_TEXT_X, K::Edit, kEdit, 256, 210, 28, 14, {}},
            {IDC_EDIT_TEXT_Y, K::Edit, kEdit, 290, 210, 28, 14, {}},
            {IDC_EDIT_TEXT, K::Edit, kEdit, 8, 210, 241, 15, {}},
            {IDC_STATIC_ADD_TEXT, K::StaticText, None, 7, 195, 240, 10, QStringLiteral("Add text to photo:")},
            {IDC_STATIC_TEXT_POSITION, K::StaticText, None, 257, 195, 61, 10, QStringLiteral("Position x, y:")},
            {IDC_STATIC_FONT_NAME, K::StaticText, None, 326, 195, 44, 10, {}},
        },
    };
}

DialogTemplate makeAboutTemplate() {
    using K = ControlKind;
    return DialogTemplate{
        IDD_ABOUTBOX,
        QStringLiteral("About Tessaline"),
        267,
        110,
        {
            {IDC_STATIC, K::StaticIcon, None, 11, 17, 20, 20, {}},
            {IDC_STATIC, K::StaticText, NoPrefix, 40, 10, 220, 12, kAboutVersionLine},
            {IDC_STATIC, K::StaticText, None, 40, 30, 220, 12, kAboutThirdLine},
            {1, K::DefPushButton, Group | TabStop, 102, 87, 50, 16, QStringLiteral("OK")},
            {IDC_STATIC, K::StaticText, None, 40, 50, 220, 8, QStringLiteral("Support: ") + kSupportAddress},
        },
    };
}

}  // namespace

const QString kAboutVersionLine = QStringLiteral("Tessaline Version 1.1");
const QString kAboutThirdLine = QStringLiteral("Turns one photo at a time into a JPEG file.");
const QString kSupportAddress = QStringLiteral("https://tessaline.example.org/support");

const DialogTemplate& ConverterDialogTemplate() {
    static const DialogTemplate t = makeConverterTemplate();
    return t;
}

const DialogTemplate& AboutDialogTemplate() {
    static const DialogTemplate t = makeAboutTemplate();
    return t;
}

const DialogTemplate* FindDialogTemplate(int id) {
    if (id == IDD_PROGRAM_JPG) return &ConverterDialogTemplate();
    if (id == IDD_ABOUTBOX) return &AboutDialogTemplate();
    return nullptr;
}
