#pragma once
// The dialog data exchange: moves values between a dialog's members and its
// controls. In the saving direction each rule validates; the first failing
// rule shows the framework's message, gives the control the focus with its
// whole text selected, and stops the exchange (every later call is skipped).

#include <QString>

#include <cstdint>

class CDialog;
class CSliderCtrl;
class CComboBox;

class CDataExchange {
public:
    CDataExchange(CDialog& dialog, bool saveAndValidate) : m_pDlgWnd(&dialog), m_bSaveAndValidate(saveAndValidate) {}

    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;

    bool failed() const { return failed_; }
    // Remembers the control that the next validation rule is about.
    void PrepareEditCtrl(int id) { lastControl_ = id; }
    int lastControl() const { return lastControl_; }
    // Shows the message, focuses and selects the last control, stops the exchange.
    void Fail(const QString& message);

private:
    bool failed_ = false;
    int lastControl_ = 0;
};

// The framework's own validation messages.
extern const QString kEnterInteger;        // "Enter an integer."
extern const QString kEnterIntegerRange;   // "Enter an integer between %1 and %2."
extern const QString kEnterNoMoreChars;    // "Enter no more than %1 characters."

void DDX_Text(CDataExchange* pDX, int id, QString& value);
// Integers are read through a buffer of kNumberFieldBuffer characters.
void DDX_Text(CDataExchange* pDX, int id, std::int32_t& value);
// Load direction: limits typing in the edit box. Save direction: validates.
void DDV_MaxChars(CDataExchange* pDX, const QString& value, int maxChars);
void DDV_MinMaxInt(CDataExchange* pDX, std::int32_t value, std::int32_t minimum, std::int32_t maximum);
void DDX_Control(CDataExchange* pDX, int id, CSliderCtrl& control);
void DDX_Control(CDataExchange* pDX, int id, CComboBox& control);
