#pragma once
// The application icon (icon resource IDR_MAINFRAME).

#include <QIcon>

QIcon ApplicationIcon();
