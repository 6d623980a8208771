// Pixel-exact drawing over a QPainter with the original system's drawing
// model.

#include "platform/ui/PaintDC.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/ui/UiText.h"

namespace {

// One line of DrawText: what is shown and the character to underline.
struct ShownLine {
  QString text;
  int underline = -1;
};

ShownLine StripPrefixes(const QString& line, bool prefixes) {
  ShownLine shown;
  if (!prefixes) {
    shown.text = line;
    return shown;
  }
  for (qsizetype i = 0; i < line.size(); ++i) {
    if (line[i] == QLatin1Char('&') && i + 1 < line.size()) {
      ++i;
      if (line[i] != QLatin1Char('&')) shown.underline = static_cast<int>(shown.text.size());
    } else if (line[i] == QLatin1Char('&')) {
      continue;  // a lone '&' at the end shows nothing
    }
    shown.text += line[i];
  }
  return shown;
}

// Cuts the line so that it and "..." fit into `width`.
void Ellipsize(ShownLine& line, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(line.text) <= width) return;
  const QString dots = QStringLiteral("...");
  qsizetype keep = line.text.size();
  while (keep > 0 && metrics.horizontalAdvance(line.text.left(keep) + dots) > width) --keep;
  // Never split a surrogate pair.
  if (keep > 0 && line.text[keep - 1].isHighSurrogate()) --keep;
  line.text = line.text.left(keep) + dots;
  if (line.underline >= keep) line.underline = -1;
}

// i * d / n rounded to the nearest integer, halves away from zero.
int Step(int i, int d, int n) {
  int twice = 2 * i * d;
  return twice >= 0 ? (twice + n) / (2 * n) : -((-twice + n) / (2 * n));
}

}  // namespace

COLORREF GetSysColor(int index, const QPalette& palette) {
  QPalette::ColorRole role;
  switch (index) {
    case COLOR_WINDOW: role = QPalette::Base; break;
    case COLOR_WINDOWTEXT: role = QPalette::WindowText; break;
    case COLOR_HIGHLIGHT: role = QPalette::Highlight; break;
    case COLOR_HIGHLIGHTTEXT: role = QPalette::HighlightedText; break;
    case COLOR_BTNFACE: role = QPalette::Button; break;
    case COLOR_BTNSHADOW: role = QPalette::Dark; break;
    case COLOR_BTNTEXT: role = QPalette::ButtonText; break;
    case COLOR_BTNHIGHLIGHT: role = QPalette::Light; break;
    case COLOR_3DDKSHADOW: role = QPalette::Shadow; break;
    case COLOR_3DLIGHT: role = QPalette::Midlight; break;
    default: return RGB(0, 0, 0);
  }
  return ToColorRef(palette.color(QPalette::Active, role));
}

COLORREF GetSysColor(int index, const QWidget* widget) {
  return GetSysColor(index, widget != nullptr ? widget->palette() : QPalette());
}

CPaintDC::CPaintDC(QWidget* widget) : m_painter(widget), m_palette(widget->palette()) {
  m_font = widget->font();
  Init();
}

CPaintDC::CPaintDC(QPaintDevice* device, const QPalette& palette)
    : m_painter(device), m_palette(palette) {
  Init();
}

CPaintDC::~CPaintDC() = default;

void CPaintDC::Init() {
  m_painter.setRenderHint(QPainter::Antialiasing, false);
  m_painter.setRenderHint(QPainter::TextAntialiasing, false);
  m_painter.setFont(m_font);
}

COLORREF CPaintDC::GetSysColor(int index) const { return ::GetSysColor(index, m_palette); }

COLORREF CPaintDC::SelectPen(COLORREF colour) { return std::exchange(m_pen, colour); }

QFont CPaintDC::SelectFont(const QFont& font) {
  QFont previous = m_font;
  m_font = font;
  m_painter.setFont(m_font);
  return previous;
}

COLORREF CPaintDC::SetTextColor(COLORREF colour) { return std::exchange(m_textColour, colour); }
COLORREF CPaintDC::SetBkColor(COLORREF colour) { return std::exchange(m_bkColour, colour); }
int CPaintDC::SetBkMode(int mode) { return std::exchange(m_bkMode, mode); }

QPoint CPaintDC::MoveTo(int x, int y) { return std::exchange(m_position, QPoint(x, y)); }

void CPaintDC::Pixel(int x, int y, const QColor& colour) { m_painter.fillRect(x, y, 1, 1, colour); }

void CPaintDC::LineTo(int x, int y) {
  const QPoint from = std::exchange(m_position, QPoint(x, y));
  const QColor colour = ToQColor(m_pen);
  const int dx = x - from.x();
  const int dy = y - from.y();
  if (dy == 0 && dx != 0) {
    int left = dx > 0 ? from.x() : x + 1;
    m_painter.fillRect(left, y, std::abs(dx), 1, colour);
    return;
  }
  if (dx == 0 && dy != 0) {
    int top = dy > 0 ? from.y() : y + 1;
    m_painter.fillRect(x, top, 1, std::abs(dy), colour);
    return;
  }
  const int steps = std::max(std::abs(dx), std::abs(dy));
  for (int i = 0; i < steps; ++i) {
    Pixel(from.x() + Step(i, dx, steps), from.y() + Step(i, dy, steps), colour);
  }
}

void CPaintDC::FillSolidRect(const QRect& rect, COLORREF colour) {
  if (rect.width() > 0 && rect.height() > 0) m_painter.fillRect(rect, ToQColor(colour));
}

void CPaintDC::Draw3dRect(const QRect& rect, COLORREF topLeft, COLORREF bottomRight) {
  const int x = rect.x(), y = rect.y(), cx = rect.width(), cy = rect.height();
  FillSolidRect(QRect(x, y, cx - 1, 1), topLeft);
  FillSolidRect(QRect(x, y, 1, cy - 1), topLeft);
  FillSolidRect(QRect(x + cx - 1, y, 1, cy), bottomRight);
  FillSolidRect(QRect(x, y + cy - 1, cx, 1), bottomRight);
}

int CPaintDC::DrawText(const std::string& ansi, const QRect& rect, unsigned flags) {
  const QFontMetrics metrics = m_painter.fontMetrics();
  const int lineHeight = metrics.height();
  QStringList lines;
  QString text = AnsiToQString(ansi);
  if (flags & DT_SINGLELINE) {
    lines << text;
  } else {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines = text.split(QLatin1Char('\n'));
  }

  m_painter.save();
  if (!(flags & DT_NOCLIP)) m_painter.setClipRect(rect, Qt::IntersectClip);
  int y = rect.y();
  if (flags & DT_SINGLELINE) {
    if (flags & DT_VCENTER) {
      y = rect.y() + (rect.height() - lineHeight) / 2;
    } else if (flags & DT_BOTTOM) {
      y = rect.y() + rect.height() - lineHeight;
    }
  }
  for (const QString& line : lines) {
    ShownLine shown = StripPrefixes(line, !(flags & DT_NOPREFIX));
    if (flags & DT_END_ELLIPSIS) Ellipsize(shown, metrics, rect.width());
    const int width = metrics.horizontalAdvance(shown.text);
    int x = rect.x();
    if (flags & DT_CENTER) {
      x = rect.x() + (rect.width() - width) / 2;
    } else if (flags & DT_RIGHT) {
      x = rect.x() + rect.width() - width;
    }
    if (m_bkMode == OPAQUE) m_painter.fillRect(x, y, width, lineHeight, ToQColor(m_bkColour));
    m_painter.setPen(ToQColor(m_textColour));
    const int baseline = y + metrics.ascent();
    m_painter.drawText(QPoint(x, baseline), shown.text);
    if (shown.underline >= 0) {
      int start = metrics.horizontalAdvance(shown.text.left(shown.underline));
      int length = metrics.horizontalAdvance(shown.text.mid(shown.underline, 1));
      int offset = std::max(1, metrics.underlinePos());
      m_painter.fillRect(x + start, baseline + offset, length, std::max(1, metrics.lineWidth()),
                         ToQColor(m_textColour));
    }
    y += lineHeight;
  }
  m_painter.restore();
  return lineHeight * static_cast<int>(lines.size());
}

QSize CPaintDC::GetTextExtent(const std::string& ansi) const {
  QFontMetrics metrics(m_font, m_painter.device());
  return QSize(metrics.horizontalAdvance(AnsiToQString(ansi)), metrics.height());
}

void CPaintDC::DrawFocusRect(const QRect& rect) {
  if (rect.width() <= 0 || rect.height() <= 0) return;
  const int left = rect.x(), top = rect.y();
  const int right = left + rect.width() - 1, bottom = top + rect.height() - 1;
  std::vector<QPoint> dots;
  for (int x = left; x <= right; ++x) {
    dots.emplace_back(x, top);
    if (bottom > top) dots.emplace_back(x, bottom);
  }
  for (int y = top + 1; y < bottom; ++y) {
    dots.emplace_back(left, y);
    if (right > left) dots.emplace_back(right, y);
  }
  m_painter.save();
  m_painter.setCompositionMode(QPainter::CompositionMode_Difference);
  for (const QPoint& dot : dots) {
    if (((dot.x() + dot.y()) & 1) == 0) m_painter.fillRect(dot.x(), dot.y(), 1, 1, Qt::white);
  }
  m_painter.restore();
}

void CPaintDC::InvertRect(const QRect& rect) {
  if (rect.width() <= 0 || rect.height() <= 0) return;
  m_painter.save();
  m_painter.setCompositionMode(QPainter::CompositionMode_Difference);
  m_painter.fillRect(rect, Qt::white);
  m_painter.restore();
}
