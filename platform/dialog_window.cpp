#include "platform/dialog_window.h"

#include "platform/cdialog.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

DialogWindow::DialogWindow(CDialog& owner, QWidget* parent) : QDialog(parent), owner_(owner) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
}

void DialogWindow::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    // The close box: the dialog decides (its WM_CLOSE handler may end it).
    event->ignore();
    owner_.SendMessage(WM_CLOSE);
}

void DialogWindow::reject() {
    // QDialog calls reject() for Esc and for some window-manager closes; both
    // are routed as messages instead.
    if (closing_) {
        QDialog::reject();
        return;
    }
    owner_.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
}

void DialogWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
        } else {
            owner_.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
        }
        event->accept();
        return;
    case Qt::Key_Escape:
        owner_.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
        event->accept();
        return;
    default: QDialog::keyPressEvent(event);
    }
}

// The popup menu belongs to the dialog's own surface, its labels, group boxes
// and pictures; edit boxes, buttons and lists keep the right button.
bool DialogWindow::opensPopupAt(const QPoint& pos) const {
    QWidget* child = childAt(pos);
    if (!child) return true;
    for (QWidget* w = child; w && w != this; w = w->parentWidget()) {
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w)) return false;
    }
    return true;
}

void DialogWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && opensPopupAt(event->position().toPoint())) {
        const QPoint p = event->position().toPoint();
        owner_.SendMessage(WM_RBUTTONUP, 0, static_cast<std::intptr_t>(MAKELPARAM(p.x(), p.y())));
        event->accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}
