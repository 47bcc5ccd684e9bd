#pragma once
// The widgets a template builds, where plain Qt widgets do not send the
// notifications the dialogs route: an edit box that reports losing the focus,
// a trackbar that reports the release of the mouse, a surface that lets the
// dialog paint it. Also the thin control wrappers the dialogs bind
// (CSliderCtrl, CComboBox).

#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QWidget>

#include <functional>

class EditBox : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
    // Typing and pasting stop at this many characters; text set by the
    // program is never cut (unlike QLineEdit's maximum length).
    void setTypingLimit(int limit) { typingLimit_ = limit; }
    int typingLimit() const { return typingLimit_; }
signals:
    void focusLost();
protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
private:
    bool wouldExceedLimit(qsizetype inserted) const;
    int typingLimit_ = -1;
};

class TrackbarSlider : public QSlider {
    Q_OBJECT
public:
    using QSlider::QSlider;
signals:
    // After a drag or a click on the groove, once the position has changed.
    void captureReleased();
protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A black rectangle. When a painter is set it draws the contents instead;
// returning false from it falls back to the black fill.
class PaintSurface : public QWidget {
    Q_OBJECT
public:
    using PaintHook = std::function<bool(QPainter&, const QRect&)>;
    explicit PaintSurface(QWidget* parent) : QWidget(parent) {}
    void setPaintHook(PaintHook hook) { hook_ = std::move(hook); }
protected:
    void paintEvent(QPaintEvent* event) override;
private:
    PaintHook hook_;
};

class CSliderCtrl {
public:
    void Attach(QSlider* slider) { slider_ = slider; }
    bool IsAttached() const { return slider_ != nullptr; }
    void SetRange(int minimum, int maximum, bool redraw = false);
    void SetPos(int position);
    int GetPos() const;
    QSlider* widget() const { return slider_; }
private:
    QSlider* slider_ = nullptr;
};

class CComboBox {
public:
    void Attach(QComboBox* box) { box_ = box; }
    bool IsAttached() const { return box_ != nullptr; }
    void ResetContent();
    int AddString(const QString& text);
    int GetCount() const;
    int GetCurSel() const;  // -1 when nothing is selected
    void SetCurSel(int index);
    QString GetLBText(int index) const;
    QComboBox* widget() const { return box_; }
private:
    QComboBox* box_ = nullptr;
};
