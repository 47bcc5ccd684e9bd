#pragma once
// The Qt window behind a CDialog: turns Qt's close, key and mouse events into
// the dialog's messages.

#include <QDialog>

class CDialog;

class DialogWindow final : public QDialog {
    Q_OBJECT
public:
    DialogWindow(CDialog& owner, QWidget* parent);
    // Set while the dialog ends itself, so the close that follows is let through.
    void allowClose() { closing_ = true; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void reject() override;

private:
    bool opensPopupAt(const QPoint& pos) const;
    CDialog& owner_;
    bool closing_ = false;
};
