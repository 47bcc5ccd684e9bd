#include "platform/data_exchange.h"

#include "platform/number_field.h"

#include "platform/cdialog.h"
#include "platform/controls.h"
#include "platform/number_text.h"
#include "platform/platform_services.h"

#include <QCoreApplication>
#include <QLineEdit>

const QString kEnterInteger = QStringLiteral("Enter an integer.");
const QString kEnterIntegerRange = QStringLiteral("Enter an integer between %1 and %2.");
const QString kEnterNoMoreChars = QStringLiteral("Enter no more than %1 characters.");

void CDataExchange::Fail(const QString& message) {
    if (failed_) return;
    failed_ = true;
    // The framework's validation boxes carry the application's name and the
    // exclamation icon.
    Services().MessageBox(m_pDlgWnd->Window(), message, QCoreApplication::applicationName(), MessageBoxButtons::Ok,
                          MessageBoxIcon::Exclamation);
    m_pDlgWnd->GotoDlgCtrl(lastControl_);
}

void DDX_Text(CDataExchange* pDX, int id, QString& value) {
    if (pDX->failed()) return;
    pDX->PrepareEditCtrl(id);
    if (pDX->m_bSaveAndValidate) {
        value = pDX->m_pDlgWnd->GetDlgItemText(id, 1 << 20);
    } else {
        pDX->m_pDlgWnd->SetDlgItemText(id, value);
    }
}

void DDX_Text(CDataExchange* pDX, int id, std::int32_t& value) {
    if (pDX->failed()) return;
    pDX->PrepareEditCtrl(id);
    if (!pDX->m_bSaveAndValidate) {
        pDX->m_pDlgWnd->SetDlgItemText(id, FormatDecimal(value));
        return;
    }
    const std::optional<std::int32_t> number = ScanDecimalInteger(pDX->m_pDlgWnd->GetDlgItemText(id, kNumberFieldBuffer));
    if (!number) {
        pDX->Fail(kEnterInteger);
        return;
    }
    value = *number;
}

void DDV_MaxChars(CDataExchange* pDX, const QString& value, int maxChars) {
    if (pDX->failed()) return;
    if (!pDX->m_bSaveAndValidate) {
        // Limit typing in the edit box that the last exchange was about. A
        // longer text already in it stays whole, so validation can report it.
        if (auto* edit = qobject_cast<EditBox*>(pDX->m_pDlgWnd->GetDlgItem(pDX->lastControl())))
            edit->setTypingLimit(maxChars);
        return;
    }
    if (value.size() > maxChars) pDX->Fail(kEnterNoMoreChars.arg(maxChars));
}

void DDV_MinMaxInt(CDataExchange* pDX, std::int32_t value, std::int32_t minimum, std::int32_t maximum) {
    if (pDX->failed() || !pDX->m_bSaveAndValidate) return;
    if (value < minimum || value > maximum) pDX->Fail(kEnterIntegerRange.arg(minimum).arg(maximum));
}

void DDX_Control(CDataExchange* pDX, int id, CSliderCtrl& control) {
    if (control.IsAttached()) return;
    control.Attach(qobject_cast<QSlider*>(pDX->m_pDlgWnd->GetDlgItem(id)));
    pDX->m_pDlgWnd->BindControl(id, BoundControl::Slider);
}

void DDX_Control(CDataExchange* pDX, int id, CComboBox& control) {
    if (control.IsAttached()) return;
    control.Attach(qobject_cast<QComboBox*>(pDX->m_pDlgWnd->GetDlgItem(id)));
    pDX->m_pDlgWnd->BindControl(id, BoundControl::ComboBox);
}
