#pragma once
// CDialog: a dialog built from a template, addressed by control identifiers,
// with a message map. Qt's signals and events arrive as the classic messages
// (WM_COMMAND with BN_CLICKED, EN_KILLFOCUS, EN_UPDATE, CBN_SELCHANGE;
// WM_NOTIFY with NM_RELEASEDCAPTURE; WM_CLOSE, WM_PAINT, WM_RBUTTONUP) and
// pass through WindowProc first, then through the message map.
//
// Enter on a focused push button clicks it; Enter anywhere else is the OK
// command (OnOK), Esc the Cancel command (OnCancel).

#include "platform/dialog_template.h"
#include "platform/win_types.h"

#include <QFont>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class CDataExchange;
class DialogWindow;
class QPainter;
class QWidget;

// What a WM_PAINT message carries: the painter on the control being painted.
struct PaintContext {
    QPainter* painter = nullptr;
    QRect clientRect;
    bool painted = false;  // set by a handler that drew the whole surface
};

// The kinds of control object a dialog can hold for a control (the data
// exchange's control binding); translation treats bound controls specially.
enum class BoundControl { None, Edit, ListView, SpinButton, ComboBox, Slider };

class CDialog {
public:
    explicit CDialog(const DialogTemplate& dialogTemplate, QWidget* parent = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Builds the window from the template and runs OnInitDialog; once.
    void Create();
    // Create, then run modally until EndDialog. Returns the end result.
    int DoModal();
    void EndDialog(int result);
    bool IsEnded() const { return ended_; }
    int Result() const { return result_; }

    // The data exchange: true takes values from the controls (and validates),
    // false puts the held values into the controls. False when a rule failed.
    // While it runs, notifications from the controls are not routed: setting
    // a text, or a validation box taking the focus from an edit box, must not
    // run handlers that start another exchange (and show a second box).
    bool UpdateData(bool saveAndValidate = true);
    bool IsExchanging() const { return exchangeDepth_ > 0; }

    QWidget* GetDlgItem(int id) const;
    void SetDlgItemText(int id, const QString& text);
    // At most maxCount - 1 characters, as a buffer of maxCount would hold.
    QString GetDlgItemText(int id, int maxCount) const;
    void EnableDlgItem(int id, bool enable);
    void ShowDlgItem(int id, bool show);
    bool IsDlgItemEnabled(int id) const;
    bool IsDlgItemVisible(int id) const;  // shown (as far as the dialog is)
    // Checks checkId and unchecks the others in [firstId, lastId]; a checkId
    // outside the range unchecks all.
    void CheckRadioButton(int firstId, int lastId, int checkId);
    bool IsDlgButtonChecked(int id) const;
    // Focus to the control; an edit box gets its whole text selected.
    void GotoDlgCtrl(int id);
    void SetFocusTo(int id);

    void SetWindowText(const QString& caption);
    QString GetWindowText() const;
    // The dialog window's own font (the one its texts are shown in when a
    // control has none of its own), and a control's font.
    void SetFont(const QFont& font);
    QFont GetFont() const;
    void SetItemFont(int id, const QFont& font);
    QFont GetItemFont(int id) const;

    // The identifiers of the child controls in window (template) order;
    // controls without an identifier of their own report IDC_STATIC.
    std::vector<int> ChildIds() const;
    const DialogTemplate& Template() const { return template_; }
    int TemplateId() const { return template_.id; }
    QWidget* Window() const;
    bool IsCreated() const { return window_ != nullptr; }

    void BindControl(int id, BoundControl kind) { bound_[id] = kind; }
    BoundControl GetBoundControl(int id) const;

    // Delivers a message to WindowProc, as the window system would.
    std::intptr_t SendMessage(std::uint32_t message, std::uint32_t wParam = 0, std::intptr_t lParam = 0);

protected:
    struct MessageMapEntry {
        std::uint32_t message;
        int id;    // control or command identifier; ignored for window messages
        int code;  // notification code; ignored for window messages
        std::function<void()> handler;
    };

    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual std::intptr_t WindowProc(std::uint32_t message, std::uint32_t wParam, std::intptr_t lParam);
    virtual void OnOK();
    virtual void OnCancel();

    void SetMessageMap(std::vector<MessageMapEntry> map) { messageMap_ = std::move(map); }
    // The framework's own handling of the message being dispatched: WM_CLOSE
    // ends the dialog with IDCANCEL; everything else does nothing.
    void Default();
    // The paint context of the WM_PAINT being handled, or nullptr.
    PaintContext* CurrentPaint() const { return currentPaint_; }
    // The result slot of the WM_NOTIFY being handled.
    void SetNotifyResult(std::intptr_t result) { notifyResult_ = result; }

    // Routing through the message map, then the framework defaults.
    std::intptr_t RouteMessage(std::uint32_t message, std::uint32_t wParam, std::intptr_t lParam);

private:
    friend class DialogWindow;
    const MessageMapEntry* findEntry(std::uint32_t message, int id, int code) const;
    bool isLockedOut(std::uint32_t message, int id) const;
    void connectNotifications();

    DialogTemplate template_;
    QWidget* parent_;
    std::unique_ptr<DialogWindow> window_;
    std::map<int, QWidget*> controls_;
    std::vector<std::pair<int, QWidget*>> childOrder_;
    std::map<int, BoundControl> bound_;
    std::vector<MessageMapEntry> messageMap_;
    std::uint32_t currentMessage_ = 0;
    PaintContext* currentPaint_ = nullptr;
    std::intptr_t notifyResult_ = 0;
    int exchangeDepth_ = 0;  // data exchanges running (they can nest)
    bool ended_ = false;
    int result_ = 0;
};
