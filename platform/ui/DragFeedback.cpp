// Drag feedback: rectangles drawn by inverting what lies under them.

#include "platform/ui/DragFeedback.h"

#include <QEvent>
#include <QPainter>

CDragFeedback::CDragFeedback(QWidget* window) : QWidget(window) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  hide();
  if (window != nullptr) {
    setGeometry(window->rect());
    window->installEventFilter(this);
  }
}

void CDragFeedback::InvertRect(const QRect& rect) {
  if (rect.isEmpty()) return;
  // Inverting twice gives back the pixels: a rectangle shown is erased by
  // dropping it rather than drawing it again.
  if (!m_rects.removeOne(rect)) m_rects.append(rect);
  if (m_rects.isEmpty()) {
    hide();
  } else if (isHidden()) {
    if (parentWidget() != nullptr) setGeometry(parentWidget()->rect());
    raise();
    show();
  } else {
    // Only the pixels of this rectangle change.
    update(rect);
  }
}

void CDragFeedback::Clear() {
  m_rects.clear();
  hide();
}

void CDragFeedback::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // White in difference mode turns every colour c below into 255 - c.
  painter.setCompositionMode(QPainter::CompositionMode_Difference);
  for (const QRect& rect : m_rects) painter.fillRect(rect, Qt::white);
}

bool CDragFeedback::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize) {
    setGeometry(parentWidget()->rect());
  }
  return QWidget::eventFilter(watched, event);
}
