#include "platform/controls.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>

void EditBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    emit focusLost();
}

bool EditBox::wouldExceedLimit(qsizetype inserted) const {
    if (typingLimit_ < 0 || inserted <= 0) return false;
    return text().size() - selectedText().size() + inserted > typingLimit_;
}

void EditBox::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        const QString pasted = QGuiApplication::clipboard()->text();
        if (wouldExceedLimit(pasted.size())) {
            const qsizetype room = typingLimit_ - (text().size() - selectedText().size());
            if (room > 0) insert(pasted.left(room));
            event->accept();
            return;
        }
    } else if (!event->text().isEmpty() && event->text().at(0).isPrint() && wouldExceedLimit(event->text().size())) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TrackbarSlider::mouseReleaseEvent(QMouseEvent* event) {
    QSlider::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) emit captureReleased();
}

void PaintSurface::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (hook_ && hook_(painter, rect())) return;
    painter.fillRect(rect(), Qt::black);
}

void CSliderCtrl::SetRange(int minimum, int maximum, bool) {
    if (slider_) slider_->setRange(minimum, maximum);
}

void CSliderCtrl::SetPos(int position) {
    if (slider_) slider_->setValue(position);  // the slider keeps it within range
}

int CSliderCtrl::GetPos() const { return slider_ ? slider_->value() : 0; }

void CComboBox::ResetContent() {
    if (box_) box_->clear();
}

int CComboBox::AddString(const QString& text) {
    if (!box_) return -1;
    box_->addItem(text);
    return box_->count() - 1;
}

int CComboBox::GetCount() const { return box_ ? box_->count() : 0; }

int CComboBox::GetCurSel() const { return box_ ? box_->currentIndex() : -1; }

void CComboBox::SetCurSel(int index) {
    if (box_) box_->setCurrentIndex(index);
}

QString CComboBox::GetLBText(int index) const { return box_ ? box_->itemText(index) : QString(); }
