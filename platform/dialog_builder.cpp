#include "platform/dialog_builder.h"

#include "platform/controls.h"
#include "platform/dialog_units.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

// Children are owned by the window (Qt parent ownership).
QWidget* createWidget(const ControlTemplate& c, QWidget* window, QButtonGroup*& radioGroup) {
    using namespace ControlStyle;
    switch (c.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* button = new QPushButton(c.text, window);
        // Enter is handled by the dialog itself, not by Qt's default button.
        button->setAutoDefault(false);
        button->setDefault(false);
        return button;
    }
    case ControlKind::StaticText: {
        auto* label = new QLabel(window);
        label->setTextFormat(Qt::PlainText);
        label->setText(c.text);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // Texts wrap only where the template leaves room for a second line.
        label->setWordWrap(c.height >= 16);
        return label;
    }
    case ControlKind::BlackFrame: return new PaintSurface(window);
    case ControlKind::Edit: {
        auto* edit = new EditBox(c.text, window);
        edit->setFrame(true);
        return edit;
    }
    case ControlKind::GroupBox: {
        auto* group = new QGroupBox(c.text, window);
        group->setFocusPolicy(Qt::NoFocus);
        return group;
    }
    case ControlKind::RadioButton: {
        auto* radio = new QRadioButton(c.text, window);
        if ((c.style & Group) || !radioGroup) {
            radioGroup = new QButtonGroup(window);
            radioGroup->setExclusive(true);
        }
        radioGroup->addButton(radio, c.id);
        return radio;
    }
    case ControlKind::Trackbar: {
        auto* slider = new TrackbarSlider(Qt::Horizontal, window);
        slider->setTickPosition((c.style & NoTicks) ? QSlider::NoTicks : QSlider::TicksBelow);
        return slider;
    }
    case ControlKind::DropDownList: {
        auto* combo = new QComboBox(window);
        combo->setEditable(false);
        return combo;
    }
    case ControlKind::StaticIcon: {
        auto* label = new QLabel(window);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    }
    return new QWidget(window);
}

void applyCommonStyle(const ControlTemplate& c, QWidget* widget, const QFont& templateFont) {
    using namespace ControlStyle;
    const bool takesFocus = c.kind != ControlKind::StaticText && c.kind != ControlKind::GroupBox &&
                            c.kind != ControlKind::BlackFrame && c.kind != ControlKind::StaticIcon;
    if (!takesFocus) {
        widget->setFocusPolicy(Qt::NoFocus);
    } else {
        const bool tabStop = (c.style & TabStop) || c.kind == ControlKind::RadioButton;
        widget->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
    }
    widget->setEnabled(!(c.style & Disabled));
    // Every control keeps the template's font when the window's font changes
    // later (Qt would otherwise pass a window font on to its children).
    QFont own = templateFont;
    own.setResolveMask(QFont::AllPropertiesResolved);
    widget->setFont(own);
}

// Drop-down lists are as tall as one line; the template's height is that of
// the opened list.
QRect placeControl(const ControlTemplate& c, const DialogBaseUnits& base, QWidget* widget) {
    QRect r = DialogUnitsToPixels(base, c.x, c.y, c.width, c.height);
    if (c.kind == ControlKind::DropDownList) r.setHeight(widget->sizeHint().height());
    return r;
}

}  // namespace

BuiltControls BuildControls(const DialogTemplate& dialogTemplate, QWidget* window) {
    const QFont templateFont = window->font();
    const DialogBaseUnits base = BaseUnitsForFont(templateFont);
    BuiltControls built;
    QButtonGroup* radioGroup = nullptr;
    QWidget* previous = nullptr;
    for (const ControlTemplate& c : dialogTemplate.controls) {
        if (c.kind != ControlKind::RadioButton) radioGroup = nullptr;
        QWidget* widget = createWidget(c, window, radioGroup);
        applyCommonStyle(c, widget, templateFont);
        widget->setGeometry(placeControl(c, base, widget));
        if (c.kind == ControlKind::StaticIcon) {
            const QRect r = widget->geometry();
            static_cast<QLabel*>(widget)->setPixmap(QApplication::windowIcon().pixmap(r.size()));
        }
        if (c.style & ControlStyle::Hidden) widget->hide();
        if (previous && widget->focusPolicy() != Qt::NoFocus) QWidget::setTabOrder(previous, widget);
        if (widget->focusPolicy() != Qt::NoFocus) previous = widget;
        built.children.emplace_back(c.id, widget);
    }
    const QRect client = DialogUnitsToPixels(base, 0, 0, dialogTemplate.width, dialogTemplate.height);
    built.clientSize = client.size();
    return built;
}
