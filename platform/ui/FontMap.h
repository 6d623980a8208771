#pragma once
// Windows font faces on this desktop.  The extension's resources and drawing
// code name the Japanese Windows faces ("MS UI Gothic", "ＭＳ Ｐゴシック",
// "ＭＳ ゴシック", "MS Gothic", "MS PGothic"); they are shown with the installed
// Japanese Gothic faces: the proportional one (IPAPGothic) for proportional
// faces and the fixed-pitch one (IPAGothic) for fixed faces, else any
// installed family that writes Japanese, else the sans-serif face.

#include <QFont>
#include <QString>

#include <string_view>

// Windows font weights.
inline constexpr int FW_NORMAL = 400;
inline constexpr int FW_BOLD = 700;

// The installed family that stands for the Windows face `face` (given in
// UTF-8 or in ANSI bytes), or an empty string when `face` is not one of the
// Japanese Windows faces above (compared without regard to case or to
// full-width letters).
QString MapFontFace(std::string_view face);

// A font like the one Windows makes from a LOGFONT with this face, height
// and weight: a positive height is the character cell in pixels (ascent plus
// descent), a negative one the character height without internal leading,
// 0 the default of 12; weight 400 is normal, 700 bold.  Glyphs are drawn
// without anti-aliasing, as the draft-quality bitmap faces are.  Faces that
// are not mapped are used as given when installed, else the sans-serif face.
QFont MakeWindowsFont(std::string_view face, int height, int weight);
