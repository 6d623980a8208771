#pragma once
// Window handles and rectangles as the component interfaces pass them.  A
// window handle stands for a QWidget of the same process: components share
// one user-interface thread and one widget tree, so a host hands its window
// to an in-process component as a pointer, and the component puts its own
// window inside it.

#include "platform/com/ComTypes.h"

using HWND = void*;

struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};

struct SIZEL {
  LONG cx = 0;
  LONG cy = 0;
};
