// The link tab strip: tabs on the left, the maker link on the right, all
// drawn by the strip itself.

#include "viewer/TabLinkCtrl.h"

#include <QMouseEvent>

#include <algorithm>

#include "platform/ui/FontMap.h"
#include "platform/ui/ResourceImages.h"
#include "platform/ui/ShellOpen.h"
#include "resources/extension/ExtensionModule.h"

namespace {

// The fonts of the strip; the link face is "ＭＳ Ｐゴシック" in ANSI bytes.
constexpr const char* kTabFace = "MS UI Gothic";
constexpr const char* kLinkFace = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";
constexpr int kFontHeight = 12;

constexpr unsigned kCaptionFlags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
constexpr unsigned kLinkFlags = DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;

int Clamp255(int value) { return std::clamp(value, 0, 255); }

}  // namespace

CTabLinkCtrl::CTabLinkCtrl()
    : m_tabFont(MakeWindowsFont(kTabFace, kFontHeight, FW_NORMAL)),
      m_linkFont(MakeWindowsFont(kLinkFace, kFontHeight, FW_BOLD)),
      m_backColour(GetSysColor(COLOR_BTNFACE, this)),
      m_blackPen(RGB(0, 0, 0)),
      m_shadowPen(GetSysColor(COLOR_BTNSHADOW, this)),
      m_highlightPen(GetSysColor(COLOR_BTNHIGHLIGHT, this)) {
  setFocusPolicy(Qt::TabFocus);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

CTabLinkCtrl::~CTabLinkCtrl() = default;

COLORREF CTabLinkCtrl::ShadeColor(COLORREF colour, int delta) {
  const int red = GetRValue(colour), green = GetGValue(colour), blue = GetBValue(colour);
  if (green == 0) return RGB(Clamp255(red + delta), Clamp255(delta), Clamp255(blue + delta));
  const int newGreen = Clamp255(green + delta);
  return RGB(Clamp255(red * newGreen / green), newGreen, Clamp255(newGreen * blue / green));
}

bool CTabLinkCtrl::Create(int id, const QRect& rect, QWidget* parent) {
  if (parent == nullptr) return false;
  m_id = id;
  setObjectName(QStringLiteral("item%1").arg(id));
  setParent(parent);
  setGeometry(rect);
  show();
  return true;
}

void CTabLinkCtrl::SetBackColor(COLORREF colour) {
  m_backColour = colour;
  update();
}

void CTabLinkCtrl::SetLinkCursor(int cursorId) { m_linkCursor = cursorId; }

void CTabLinkCtrl::SetLink(const std::string& text, const std::string& target) {
  m_linkText = text;
  m_linkTarget = target;
  update();
}

void CTabLinkCtrl::AddTab(const std::string& caption) {
  m_tabs.push_back({caption, QRect()});
  update();
}

int CTabLinkCtrl::SetCurSel(int index) {
  const int previous = m_current;
  if (index == previous) return previous;
  m_current = index;
  update();
  PostWindowMessage(parentWidget(), WM_TLC_SELCHANGE, index, previous);
  return previous;
}

QRect CTabLinkCtrl::TabRect(int index) const {
  if (index < 0 || index >= TabCount()) return QRect();
  return m_tabs[static_cast<std::size_t>(index)].rect;
}

void CTabLinkCtrl::paintEvent(QPaintEvent*) {
  CPaintDC dc(this);
  const int width = this->width();
  dc.FillSolidRect(rect(), m_backColour);
  dc.SelectFont(m_tabFont);
  dc.SelectPen(m_blackPen);

  // The strip's top edge: a light pixel, the shadow, a dark end, then a
  // black line and two lines in darker shades of the background.
  dc.MoveTo(0, 0);
  dc.SelectPen(m_highlightPen);
  dc.LineTo(1, 0);
  dc.SelectPen(m_shadowPen);
  dc.LineTo(width - 1, 0);
  dc.SelectPen(m_blackPen);
  dc.LineTo(width, 0);
  dc.MoveTo(0, 1);
  dc.LineTo(width, 1);
  dc.SelectPen(ShadeColor(m_backColour, -64));
  dc.MoveTo(0, 2);
  dc.LineTo(width, 2);
  dc.SelectPen(ShadeColor(m_backColour, -16));
  dc.MoveTo(0, 3);
  dc.LineTo(width, 3);

  int x = 0;
  for (int i = 0; i < TabCount(); ++i) x = DrawTab(dc, i, x);
  DrawLink(dc, x);
}

int CTabLinkCtrl::DrawTab(CPaintDC& dc, int index, int x) {
  Tab& tab = m_tabs[static_cast<std::size_t>(index)];
  const int height = this->height();
  int tabWidth = dc.GetTextExtent(tab.caption).width() + 20;
  tabWidth = std::max(0, std::min(tabWidth, this->width() - x));

  // The current tab stands out in the button face and reaches the top
  // edge; the others are lighter and lower.
  const bool current = index == m_current;
  const COLORREF face = dc.GetSysColor(COLOR_BTNFACE);
  const COLORREF colour = current ? face : ShadeColor(face, 16);
  const int top = current ? 0 : 2;
  const int bottom = current ? height - 2 : height - 4;
  tab.rect = WinRect(x, top, x + tabWidth, bottom);
  if (tabWidth <= 0) return x + tabWidth + 1;

  const int right = x + tabWidth;
  dc.FillSolidRect(tab.rect, colour);
  dc.SelectPen(m_highlightPen);
  dc.MoveTo(x, top);
  dc.LineTo(x, bottom);
  dc.SelectPen(m_shadowPen);
  dc.MoveTo(x + 1, bottom);
  dc.LineTo(right - 2, bottom);
  dc.LineTo(right - 2, bottom - 1);
  dc.LineTo(right - 1, bottom - 1);
  dc.LineTo(right - 1, current ? 0 : 1);
  dc.SelectPen(m_blackPen);
  dc.MoveTo(x, bottom);
  dc.LineTo(x + 1, bottom + 1);
  dc.LineTo(right - 2, bottom + 1);
  dc.LineTo(right, bottom - 1);
  dc.LineTo(right, 1);

  const QRect caption = WinRect(x + 2, top + 2, right - 2, bottom - 1);
  dc.SetBkColor(colour);
  dc.DrawText(tab.caption, caption, kCaptionFlags);

  if (!current) {
    // Continue the strip's top shading over the lower tabs.
    dc.SelectPen(ShadeColor(face, -16));
    dc.MoveTo(x, 2);
    dc.LineTo(right, 2);
    dc.SelectPen(ShadeColor(face, 16));
    dc.MoveTo(x, 3);
    dc.LineTo(right, 3);
  } else if (m_focused) {
    dc.DrawFocusRect(caption);
  }
  return right + 1;
}

void CTabLinkCtrl::DrawLink(CPaintDC& dc, int x) {
  QRect area = WinRect(x + 10, 0, width() - 10, height());
  if (area.width() < 0) {
    m_linkRect = QRect();  // no link shown, nothing to click
    return;
  }
  dc.SelectFont(m_linkFont);
  dc.SetBkMode(TRANSPARENT);
  const int textWidth = dc.GetTextExtent(m_linkText).width() + 3;
  if (textWidth < area.width()) area.setLeft(area.x() + area.width() - textWidth);

  // A thick text in a dark shade of the background with a light copy one
  // pixel in, which reads as raised lettering.
  dc.SetTextColor(ShadeColor(m_backColour, -128));
  for (int dx = 0; dx <= 2; ++dx) {
    for (int dy = 0; dy <= 3; ++dy) dc.DrawText(m_linkText, area.translated(dx, dy), kLinkFlags);
  }
  dc.SetTextColor(dc.GetSysColor(COLOR_BTNHIGHLIGHT));
  dc.DrawText(m_linkText, area.translated(1, 1), kLinkFlags);

  m_linkRect = WinRect(area.x() + 2, area.y(), area.x() + area.width() + 1, area.y() + area.height());
}

void CTabLinkCtrl::mouseMoveEvent(QMouseEvent* event) {
  if (m_linkCursor != -1 && m_linkRect.contains(event->position().toPoint())) {
    setCursor(LoadResourceCursor(ExtensionResources(), static_cast<std::uint32_t>(m_linkCursor)));
  } else {
    unsetCursor();
  }
}

void CTabLinkCtrl::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint point = event->position().toPoint();
  if (m_linkRect.contains(point)) {
    ShellOpen(m_linkTarget);
    return;
  }
  for (int i = 0; i < TabCount(); ++i) {
    if (m_tabs[static_cast<std::size_t>(i)].rect.contains(point)) {
      SetCurSel(i);
      setFocus(Qt::MouseFocusReason);
      return;
    }
  }
}

void CTabLinkCtrl::focusInEvent(QFocusEvent*) {
  m_focused = true;
  update();
}

void CTabLinkCtrl::focusOutEvent(QFocusEvent*) {
  m_focused = false;
  update();
}
