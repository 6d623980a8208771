#pragma once
// What a list-view control tells its owner dialog: a click, double click or
// right click on the items (or a right click on the column header), a key
// pressed in the list, or a change of an item's state (selection, focus, the
// check box).  The owner gets it in CDialogWindow::OnNotify with the list's
// control id.

#include <QPoint>

#include "platform/ui/VirtualKeys.h"

// Notification codes.
inline constexpr int NM_CLICK = -2;          // left button released over the list
inline constexpr int NM_DBLCLK = -3;         // left button double click
inline constexpr int NM_RCLICK = -5;         // right button released (items or header)
inline constexpr int LVN_ITEMCHANGED = -101; // an item's state changed
inline constexpr int LVN_KEYDOWN = -155;     // a key pressed while the list has the focus

// Item states: the low bits are flags, the state-image bits hold the check
// box (1 unchecked, 2 checked) when the list has check boxes.
inline constexpr unsigned LVIS_FOCUSED = 0x0001;
inline constexpr unsigned LVIS_SELECTED = 0x0002;
inline constexpr unsigned LVIS_STATEIMAGEMASK = 0xF000;
constexpr unsigned IndexToStateImageMask(unsigned index) { return index << 12; }
inline constexpr unsigned LVIS_UNCHECKED = IndexToStateImageMask(1);
inline constexpr unsigned LVIS_CHECKED = IndexToStateImageMask(2);

// LVN_KEYDOWN gives virtual-key codes (platform/ui/VirtualKeys.h).

struct ListNotify {
  int code = 0;
  // The item (row) concerned, -1 for none (a click on empty space).
  int row = -1;
  // The column position under the click (report view), else 0 or -1.
  int subItem = -1;
  // LVN_KEYDOWN: the virtual key code (0 for keys without one).
  int key = 0;
  // LVN_ITEMCHANGED: the item state before and after, and which state bits
  // the change concerns (LVIS_SELECTED, LVIS_FOCUSED, LVIS_STATEIMAGEMASK).
  unsigned oldState = 0;
  unsigned newState = 0;
  unsigned changed = 0;
  // NM_RCLICK that comes from the column header rather than the items.
  bool fromHeader = false;
  // The mouse position in screen coordinates (mouse notifications).
  QPoint screenPoint;
};
