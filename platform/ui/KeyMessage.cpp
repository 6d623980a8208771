// Qt key events to keyboard messages.

#include "platform/ui/KeyMessage.h"

#include <QKeyEvent>

#include "platform/ui/VirtualKeys.h"

bool KeyEventToMessage(const QKeyEvent& event, WindowMsg& out) {
  int key = event.key();
  int code = 0;
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
    code = key;  // Qt's codes for these are their upper-case ASCII codes
  } else if (key == Qt::Key_Left) {
    code = VK_LEFT;
  } else if (key == Qt::Key_Up) {
    code = VK_UP;
  } else if (key == Qt::Key_Right) {
    code = VK_RIGHT;
  } else if (key == Qt::Key_Down) {
    code = VK_DOWN;
  } else {
    return false;
  }
  out.message = (event.modifiers() & Qt::AltModifier) ? WM_SYSKEYDOWN : WM_KEYDOWN;
  out.wParam = code;
  out.lParam = 0;
  return true;
}
