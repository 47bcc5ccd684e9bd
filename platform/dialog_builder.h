#pragma once
// Turns a dialog template into widgets on a window: one widget per control,
// placed by dialog units computed from the window's font, in template order
// (which is the tab order). Radio buttons are grouped from each button that
// starts a group to the next one.

#include "platform/dialog_template.h"

#include <QSize>

#include <utility>
#include <vector>

class QWidget;

struct BuiltControls {
    std::vector<std::pair<int, QWidget*>> children;  // template order
    QSize clientSize;
};

BuiltControls BuildControls(const DialogTemplate& dialogTemplate, QWidget* window);
