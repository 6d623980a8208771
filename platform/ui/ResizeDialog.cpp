// The resizable dialog: anchored controls, draggable splits between pairs of
// controls, and the splits kept in the application profile.

#include "platform/ui/ResizeDialog.h"

#include <QMouseEvent>
#include <QResizeEvent>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/registry/AppProfile.h"
#include "platform/ui/DragFeedback.h"
#include "platform/ui/ResourceImages.h"

namespace {

QRect ToQRect(const CResizeDialog::Rect& r) {
  return QRect(r.left, r.top, std::max(0, r.right - r.left), std::max(0, r.bottom - r.top));
}

bool Contains(const CResizeDialog::Rect& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

}  // namespace

CResizeDialog::CResizeDialog(const DialogTemplate* dialogTemplate, QWidget* parent)
    : CDialogWindow(dialogTemplate, parent) {
  if (!IsChild()) {
    // The plain dialog fixes its size to the template's; this one is meant
    // to be resized.
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  // Mouse moves without a button pressed show the bar cursor on hover.
  setMouseTracking(true);
  m_feedbackWidget = new CDragFeedback(this);
}

CResizeDialog::~CResizeDialog() = default;

QWidget* CResizeDialog::ChildControl(int id) const {
  if (QWidget* widget = Control(id)) return widget;
  return findChild<QWidget*>(QStringLiteral("item%1").arg(id));
}

CResizeDialog::AnchoredControl* CResizeDialog::Anchored(int id) {
  for (AnchoredControl& control : m_controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

const CResizeDialog::AnchoredControl* CResizeDialog::FindAnchored(int id) const {
  for (const AnchoredControl& control : m_controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

bool CResizeDialog::AddControl(int id, unsigned flags) {
  if (ChildControl(id) == nullptr) return false;
  // Leaving the bar straight into a control restores the dialog's cursor,
  // which the controls would otherwise show too.
  ChildControl(id)->installEventFilter(this);
  AnchoredControl control;
  control.id = id;
  control.flags = flags;
  Measure(control);
  m_controls.push_back(control);
  return true;
}

void CResizeDialog::SetMinSize(int id, int width, int height) {
  if (AnchoredControl* control = Anchored(id)) {
    control->minWidth = width;
    control->minHeight = height;
  }
}

bool CResizeDialog::AddSplitter(int firstId, int secondId, int direction, int saved) {
  const AnchoredControl* first = FindAnchored(firstId);
  const AnchoredControl* second = FindAnchored(secondId);
  if (first == nullptr || second == nullptr) return false;
  Splitter splitter;
  splitter.direction = direction;
  splitter.saved = saved;
  auto place = [&](int firstEnd, int secondStart, int secondEnd, int firstStart) {
    if (firstEnd <= secondStart) {
      splitter.firstId = firstId;
      splitter.secondId = secondId;
      splitter.gap = secondStart - firstEnd;
      return true;
    }
    if (secondEnd <= firstStart) {
      splitter.firstId = secondId;
      splitter.secondId = firstId;
      splitter.gap = firstStart - secondEnd;
      return true;
    }
    return false;  // the two overlap
  };
  bool ok = false;
  if (direction == SPLIT_SIDE_BY_SIDE) {
    ok = place(first->layout.right, second->layout.left, second->layout.right, first->layout.left);
  } else if (direction == SPLIT_STACKED) {
    ok = place(first->layout.bottom, second->layout.top, second->layout.bottom, first->layout.top);
  }
  if (ok) m_splitters.push_back(splitter);
  return ok;
}

void CResizeDialog::RecalcControl(int id) {
  for (AnchoredControl& control : m_controls) {
    if (id == 0 || control.id == id) Measure(control);
  }
}

void CResizeDialog::Measure(AnchoredControl& control) {
  QWidget* widget = ChildControl(control.id);
  if (widget == nullptr) return;
  QRect geometry = widget->geometry();
  if (widget->parentWidget() != this && widget->parentWidget() != nullptr) {
    geometry.moveTopLeft(widget->parentWidget()->mapTo(this, geometry.topLeft()));
  }
  control.layout = {geometry.x(), geometry.y(), geometry.x() + geometry.width(),
                    geometry.y() + geometry.height()};
  control.target = control.layout;
  const int width = this->width();
  const int height = this->height();
  if ((control.flags & RD_SIZE_Y) != 0) {
    control.bottomDistance = height - control.layout.bottom;
  } else if ((control.flags & RD_MOVE_Y) != 0) {
    control.bottomDistance = height - control.layout.top;
  }
  if ((control.flags & RD_SIZE_X) != 0) {
    control.rightDistance = width - control.layout.right;
  } else if ((control.flags & RD_MOVE_X) != 0) {
    control.rightDistance = width - control.layout.left;
  }
}

void CResizeDialog::resizeEvent(QResizeEvent* event) {
  CDialogWindow::resizeEvent(event);
  Layout(event->size().width(), event->size().height());
}

void CResizeDialog::Layout(int width, int height) {
  for (AnchoredControl& control : m_controls) {
    unsigned flags = 0;
    Rect& layout = control.layout;
    const int controlWidth = layout.Width();
    const int controlHeight = layout.Height();
    if ((control.flags & RD_SIZE_Y) != 0) {
      layout.bottom = height - control.bottomDistance;
      flags |= POS_SIZE;
    } else if ((control.flags & RD_MOVE_Y) != 0) {
      layout.bottom = height + controlHeight - control.bottomDistance;
      layout.top = height - control.bottomDistance;
      flags |= POS_MOVE;
    }
    if ((control.flags & RD_SIZE_X) != 0) {
      layout.right = width - control.rightDistance;
      flags |= POS_SIZE;
    } else if ((control.flags & RD_MOVE_X) != 0) {
      layout.right = width + controlWidth - control.rightDistance;
      layout.left = width - control.rightDistance;
      flags |= POS_MOVE;
    }
    Rect& target = control.target;
    target = layout;
    if (control.minWidth > 0 && target.Width() < control.minWidth) {
      target.right = target.left + control.minWidth;
    }
    if (control.minHeight > 0 && target.Height() < control.minHeight) {
      target.bottom = target.top + control.minHeight;
    }
    if ((control.flags & RD_LIMIT_BOTTOM) != 0 && height < target.bottom + m_limitBottom) {
      target.bottom = height - m_limitBottom;
      flags |= POS_SIZE;
    }
    if ((control.flags & RD_LIMIT_RIGHT) != 0 && width < target.right + m_limitRight) {
      target.right = width - m_limitRight;
      flags |= POS_SIZE;
    }
    control.positionFlags = flags;
  }

  // The second control of a split never comes closer to the first than the
  // gap they had.
  for (const Splitter& splitter : m_splitters) {
    const AnchoredControl* first = Anchored(splitter.firstId);
    AnchoredControl* second = Anchored(splitter.secondId);
    if (first == nullptr || second == nullptr) continue;
    if (splitter.direction == SPLIT_SIDE_BY_SIDE) {
      if (second->target.left < first->target.right + splitter.gap) {
        second->target.left = first->target.right + splitter.gap;
      }
    } else if (second->target.top < first->target.bottom + splitter.gap) {
      second->target.top = first->target.bottom + splitter.gap;
    }
  }

  for (const AnchoredControl& control : m_controls) Place(control, control.positionFlags);
}

void CResizeDialog::Place(const AnchoredControl& control, unsigned positionFlags) {
  QWidget* widget = ChildControl(control.id);
  if (widget == nullptr || positionFlags == 0) return;
  QRect target = ToQRect(control.target);
  QRect geometry = widget->geometry();
  QPoint origin;  // the parent's place in the dialog
  if (widget->parentWidget() != this && widget->parentWidget() != nullptr) {
    origin = widget->parentWidget()->mapTo(this, QPoint());
  }
  if ((positionFlags & POS_MOVE) != 0) geometry.moveTopLeft(target.topLeft() - origin);
  if ((positionFlags & POS_SIZE) != 0) geometry.setSize(target.size());
  widget->setGeometry(geometry);
  widget->update();
}

CResizeDialog::Rect CResizeDialog::BarRect(const Splitter& splitter) const {
  const AnchoredControl* first = FindAnchored(splitter.firstId);
  const AnchoredControl* second = FindAnchored(splitter.secondId);
  if (first == nullptr || second == nullptr) return {};
  if (splitter.direction == SPLIT_SIDE_BY_SIDE) {
    return {first->target.right, first->target.top, second->target.left, first->target.bottom};
  }
  return {first->target.left, first->target.bottom, first->target.right, second->target.top};
}

std::uint32_t CResizeDialog::CursorId(const Splitter& splitter) const {
  return splitter.direction == SPLIT_SIDE_BY_SIDE ? m_sideCursor : m_stackedCursor;
}

int CResizeDialog::HitTest(int x, int y, Rect* bar) const {
  for (std::size_t i = 0; i < m_splitters.size(); ++i) {
    const Splitter& splitter = m_splitters[i];
    if (splitter.saved == 0 || CursorId(splitter) == 0) continue;
    Rect rect = BarRect(splitter);
    if (Contains(rect, x, y)) {
      if (bar != nullptr) *bar = rect;
      return static_cast<int>(i);
    }
  }
  return -1;
}

void CResizeDialog::SetBarCursor(const Splitter& splitter) {
  const bool side = splitter.direction == SPLIT_SIDE_BY_SIDE;
  LoadedCursor& loaded = m_cursors[side ? 0 : 1];
  const std::uint32_t id = CursorId(splitter);
  if (loaded.id != id || loaded.instance != m_instance) {
    loaded.cursor = LoadResourceCursor(m_instance, id, side ? Qt::SplitHCursor : Qt::SplitVCursor);
    loaded.id = id;
    loaded.instance = m_instance;
  }
  setCursor(loaded.cursor);
  m_barCursorShown = true;
}

void CResizeDialog::RestoreCursor() {
  if (m_barCursorShown && m_dragIndex < 0) {
    unsetCursor();
    m_barCursorShown = false;
  }
}

bool CResizeDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Enter) RestoreCursor();
  return CDialogWindow::eventFilter(watched, event);
}

void CResizeDialog::leaveEvent(QEvent* event) {
  RestoreCursor();
  CDialogWindow::leaveEvent(event);
}

int CResizeDialog::LimitOffset(const Splitter& splitter, int offset) const {
  const AnchoredControl* first = FindAnchored(splitter.firstId);
  const AnchoredControl* second = FindAnchored(splitter.secondId);
  if (first == nullptr || second == nullptr) return 0;
  const bool side = splitter.direction == SPLIT_SIDE_BY_SIDE;
  const int firstSize = side ? first->target.Width() : first->target.Height();
  const int secondSize = side ? second->target.Width() : second->target.Height();
  const int firstMin = std::max(0, side ? first->minWidth : first->minHeight);
  const int secondMin = std::max(0, side ? second->minWidth : second->minHeight);
  if (offset < 0 && firstSize + offset < firstMin) offset = std::min(0, firstMin - firstSize);
  if (offset > 0 && secondSize - offset < secondMin) offset = std::max(0, secondSize - secondMin);
  return offset;
}

void CResizeDialog::InvertFeedback() { m_feedbackWidget->InvertRect(ToQRect(m_feedback)); }

void CResizeDialog::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (m_dragIndex < 0) {
    int index = HitTest(point.x(), point.y(), nullptr);
    if (index >= 0) {
      SetBarCursor(m_splitters[static_cast<std::size_t>(index)]);
    } else {
      RestoreCursor();
    }
    CDialogWindow::mouseMoveEvent(event);
    return;
  }
  const Splitter& splitter = m_splitters[static_cast<std::size_t>(m_dragIndex)];
  SetBarCursor(splitter);
  const bool side = splitter.direction == SPLIT_SIDE_BY_SIDE;
  int offset = side ? point.x() - m_dragStartX : point.y() - m_dragStartY;
  offset = LimitOffset(splitter, offset);
  const int current = side ? m_feedback.left - m_dragBar.left : m_feedback.top - m_dragBar.top;
  if (offset == current) return;
  InvertFeedback();
  m_feedback = m_dragBar;
  if (side) {
    m_feedback.left += offset;
    m_feedback.right += offset;
  } else {
    m_feedback.top += offset;
    m_feedback.bottom += offset;
  }
  InvertFeedback();
}

void CResizeDialog::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && m_dragIndex < 0) {
    const QPoint point = event->position().toPoint();
    Rect bar;
    int index = HitTest(point.x(), point.y(), &bar);
    if (index >= 0) {
      // The dialog keeps the mouse until the release: Qt sends every move and
      // the release to the widget the button was pressed on.
      m_dragIndex = index;
      m_dragBar = bar;
      m_dragStartX = point.x();
      m_dragStartY = point.y();
      m_feedback = bar;
      InvertFeedback();
      return;
    }
  }
  CDialogWindow::mousePressEvent(event);
}

void CResizeDialog::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && m_dragIndex >= 0) {
    InvertFeedback();
    const bool side = m_splitters[static_cast<std::size_t>(m_dragIndex)].direction == SPLIT_SIDE_BY_SIDE;
    PostWindowMessage(this, WM_RD_APPLYSPLIT, m_dragIndex, side ? m_feedback.right : m_feedback.bottom);
    m_dragIndex = -1;
    return;
  }
  CDialogWindow::mouseReleaseEvent(event);
}

void CResizeDialog::OnWindowMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_RD_APPLYSPLIT) {
    ApplySplit(static_cast<int>(wParam), static_cast<int>(lParam));
    return;
  }
  CDialogWindow::OnWindowMessage(message, wParam, lParam);
}

void CResizeDialog::ApplySplit(int index, int position) {
  if (index < 0 || index >= static_cast<int>(m_splitters.size())) return;
  const Splitter& splitter = m_splitters[static_cast<std::size_t>(index)];
  AnchoredControl* first = Anchored(splitter.firstId);
  AnchoredControl* second = Anchored(splitter.secondId);
  if (first == nullptr || second == nullptr) return;
  if (splitter.direction == SPLIT_SIDE_BY_SIDE) {
    int offset = LimitOffset(splitter, position - second->target.left);
    first->target.right += offset;
    second->target.left += offset;
  } else {
    int offset = LimitOffset(splitter, position - second->target.top);
    first->target.bottom += offset;
    second->target.top += offset;
  }
  Place(*first, POS_MOVE | POS_SIZE);
  Place(*second, POS_MOVE | POS_SIZE);
  // Measured again, later resizes keep the new split.
  Measure(*first);
  Measure(*second);
}

void CResizeDialog::SaveSplitters(std::string_view section, std::string_view prefix) {
  if (m_profile == nullptr) return;
  int n = 0;
  for (const Splitter& splitter : m_splitters) {
    if (splitter.saved == 0) continue;
    const AnchoredControl* second = FindAnchored(splitter.secondId);
    if (second == nullptr) continue;
    const int edge =
        splitter.direction == SPLIT_SIDE_BY_SIDE ? second->layout.left : second->layout.top;
    std::string key = std::string(prefix) + std::to_string(++n);
    std::string value = std::to_string(splitter.firstId) + " " + std::to_string(splitter.secondId) +
                        " " + std::to_string(edge);
    m_profile->WriteProfileString(section, key, value);
  }
}

void CResizeDialog::LoadSplitters(std::string_view section, std::string_view prefix) {
  if (m_profile == nullptr) return;
  for (int n = 1;; ++n) {
    std::string value = m_profile->GetProfileString(section, std::string(prefix) + std::to_string(n));
    if (value.empty()) break;
    // Numbers as C reads them: decimal, 0x hexadecimal or 0 octal.
    int firstId = 0, secondId = 0, position = 0;
    if (std::sscanf(value.c_str(), "%i %i %i", &firstId, &secondId, &position) != 3) continue;
    for (std::size_t i = 0; i < m_splitters.size(); ++i) {
      if (m_splitters[i].firstId == firstId && m_splitters[i].secondId == secondId) {
        PostWindowMessage(this, WM_RD_APPLYSPLIT, static_cast<WPARAM>(i), position);
        break;
      }
    }
  }
}
