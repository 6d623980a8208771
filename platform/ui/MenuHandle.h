#pragma once
// Menu handles: an opaque integer that stands for a menu bar or a menu of the
// host (in the same process) and is handed across the component interfaces
// as a LONG_PTR.  Through a handle a component reads and changes a menu it
// did not build: item count, the sub-menu, command id and text at a
// position, append/insert/delete/remove items, enable/grey and check them.
//
// A handle stays valid while its menu lives; once the menu is destroyed every
// call through the handle fails safely (counts -1, ids -1, false, handle 0).
// Handles are never reused, so a stale handle cannot reach a newer menu.
//
// Command routing: the command of an item appended or inserted through a
// handle (or tagged with AttachCommand) is posted, once the menu has closed,
// to the nearest command receiver set on its menu or on one of the menus or
// the menu bar that contain it.  A host sets one receiver on its menu bar and
// forwards the ids that belong to a component to that component.

#include <cstdint>
#include <functional>
#include <string>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// The integer form of a menu handle; 0 is no menu.  Same size as LONG_PTR.
using MenuHandle = std::intptr_t;

// How an item is named: by its command id (searched in sub-menus too) or by
// its position in the menu itself.
inline constexpr unsigned MF_BYCOMMAND = 0x0000;
inline constexpr unsigned MF_BYPOSITION = 0x0400;
// Item states for Enable and Check.
inline constexpr unsigned MF_ENABLED = 0x0000;
inline constexpr unsigned MF_GRAYED = 0x0001;
inline constexpr unsigned MF_DISABLED = 0x0002;
inline constexpr unsigned MF_UNCHECKED = 0x0000;
inline constexpr unsigned MF_CHECKED = 0x0008;

class CMenuHandle {
 public:
  CMenuHandle() = default;
  explicit CMenuHandle(MenuHandle handle) : m_handle(handle) {}

  // The handle of a menu bar or a menu, registered on first use; the same
  // menu always gives the same handle.  A null pointer gives handle 0.
  static CMenuHandle Of(QMenuBar* menuBar);
  static CMenuHandle Of(QMenu* menu);

  MenuHandle Handle() const { return m_handle; }
  // True while the menu lives.
  bool IsValid() const;
  // The menu bar or menu, null once it is destroyed.
  QWidget* Widget() const;

  // Receives the command ids of the items below this menu (see above); an
  // empty function removes the receiver.  False for an invalid handle.
  using CommandReceiver = std::function<void(int commandId)>;
  bool SetCommandReceiver(CommandReceiver receiver) const;
  // Gives an action the host built itself a command id, so that it reads
  // back through handles and its command is routed like an appended item's.
  static void AttachCommand(QAction* action, int commandId);

  // The number of items, -1 for an invalid handle.
  int GetItemCount() const;
  // The sub-menu at a position, an invalid handle when the item there is not
  // a sub-menu.
  CMenuHandle GetSubMenu(int position) const;
  // The command id at a position: 0 for a separator, -1 for a sub-menu, a
  // bad position or an invalid handle.
  int GetItemId(int position) const;
  // The text at a position in ANSI bytes, empty for separators and bad
  // positions.
  std::string GetItemText(int position) const;
  // The position of a command among this menu's own items, -1 when absent.
  int FindCommand(int commandId) const;

  // Appending; false (and nothing added) for an invalid handle.  Command id 0
  // is refused: it reads back as a separator.
  bool AppendItem(int commandId, const std::string& ansiText) const;
  bool AppendSeparator() const;
  // Appends a sub-menu and returns its handle (owned by this menu).
  CMenuHandle AppendPopup(const std::string& ansiText) const;
  // Inserting before the item at a position; a position of -1 or past the
  // end appends.
  bool InsertItem(int position, int commandId, const std::string& ansiText) const;
  bool InsertSeparator(int position) const;
  CMenuHandle InsertPopup(int position, const std::string& ansiText) const;

  // Deletes an item (MF_BYCOMMAND or MF_BYPOSITION); a sub-menu is destroyed
  // with it and its handles become invalid.  False when there is no such item.
  bool DeleteItem(int item, unsigned flags) const;
  // Takes an item out of the menu; a sub-menu lives on (its handle stays
  // valid) but is no longer shown.
  bool RemoveItem(int item, unsigned flags) const;

  // Enables (MF_ENABLED) or greys (MF_GRAYED / MF_DISABLED) an item; returns
  // its previous state (MF_ENABLED or MF_GRAYED), -1 when there is no item.
  int EnableItem(int item, unsigned flags) const;
  // Checks (MF_CHECKED) or unchecks an item; returns its previous state
  // (MF_CHECKED or MF_UNCHECKED), -1 when there is no item.
  int CheckItem(int item, unsigned flags) const;
  bool IsItemEnabled(int item, unsigned flags) const;
  bool IsItemChecked(int item, unsigned flags) const;

  // The action behind an item, null when there is none.
  QAction* Action(int item, unsigned flags) const;

  friend bool operator==(const CMenuHandle& a, const CMenuHandle& b) { return a.m_handle == b.m_handle; }

 private:
  MenuHandle m_handle = 0;
};
