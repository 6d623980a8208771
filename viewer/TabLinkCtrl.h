#pragma once
// The link tab strip: a custom-drawn child window with a row of tabs on the
// left and, at the right end, a link text that opens its target (a web page)
// when clicked.  The main view places one along its bottom edge to switch
// the memo list between list, large-icon and small-icon display and to show
// the maker's link.  A click on another tab makes it current and posts
// WM_TLC_SELCHANGE (new index, previous index) to the parent.  The strip has
// no keyboard handling of its own; it is a tab stop and shows a focus
// rectangle on the current tab while it has the focus.

#include <QFont>
#include <QRect>
#include <QWidget>

#include <string>
#include <vector>

#include "platform/ui/PaintDC.h"
#include "platform/ui/WindowMessage.h"

// Posted to the parent when the current tab changes: wParam the new index,
// lParam the previous one.
inline constexpr unsigned WM_TLC_SELCHANGE = WM_USER + 0x444;

class CTabLinkCtrl : public QWidget {
  Q_OBJECT

 public:
  // Makes the fonts and pens; the window appears with Create.
  CTabLinkCtrl();
  ~CTabLinkCtrl() override;

  // A lighter (delta > 0) or darker (delta < 0) shade of the same hue:
  // green moves by delta within 0..255 and red and blue keep their ratio to
  // green.  A colour without green has no ratio to keep: delta is then
  // added to all three components, each kept within 0..255.
  static COLORREF ShadeColor(COLORREF colour, int delta);

  // Shows the strip as a visible child of `parent` at `rect` (parent
  // coordinates) with control id `id` (also its object name "item<id>").
  // False without a parent.
  bool Create(int id, const QRect& rect, QWidget* parent);
  int ControlId() const { return m_id; }

  void SetBackColor(COLORREF colour);
  // The cursor resource of the extension shown over the link; -1 for none.
  void SetLinkCursor(int cursorId);
  // Link text and target in ANSI bytes.
  void SetLink(const std::string& text, const std::string& target);
  // Appends a tab; '&' marks the mnemonic letter of the caption.
  void AddTab(const std::string& caption);
  // Makes tab `index` current and returns the previous index.  A change
  // repaints the strip and posts WM_TLC_SELCHANGE to the parent.
  int SetCurSel(int index);
  int GetCurSel() const { return m_current; }

  // Where tab `index` and the link were last drawn (empty before the first
  // painting or for a missing tab).
  QRect TabRect(int index) const;
  QRect LinkRect() const { return m_linkRect; }
  int TabCount() const { return static_cast<int>(m_tabs.size()); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  struct Tab {
    std::string caption;
    QRect rect;
  };

  int DrawTab(CPaintDC& dc, int index, int x);
  void DrawLink(CPaintDC& dc, int x);

  int m_id = 0;
  QFont m_tabFont;
  QFont m_linkFont;
  COLORREF m_backColour = 0;
  COLORREF m_blackPen = 0;
  COLORREF m_shadowPen = 0;
  COLORREF m_highlightPen = 0;
  int m_linkCursor = -1;
  std::string m_linkText;
  std::string m_linkTarget;
  QRect m_linkRect;
  std::vector<Tab> m_tabs;
  int m_current = 0;
  bool m_focused = false;
};
