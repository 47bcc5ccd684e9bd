// The framework layer: dialogs built from templates, message routing, the
// data exchange's rules and failure behaviour, Enter and Esc.

#include "platform/cdialog.h"
#include "platform/controls.h"
#include "platform/data_exchange.h"
#include "platform/dialog_units.h"
#include "tests/support/scripted_platform_services.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

using namespace ControlStyle;

DialogTemplate testTemplate() {
    return DialogTemplate{
        7,
        QStringLiteral("Test"),
        200,
        100,
        {
            {10, ControlKind::PushButton, TabStop, 4, 4, 40, 14, QStringLiteral("Go")},
            {11, ControlKind::Edit, Border | TabStop, 50, 4, 40, 14, {}},
            {12, ControlKind::Edit, Border | TabStop | Disabled, 50, 20, 40, 14, {}},
            {13, ControlKind::StaticText, Hidden, 4, 40, 40, 8, QStringLiteral("hint")},
            {20, ControlKind::RadioButton, Group | TabStop, 4, 50, 30, 10, QStringLiteral("a")},
            {21, ControlKind::RadioButton, None, 4, 60, 30, 10, QStringLiteral("b")},
            {30, ControlKind::RadioButton, Group | TabStop, 60, 50, 30, 10, QStringLiteral("x")},
            {31, ControlKind::RadioButton, None, 60, 60, 30, 10, QStringLiteral("y")},
            {IDC_STATIC, ControlKind::StaticText, None, 100, 4, 40, 8, QStringLiteral("label")},
            {40, ControlKind::DropDownList, VScroll | TabStop, 100, 20, 60, 50, {}},
        },
    };
}

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(testTemplate()) {
        SetMessageMap({
            {WM_COMMAND, 10, BN_CLICKED, [this] { log.push_back("clicked 10"); }},
            {WM_COMMAND, 11, EN_KILLFOCUS, [this] { log.push_back("left 11"); }},
            {WM_COMMAND, 11, EN_UPDATE, [this] { log.push_back("update 11"); }},
        });
    }
    std::vector<std::string> log;
    std::vector<std::uint32_t> seen;
    QString text;
    std::int32_t number = 5;
    bool validate = true;

protected:
    std::intptr_t WindowProc(std::uint32_t message, std::uint32_t wParam, std::intptr_t lParam) override {
        seen.push_back(message);
        return CDialog::WindowProc(message, wParam, lParam);
    }
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, 11, text);
        DDV_MaxChars(pDX, text, 8);
        DDX_Text(pDX, 12, number);
        if (validate) DDV_MinMaxInt(pDX, number, 1, 100);
    }
};

class CDialogTest : public ::testing::Test {
protected:
    void SetUp() override { SetServices(&services); }
    void TearDown() override { SetServices(nullptr); }
    ScriptedPlatformServices services;
};

}  // namespace

TEST_F(CDialogTest, BuildsEveryControlAtItsDialogUnitRectangle) {
    TestDialog dialog;
    dialog.Create();
    const DialogBaseUnits base = BaseUnitsForFont(dialog.Window()->font());
    ASSERT_GT(base.x, 0);
    QWidget* edit = dialog.GetDlgItem(11);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->geometry(), DialogUnitsToPixels(base, 50, 4, 40, 14));
    EXPECT_EQ(dialog.Window()->size(), DialogUnitsToPixels(base, 0, 0, 200, 100).size());
    EXPECT_FALSE(dialog.IsDlgItemEnabled(12));
    EXPECT_FALSE(dialog.IsDlgItemVisible(13));
    EXPECT_EQ(dialog.GetDlgItem(IDC_STATIC), nullptr);
    EXPECT_EQ(dialog.ChildIds().size(), testTemplate().controls.size());
    EXPECT_EQ(dialog.ChildIds().at(8), IDC_STATIC);
}

TEST_F(CDialogTest, RadioGroupsAreSeparateAndCanBeLeftUnchecked) {
    TestDialog dialog;
    dialog.Create();
    dialog.CheckRadioButton(20, 21, 21);
    dialog.CheckRadioButton(30, 31, 30);
    EXPECT_TRUE(dialog.IsDlgButtonChecked(21));
    EXPECT_TRUE(dialog.IsDlgButtonChecked(30));
    dialog.CheckRadioButton(20, 21, 0);
    EXPECT_FALSE(dialog.IsDlgButtonChecked(20));
    EXPECT_FALSE(dialog.IsDlgButtonChecked(21));
    EXPECT_TRUE(dialog.IsDlgButtonChecked(30));
    // A click checks within its own group only.
    qobject_cast<QRadioButton*>(dialog.GetDlgItem(31))->click();
    EXPECT_TRUE(dialog.IsDlgButtonChecked(31));
    EXPECT_FALSE(dialog.IsDlgButtonChecked(30));
}

TEST_F(CDialogTest, SignalsArriveAsMessagesThroughWindowProcAndTheMap) {
    TestDialog dialog;
    dialog.Create();
    qobject_cast<QPushButton*>(dialog.GetDlgItem(10))->click();
    qobject_cast<QLineEdit*>(dialog.GetDlgItem(11))->setText(QStringLiteral("a"));
    ASSERT_GE(dialog.log.size(), 2u);
    EXPECT_EQ(dialog.log[0], "clicked 10");
    EXPECT_EQ(dialog.log[1], "update 11");
    EXPECT_EQ(dialog.seen.front(), WM_COMMAND);
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(11, EN_KILLFOCUS));
    EXPECT_EQ(dialog.log.back(), "left 11");
}

TEST_F(CDialogTest, GetDlgItemTextKeepsWithinTheBuffer) {
    TestDialog dialog;
    dialog.Create();
    dialog.SetDlgItemText(11, QStringLiteral("abcdefgh"));
    EXPECT_EQ(dialog.GetDlgItemText(11, 4), QStringLiteral("abc"));
    EXPECT_EQ(dialog.GetDlgItemText(11, 100), QStringLiteral("abcdefgh"));
    EXPECT_EQ(dialog.GetDlgItemText(11, 0), QString());
}

TEST_F(CDialogTest, IntegerExchangeRejectsTextThatIsNoNumber) {
    TestDialog dialog;
    dialog.Create();
    dialog.SetDlgItemText(12, QStringLiteral("abc"));
    EXPECT_FALSE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.number, 5);
    ASSERT_EQ(services.messageBoxes.size(), 1u);
    EXPECT_EQ(services.messageBoxes[0].text, QStringLiteral("Enter an integer."));
    EXPECT_EQ(services.messageBoxes[0].icon, MessageBoxIcon::Exclamation);
}

TEST_F(CDialogTest, RangeRuleStoresTheNumberThenFailsAndSelectsTheField) {
    TestDialog dialog;
    dialog.Create();
    dialog.Window()->show();
    dialog.SetDlgItemText(12, QStringLiteral("150xyz"));
    dialog.EnableDlgItem(12, true);
    EXPECT_FALSE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.number, 150);
    ASSERT_EQ(services.messageBoxes.size(), 1u);
    EXPECT_EQ(services.messageBoxes[0].text, QStringLiteral("Enter an integer between 1 and 100."));
    auto* field = qobject_cast<QLineEdit*>(dialog.GetDlgItem(12));
    EXPECT_EQ(field->selectedText(), QStringLiteral("150xyz"));
}

TEST_F(CDialogTest, LengthRuleFailsFirstAndStopsTheExchange) {
    TestDialog dialog;
    dialog.Create();
    dialog.SetDlgItemText(11, QStringLiteral("123456789"));
    dialog.SetDlgItemText(12, QStringLiteral("abc"));
    EXPECT_FALSE(dialog.UpdateData(true));
    // One message: the rules after the failing one did not run.
    ASSERT_EQ(services.messageBoxes.size(), 1u);
    EXPECT_EQ(services.messageBoxes[0].text, QStringLiteral("Enter no more than 8 characters."));
    // A long text set by the program is never cut by the typing limit.
    dialog.text = QStringLiteral("123456789012");
    dialog.validate = false;
    dialog.SetDlgItemText(12, QStringLiteral("1"));
    dialog.UpdateData(false);
    EXPECT_EQ(dialog.GetDlgItemText(11, 100), QStringLiteral("123456789012"));
}

TEST_F(CDialogTest, EnterClicksAFocusedButtonAndOtherwiseRunsOk) {
    TestDialog dialog;
    dialog.Create();
    dialog.Window()->show();
    dialog.GetDlgItem(10)->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(dialog.GetDlgItem(10), &enter);
    EXPECT_EQ(dialog.log.front(), "clicked 10");
    EXPECT_FALSE(dialog.IsEnded());

    dialog.SetDlgItemText(12, QStringLiteral("50"));
    dialog.GetDlgItem(11)->setFocus();
    QKeyEvent enter2(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(dialog.GetDlgItem(11), &enter2);
    EXPECT_TRUE(dialog.IsEnded());
    EXPECT_EQ(dialog.Result(), IDOK);
}

TEST_F(CDialogTest, EnterWithAFailingRuleKeepsTheDialogOpen) {
    TestDialog dialog;
    dialog.Create();
    dialog.SetDlgItemText(12, QStringLiteral("abc"));
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
    EXPECT_FALSE(dialog.IsEnded());
    EXPECT_EQ(services.messageBoxes.size(), 1u);
}

TEST_F(CDialogTest, EscAndTheCloseBoxEndWithCancelByDefault) {
    TestDialog esc;
    esc.Create();
    esc.Window()->show();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(esc.Window(), &key);
    EXPECT_TRUE(esc.IsEnded());
    EXPECT_EQ(esc.Result(), IDCANCEL);

    TestDialog closeBox;
    closeBox.Create();
    closeBox.Window()->show();
    closeBox.Window()->close();
    EXPECT_TRUE(closeBox.IsEnded());
    EXPECT_EQ(closeBox.Result(), IDCANCEL);
    EXPECT_EQ(closeBox.seen.back(), WM_CLOSE);
}

TEST_F(CDialogTest, ComboBindingIsRecorded) {
    TestDialog dialog;
    dialog.Create();
    CComboBox box;
    CDataExchange dx(dialog, false);
    DDX_Control(&dx, 40, box);
    EXPECT_EQ(dialog.GetBoundControl(40), BoundControl::ComboBox);
    EXPECT_EQ(dialog.GetBoundControl(11), BoundControl::None);
    box.AddString(QStringLiteral("Page"));
    EXPECT_EQ(box.GetCount(), 1);
}
