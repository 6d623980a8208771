#pragma once
// Dialog units: controls are placed in units of the dialog font, a quarter of
// its average character width across and an eighth of its height down, so
// that a dialog grows with its font.  The average width is measured as the
// original platform measures it: the width of the 52 letters A-Z a-z, halved
// twice over 26 with rounding.

#include <QFont>
#include <QRect>

struct DialogBaseUnits {
  int cx = 0;  // average character width, pixels
  int cy = 0;  // character height, pixels
};

// The font a dialog template asks for: the installed Japanese face for the
// Japanese Windows faces (FontMap.h), the family itself when it is
// installed, else the platform's sans-serif face of the same point size.
QFont DialogFont(const char* family, int pointSize);

// The base units of a font.
DialogBaseUnits BaseUnitsOf(const QFont& font);

// a * b / c rounded half away from zero; 0 when c is 0.
int MulDivRound(int a, int b, int c);

// A rectangle in dialog units as pixels.
QRect MapDialogRect(const DialogBaseUnits& units, int x, int y, int width, int height);
