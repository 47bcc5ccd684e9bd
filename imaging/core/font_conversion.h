#pragma once
// Turns LOGFONTW descriptions into Qt fonts and back. Pixel heights are taken
// at 96 DPI, the resolution the descriptions are written for.

#include "imaging/core/logfont.h"

#include <QFont>

QFont FontFromLogFont(const LOGFONTW& lf);
LOGFONTW LogFontFromFont(const QFont& font);
