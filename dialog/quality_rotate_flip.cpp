// The quality slider and field, and the rotation and flip buttons.

#include "dialog/tessaline_dlg.h"

void CTessalineDlg::OnQualitySliderReleased() {
    m_quality = m_qualitySlider.GetPos();
    // Rewrites every bound control, the output file field included.
    UpdateData(false);
}

void CTessalineDlg::OnQualityKillFocus() { UpdateData(true); }

void CTessalineDlg::OnRotate(int angle) { m_rotateAngle = angle; }

void CTessalineDlg::OnFlip(int flipType) { m_flipType = flipType; }
