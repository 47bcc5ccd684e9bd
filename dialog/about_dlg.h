#pragma once
// CAboutDlg: the About box (template IDD_ABOUTBOX): the icon, the product
// name and version, a line about the program, the support address and OK.

#include "platform/cdialog.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    ~CAboutDlg() override;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
};
