#pragma once
// A font chooser with effects: face, style, size, underline, strike-out and a
// colour, started from a LOGFONTW description.

#include "platform/platform_services.h"

#include <optional>

std::optional<FontChoice> RunFontChooser(QWidget* owner, const FontRequest& request);
