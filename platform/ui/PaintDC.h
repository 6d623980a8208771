#pragma once
// Custom drawing with the drawing model of the original windowing system,
// over a QPainter: colours as COLORREF values (0x00BBGGRR), the system
// colours of the widget's palette, a current 1-pixel pen with MoveTo/LineTo
// (the end point of a line is not drawn), solid fills, 3-D frames, text in
// ANSI bytes with alignment flags, '&' mnemonics and end ellipsis, focus
// rectangles and inversion.  Everything is drawn pixel-exact (no
// anti-aliasing of lines and fills).
//
// Rectangles are QRects: the rectangle (left, top, right, bottom) of the
// original system, whose right and bottom edges lie outside it, is
// WinRect(left, top, right, bottom) = QRect(left, top, right - left,
// bottom - top); x() + width() is its right edge.

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPalette>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <string>

class QPaintDevice;
class QWidget;

using COLORREF = std::uint32_t;

constexpr COLORREF RGB(int r, int g, int b) {
  return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) { return static_cast<int>(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); }

inline QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
inline COLORREF ToColorRef(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

// A rectangle given by its edges, right and bottom outside it.
inline QRect WinRect(int left, int top, int right, int bottom) {
  return QRect(left, top, right - left, bottom - top);
}

// System colour indexes.
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;
inline constexpr int COLOR_3DDKSHADOW = 21;
inline constexpr int COLOR_3DLIGHT = 22;

// The system colour `index` from the palette of `widget` (the application's
// palette when null): button face, shadow, highlight and so on map to the
// palette's button, dark, light roles.  Black for an unknown index.
COLORREF GetSysColor(int index, const QWidget* widget = nullptr);
COLORREF GetSysColor(int index, const QPalette& palette);

// DrawText flags.
inline constexpr unsigned DT_LEFT = 0x0000;
inline constexpr unsigned DT_TOP = 0x0000;
inline constexpr unsigned DT_CENTER = 0x0001;
inline constexpr unsigned DT_RIGHT = 0x0002;
inline constexpr unsigned DT_VCENTER = 0x0004;
inline constexpr unsigned DT_BOTTOM = 0x0008;
inline constexpr unsigned DT_SINGLELINE = 0x0020;
inline constexpr unsigned DT_NOCLIP = 0x0100;
inline constexpr unsigned DT_NOPREFIX = 0x0800;
inline constexpr unsigned DT_END_ELLIPSIS = 0x8000;

// Background modes for text.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

class CPaintDC {
 public:
  // Paints on `widget` (inside its paintEvent) with the widget's palette
  // and font.
  explicit CPaintDC(QWidget* widget);
  // Paints on any device (an image in tests) with the given palette.
  CPaintDC(QPaintDevice* device, const QPalette& palette);
  ~CPaintDC();
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;

  QPainter& Painter() { return m_painter; }
  COLORREF GetSysColor(int index) const;

  // The current pen is a 1-pixel solid pen of this colour; returns the
  // colour of the pen it replaces (black at first).
  COLORREF SelectPen(COLORREF colour);
  // Returns the font it replaces.
  QFont SelectFont(const QFont& font);
  const QFont& Font() const { return m_font; }

  // Each returns the previous setting.  At first: black text, white
  // background, opaque.
  COLORREF SetTextColor(COLORREF colour);
  COLORREF SetBkColor(COLORREF colour);
  int SetBkMode(int mode);

  // Moves the current position; returns the previous one.
  QPoint MoveTo(int x, int y);
  // Draws with the current pen from the current position up to, but not
  // including, (x, y), which becomes the current position.
  void LineTo(int x, int y);

  void FillSolidRect(const QRect& rect, COLORREF colour);
  // A frame inside `rect`: top and left in `topLeft`, bottom and right in
  // `bottomRight` (which owns the top-right and bottom-left corners).
  void Draw3dRect(const QRect& rect, COLORREF topLeft, COLORREF bottomRight);

  // Draws ANSI text in `rect` with DT_ flags and returns the height of the
  // text drawn.  Unless DT_NOPREFIX, '&' underlines the next character and
  // "&&" shows one '&'.  DT_VCENTER and DT_BOTTOM apply to single lines;
  // without DT_SINGLELINE, line breaks ("\r\n" or "\n") start new lines.
  // DT_END_ELLIPSIS ends a line that does not fit with "...".  The text is
  // clipped to `rect` unless DT_NOCLIP.  In opaque mode the text's cells
  // are filled with the background colour first.
  int DrawText(const std::string& ansi, const QRect& rect, unsigned flags);
  // Width and height of the ANSI text in the current font, every character
  // counted ('&' too).
  QSize GetTextExtent(const std::string& ansi) const;

  // The dotted focus frame inside `rect`, drawn by inverting every other
  // pixel, so drawing it twice removes it.
  void DrawFocusRect(const QRect& rect);
  // Inverts the colours of every pixel of `rect`.
  void InvertRect(const QRect& rect);

 private:
  void Init();
  void Pixel(int x, int y, const QColor& colour);

  QPainter m_painter;
  QPalette m_palette;
  QFont m_font;
  COLORREF m_pen = 0;
  COLORREF m_textColour = 0;
  COLORREF m_bkColour = 0xFFFFFF;
  int m_bkMode = OPAQUE;
  QPoint m_position;
};
