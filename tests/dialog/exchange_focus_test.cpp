// A validation box takes the focus from the edit box it is about. That
// focus-out must not run the field's leave handler as a second exchange:
// one mistake, one box, whether the window is closed, Exit or Enter is
// pressed, or the field is left.
#include "tests/dialog/dialog_fixture.h"

#include "platform/controls.h"
#include "resources/resource_ids.h"

namespace {

// The scripted services, with a message box that takes the focus from the
// quality field as a real one does (once: a box over a box takes it from
// the first box, not from the field).
class FocusTakingServices final : public PlatformServices {
public:
    FocusTakingServices(ScriptedPlatformServices& scripted, EditBox* field) : scripted_(scripted), field_(field) {}
    int MessageBox(QWidget* owner, const QString& text, const QString& caption, MessageBoxButtons buttons,
                   MessageBoxIcon icon) override {
        ++open_;
        if (open_ == 1) emit field_->focusLost();
        const int answer = scripted_.MessageBox(owner, text, caption, buttons, icon);
        --open_;
        return answer;
    }
    std::optional<QString> GetOpenFileName(QWidget* o, const FileDialogRequest& r) override {
        return scripted_.GetOpenFileName(o, r);
    }
    std::optional<QString> GetSaveFileName(QWidget* o, const FileDialogRequest& r) override {
        return scripted_.GetSaveFileName(o, r);
    }
    std::optional<FontChoice> ChooseFont(QWidget* o, const FontRequest& r) override { return scripted_.ChooseFont(o, r); }
    int TrackPopupMenu(const Menu& m, QPoint p, QWidget* o) override { return scripted_.TrackPopupMenu(m, p, o); }
    bool OpenUrl(const QString& url) override { return scripted_.OpenUrl(url); }
    bool StartProcess(const QString& p, const QStringList& a) override { return scripted_.StartProcess(p, a); }
    void BeginWaitCursor() override { scripted_.BeginWaitCursor(); }
    void EndWaitCursor() override { scripted_.EndWaitCursor(); }

private:
    ScriptedPlatformServices& scripted_;
    EditBox* field_;
    int open_ = 0;
};

class ExchangeFocusTest : public DialogTest {
protected:
    void typeLetters() {
        createDialog();
        auto* field = qobject_cast<EditBox*>(dialog->GetDlgItem(IDC_EDIT_QUALITY));
        ASSERT_NE(field, nullptr);
        focusTaking = std::make_unique<FocusTakingServices>(services, field);
        SetServices(focusTaking.get());
        dialog->SetDlgItemText(IDC_EDIT_QUALITY, QStringLiteral("abc"));
        // Only the boxes from here on count (a first run may report its
        // pictures folder).
        services.messageBoxes.clear();
    }
    std::string boxes() const { return services.messageTexts().join(" | ").toStdString(); }
    void TearDown() override {
        DialogTest::TearDown();
        focusTaking.reset();
    }
    std::unique_ptr<FocusTakingServices> focusTaking;
};

TEST_F(ExchangeFocusTest, CloseBoxShowsOneBox) {
    typeLetters();
    dialog->SendMessage(WM_CLOSE);
    EXPECT_EQ(boxes(), "Enter an integer.");
}

TEST_F(ExchangeFocusTest, ExitShowsOneBox) {
    typeLetters();
    click(IDC_BUTTON_EXIT);
    EXPECT_EQ(boxes(), "Enter an integer.");
}

TEST_F(ExchangeFocusTest, EnterShowsOneBox) {
    typeLetters();
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
    EXPECT_EQ(boxes(), "Enter an integer.");
    EXPECT_FALSE(dialog->IsEnded());
}

TEST_F(ExchangeFocusTest, LeavingTheFieldShowsOneBox) {
    typeLetters();
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_EDIT_QUALITY, EN_KILLFOCUS));
    EXPECT_EQ(boxes(), "Enter an integer.");
    // Outside an exchange the field's notifications are routed as before.
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_EDIT_QUALITY, EN_KILLFOCUS));
    EXPECT_EQ(boxes(), "Enter an integer. | Enter an integer.");
}

}  // namespace
