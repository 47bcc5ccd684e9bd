#pragma once
// The application icon (icon resource 128).

#include <QIcon>

QIcon ApplicationIcon();
