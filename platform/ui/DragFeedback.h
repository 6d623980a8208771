#pragma once
// The rectangle a window shows while the user drags something over it (a
// splitter bar): drawn by inverting the pixels under it, so inverting the
// same rectangle again erases it and the window's own painting is never
// touched.  The feedback lives in a transparent child that covers the whole
// window, stays above its siblings and lets every mouse event through.

#include <QList>
#include <QRect>
#include <QWidget>

class CDragFeedback : public QWidget {
  Q_OBJECT

 public:
  // Covers `window` and follows its size.
  explicit CDragFeedback(QWidget* window);

  // Inverts the pixels of `rect` (window coordinates).  Inverting a rectangle
  // that is shown erases it.
  void InvertRect(const QRect& rect);
  // Erases every rectangle shown.
  void Clear();
  // The rectangles shown, in the order they were inverted.
  const QList<QRect>& Shown() const { return m_rects; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QList<QRect> m_rects;
};
