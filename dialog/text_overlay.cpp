// The text stamp's font, colour and position: the Font button and the checks
// made when the X or Y position field is left. The stamp itself is drawn by
// the conversion, which reads the same controls and members at that time.

#include "dialog/tessaline_dlg.h"

#include "language/message_box.h"
#include "platform/number_field.h"
#include "platform/platform_services.h"
#include "resources/resource_ids.h"
#include "resources/string_ids.h"

#include <optional>

namespace {

enum class Axis { X, Y };

// The check of one position field when it is left. It only informs: the
// field keeps its text and the focus moves on. Convert checks again and
// corrects the value.
void CheckTextPosition(CTessalineDlg& dlg, Axis axis) {
    if (dlg.m_photoPath.isEmpty()) return;

    dlg.m_outputWidth = ReadNumberField(dlg, IDC_EDIT_OUTPUT_WIDTH, kSizeFieldBuffer).value_or(0);
    dlg.m_outputHeight = ReadNumberField(dlg, IDC_EDIT_OUTPUT_HEIGHT, kSizeFieldBuffer).value_or(0);
    // Without a valid output size there is no range to check against; the
    // width is reported first, so a bad height shows only with a good width.
    if (dlg.m_outputWidth <= 0) {
        ShowErrorMessage(dlg, IDS_STRING111);
        return;
    }
    if (dlg.m_outputHeight <= 0) {
        ShowErrorMessage(dlg, IDS_STRING112);
        return;
    }

    const bool isX = axis == Axis::X;
    const std::int32_t position =
        ReadNumberField(dlg, isX ? IDC_EDIT_TEXT_X : IDC_EDIT_TEXT_Y, kNumberFieldBuffer).value_or(0);
    const std::int32_t bound = isX ? dlg.m_outputWidth : dlg.m_outputHeight;
    if (position < 0 || position >= bound) ShowErrorMessage(dlg, isX ? IDS_STRING123 : IDS_STRING124);
}

}  // namespace

void CTessalineDlg::OnFont() {
    // The chooser starts from the overlay font, but its colour always starts
    // black: the held colour is not handed in, so OK without touching the
    // colour makes the stamp black.
    const FontRequest request{m_overlayFont, /*color=*/0, /*effects=*/true};
    const std::optional<FontChoice> choice = Services().ChooseFont(Window(), request);
    if (!choice) return;  // cancelled: nothing changes

    // Stored by the close step, not here.
    m_overlayFont = choice->font;
    m_overlayColor = choice->color;
    SetDlgItemText(IDC_STATIC_FONT_NAME, m_overlayFont.faceName());
}

void CTessalineDlg::OnTextXKillFocus() { CheckTextPosition(*this, Axis::X); }

void CTessalineDlg::OnTextYKillFocus() { CheckTextPosition(*this, Axis::Y); }
