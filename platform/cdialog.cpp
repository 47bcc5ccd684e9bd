#include "platform/cdialog.h"

#include "platform/controls.h"
#include "platform/data_exchange.h"
#include "platform/dialog_builder.h"
#include "platform/dialog_window.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

CDialog::CDialog(const DialogTemplate& dialogTemplate, QWidget* parent) : template_(dialogTemplate), parent_(parent) {}

CDialog::~CDialog() = default;

QWidget* CDialog::Window() const { return window_.get(); }

void CDialog::Create() {
    if (window_) return;
    window_ = std::make_unique<DialogWindow>(*this, parent_);
    window_->setWindowTitle(template_.caption);
    const BuiltControls built = BuildControls(template_, window_.get());
    window_->setFixedSize(built.clientSize);
    childOrder_ = built.children;
    for (const auto& [id, widget] : childOrder_) {
        if (id != IDC_STATIC && !controls_.count(id)) controls_[id] = widget;
    }
    connectNotifications();
    OnInitDialog();
}

int CDialog::DoModal() {
    Create();
    if (!ended_) window_->exec();
    return result_;
}

void CDialog::EndDialog(int result) {
    ended_ = true;
    result_ = result;
    if (window_) {
        window_->allowClose();
        window_->done(result);
    }
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::UpdateData(bool saveAndValidate) {
    struct Running {
        explicit Running(int& depth) : depth_(depth) { ++depth_; }
        ~Running() { --depth_; }
        Running(const Running&) = delete;
        Running& operator=(const Running&) = delete;
        int& depth_;
    } running(exchangeDepth_);
    CDataExchange dx(*this, saveAndValidate);
    DoDataExchange(&dx);
    return !dx.failed();
}

void CDialog::OnOK() {
    if (!UpdateData(true)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::connectNotifications() {
    for (const auto& [id, widget] : childOrder_) {
        if (id == IDC_STATIC) continue;
        const int controlId = id;
        const auto command = [this, controlId](int code) {
            SendMessage(WM_COMMAND, MAKEWPARAM(controlId, code));
        };
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            QObject::connect(button, &QAbstractButton::clicked, window_.get(), [command] { command(BN_CLICKED); });
        } else if (auto* edit = qobject_cast<EditBox*>(widget)) {
            QObject::connect(edit, &EditBox::focusLost, window_.get(), [command] { command(EN_KILLFOCUS); });
            QObject::connect(edit, &QLineEdit::textChanged, window_.get(), [command] { command(EN_UPDATE); });
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            QObject::connect(combo, &QComboBox::activated, window_.get(), [command] { command(CBN_SELCHANGE); });
        } else if (auto* slider = qobject_cast<TrackbarSlider*>(widget)) {
            QObject::connect(slider, &TrackbarSlider::captureReleased, window_.get(), [this, controlId] {
                SendMessage(WM_NOTIFY, static_cast<std::uint32_t>(controlId), NM_RELEASEDCAPTURE);
            });
        } else if (auto* surface = qobject_cast<PaintSurface*>(widget)) {
            surface->setPaintHook([this, controlId](QPainter& painter, const QRect& rect) {
                PaintContext context{&painter, rect, false};
                SendMessage(WM_PAINT, static_cast<std::uint32_t>(controlId), reinterpret_cast<std::intptr_t>(&context));
                return context.painted;
            });
        }
    }
}

std::intptr_t CDialog::SendMessage(std::uint32_t message, std::uint32_t wParam, std::intptr_t lParam) {
    // Messages can nest (a handler's message box lets others through);
    // each dispatch restores the state of the one it interrupted.
    const std::uint32_t outerMessage = currentMessage_;
    PaintContext* outerPaint = currentPaint_;
    currentMessage_ = message;
    currentPaint_ = message == WM_PAINT ? reinterpret_cast<PaintContext*>(lParam) : nullptr;
    const std::intptr_t result = WindowProc(message, wParam, lParam);
    currentMessage_ = outerMessage;
    currentPaint_ = outerPaint;
    return result;
}

std::intptr_t CDialog::WindowProc(std::uint32_t message, std::uint32_t wParam, std::intptr_t lParam) {
    return RouteMessage(message, wParam, lParam);
}

const CDialog::MessageMapEntry* CDialog::findEntry(std::uint32_t message, int id, int code) const {
    for (const MessageMapEntry& entry : messageMap_) {
        if (entry.message != message) continue;
        if (message == WM_COMMAND || message == WM_NOTIFY) {
            if (entry.id == id && entry.code == code) return &entry;
        } else {
            return &entry;
        }
    }
    return nullptr;
}

// A control's notification while a data exchange runs: dropped, as the
// classic framework does. Commands that come from no control (menus) pass.
bool CDialog::isLockedOut(std::uint32_t message, int id) const {
    if (exchangeDepth_ == 0) return false;
    if (message == WM_NOTIFY) return true;
    return message == WM_COMMAND && GetDlgItem(id) != nullptr;
}

std::intptr_t CDialog::RouteMessage(std::uint32_t message, std::uint32_t wParam, std::intptr_t lParam) {
    int id = 0;
    int code = 0;
    if (message == WM_COMMAND) {
        id = LOWORD(wParam);
        code = static_cast<std::int16_t>(HIWORD(wParam));
    } else if (message == WM_NOTIFY) {
        id = static_cast<int>(wParam);
        code = static_cast<int>(lParam);
    }
    if (isLockedOut(message, id)) return 0;
    if (const MessageMapEntry* entry = findEntry(message, id, code)) {
        notifyResult_ = 0;
        entry->handler();
        return notifyResult_;
    }
    if (message == WM_COMMAND && id == IDOK) OnOK();
    else if (message == WM_COMMAND && id == IDCANCEL) OnCancel();
    else Default();
    return 0;
}

void CDialog::Default() {
    if (currentMessage_ == WM_CLOSE) OnCancel();
}

QWidget* CDialog::GetDlgItem(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

void CDialog::SetDlgItemText(int id, const QString& text) {
    QWidget* w = GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w)) button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(w)) label->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(w)) group->setTitle(text);
}

QString CDialog::GetDlgItemText(int id, int maxCount) const {
    QWidget* w = GetDlgItem(id);
    QString text;
    if (auto* edit = qobject_cast<QLineEdit*>(w)) text = edit->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
    else if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
    else if (auto* group = qobject_cast<QGroupBox*>(w)) text = group->title();
    else if (auto* combo = qobject_cast<QComboBox*>(w)) text = combo->currentText();
    if (maxCount <= 0) return {};
    qsizetype n = std::min<qsizetype>(text.size(), maxCount - 1);
    if (n > 0 && n < text.size() && text.at(n - 1).isHighSurrogate()) --n;
    return text.left(n);
}

void CDialog::EnableDlgItem(int id, bool enable) {
    if (QWidget* w = GetDlgItem(id)) w->setEnabled(enable);
}

void CDialog::ShowDlgItem(int id, bool show) {
    if (QWidget* w = GetDlgItem(id)) w->setVisible(show);
}

bool CDialog::IsDlgItemEnabled(int id) const {
    QWidget* w = GetDlgItem(id);
    return w && w->isEnabled();
}

bool CDialog::IsDlgItemVisible(int id) const {
    QWidget* w = GetDlgItem(id);
    return w && !w->isHidden();
}

void CDialog::CheckRadioButton(int firstId, int lastId, int checkId) {
    for (int id = firstId; id <= lastId; ++id) {
        auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id));
        if (!button) continue;
        // An exclusive group refuses to uncheck its last checked button.
        QButtonGroup* group = button->group();
        const bool exclusive = group && group->exclusive();
        if (exclusive) group->setExclusive(false);
        button->setChecked(id == checkId);
        if (exclusive) group->setExclusive(true);
    }
}

bool CDialog::IsDlgButtonChecked(int id) const {
    auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id));
    return button && button->isChecked();
}

void CDialog::SetFocusTo(int id) {
    if (QWidget* w = GetDlgItem(id)) w->setFocus(Qt::OtherFocusReason);
}

void CDialog::GotoDlgCtrl(int id) {
    SetFocusTo(id);
    if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(id))) edit->selectAll();
}

void CDialog::SetWindowText(const QString& caption) {
    if (window_) window_->setWindowTitle(caption);
    template_.caption = caption;
}

QString CDialog::GetWindowText() const { return window_ ? window_->windowTitle() : template_.caption; }

void CDialog::SetFont(const QFont& font) {
    if (window_) window_->setFont(font);
}

QFont CDialog::GetFont() const { return window_ ? window_->font() : QFont(); }

void CDialog::SetItemFont(int id, const QFont& font) {
    if (QWidget* w = GetDlgItem(id)) {
        QFont own = font;
        own.setResolveMask(QFont::AllPropertiesResolved);
        w->setFont(own);
    }
}

QFont CDialog::GetItemFont(int id) const {
    QWidget* w = GetDlgItem(id);
    return w ? w->font() : QFont();
}

std::vector<int> CDialog::ChildIds() const {
    std::vector<int> ids;
    ids.reserve(childOrder_.size());
    for (const auto& [id, widget] : childOrder_) ids.push_back(id);
    return ids;
}

BoundControl CDialog::GetBoundControl(int id) const {
    const auto it = bound_.find(id);
    return it == bound_.end() ? BoundControl::None : it->second;
}
