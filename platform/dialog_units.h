#pragma once
// Dialog units: the layout grid of dialog templates. The base units come from
// the dialog's font (the average width of A-Z a-z, and the font's height); a
// horizontal unit is a quarter of the base width, a vertical one an eighth of
// the base height, so a template keeps its proportions at any font size.

#include <QFont>
#include <QRect>

struct DialogBaseUnits {
    int x = 0;
    int y = 0;
};

DialogBaseUnits BaseUnitsForFont(const QFont& font);
// MulDiv-style rounding, as the classic layout engine does.
QRect DialogUnitsToPixels(const DialogBaseUnits& base, int x, int y, int width, int height);
