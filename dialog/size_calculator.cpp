// The aspect-ratio calculator: "Enter width, get height" and "Enter height,
// get width" fill one size field from the other with the photo's ratio.

#include "dialog/tessaline_dlg.h"

#include "imaging/conversion/conversion_rules.h"
#include "language/message_box.h"
#include "platform/number_field.h"
#include "platform/number_text.h"
#include "resources/resource_ids.h"
#include "resources/string_ids.h"

void CTessalineDlg::OnBaseWidth() {
    if (m_photoPath.isEmpty()) {
        ShowErrorMessage(*this, IDS_STRING108);
        return;
    }
    m_outputWidth = ReadNumberField(*this, IDC_EDIT_OUTPUT_WIDTH, kSizeFieldBuffer).value_or(0);
    // A photo that could not be measured has no ratio: the height stays.
    if (const auto height = imaging::ProportionalSize(m_photoHeight, m_photoWidth, m_outputWidth)) {
        m_outputHeight = *height;
        SetDlgItemText(IDC_EDIT_OUTPUT_HEIGHT, FormatDecimal(m_outputHeight));
    }
}

void CTessalineDlg::OnBaseHeight() {
    if (m_photoPath.isEmpty()) {
        ShowErrorMessage(*this, IDS_STRING108);
        return;
    }
    m_outputHeight = ReadNumberField(*this, IDC_EDIT_OUTPUT_HEIGHT, kSizeFieldBuffer).value_or(0);
    if (const auto width = imaging::ProportionalSize(m_photoWidth, m_photoHeight, m_outputHeight)) {
        m_outputWidth = *width;
        SetDlgItemText(IDC_EDIT_OUTPUT_WIDTH, FormatDecimal(m_outputWidth));
    }
}
