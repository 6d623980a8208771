#pragma once
// Key presses as the keyboard messages a host passes on: WM_SYSKEYDOWN for a
// key pressed with Alt, WM_KEYDOWN otherwise, the key as its virtual-key code.

#include "platform/ui/WindowMessage.h"

class QKeyEvent;

// False for keys without a virtual-key code here (letters, digits and the
// arrow keys have one).
bool KeyEventToMessage(const QKeyEvent& event, WindowMsg& out);
