// Posted window messages as queued Qt events.

#include "platform/ui/WindowMessage.h"

#include <QCoreApplication>
#include <QObject>

CWindowMessageEvent::CWindowMessageEvent(unsigned message, WPARAM wParam, LPARAM lParam)
    : QEvent(Type()), m_message(message), m_wParam(wParam), m_lParam(lParam) {}

QEvent::Type CWindowMessageEvent::Type() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

bool PostWindowMessage(QObject* target, unsigned message, WPARAM wParam, LPARAM lParam) {
  if (target == nullptr) return false;
  QCoreApplication::postEvent(target, new CWindowMessageEvent(message, wParam, lParam));
  return true;
}

const CWindowMessageEvent* AsWindowMessage(const QEvent* event) {
  if (event == nullptr || event->type() != CWindowMessageEvent::Type()) return nullptr;
  return static_cast<const CWindowMessageEvent*>(event);
}
