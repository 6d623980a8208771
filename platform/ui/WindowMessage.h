#pragma once
// Posted window messages: a message number with two parameters, queued to a
// window and delivered through the event loop after the command that posted
// it has finished, as the original platform's posted messages are.  A window
// that takes messages overrides customEvent() (a CDialogWindow gets them in
// OnWindowMessage).

#include <QEvent>

#include <cstdint>

class QObject;

using WPARAM = std::intptr_t;
using LPARAM = std::intptr_t;

// First message number free for a program's private messages.
inline constexpr unsigned WM_USER = 0x0400;

class CWindowMessageEvent : public QEvent {
 public:
  CWindowMessageEvent(unsigned message, WPARAM wParam, LPARAM lParam);

  // The event type every posted window message carries.
  static QEvent::Type Type();

  unsigned Message() const { return m_message; }
  WPARAM WParam() const { return m_wParam; }
  LPARAM LParam() const { return m_lParam; }

 private:
  unsigned m_message;
  WPARAM m_wParam;
  LPARAM m_lParam;
};

// Queues the message to `target`; false when there is no target.
bool PostWindowMessage(QObject* target, unsigned message, WPARAM wParam, LPARAM lParam);

// The message an event carries, or nullptr when it is not a posted message.
const CWindowMessageEvent* AsWindowMessage(const QEvent* event);

// A window message as a host hands it to a hosted window before its own
// processing (keyboard messages, by virtual-key code).
struct WindowMsg {
  unsigned message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

inline constexpr unsigned WM_KEYDOWN = 0x0100;
inline constexpr unsigned WM_SYSKEYDOWN = 0x0104;  // a key pressed with Alt
