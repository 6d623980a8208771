#pragma once
// A popup (context) menu: items with a command id and ANSI text, some of them
// greyed, tracked at a screen point.  The command the user picks goes to the
// owner dialog's OnCommand once the menu has closed (posted, as the original
// platform's menu commands are), and is returned as well.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/resources/Resources.h"

class CDialogWindow;
class QMenu;

// Track flags.
inline constexpr unsigned TPM_LEFTALIGN = 0x0000;
inline constexpr unsigned TPM_RIGHTBUTTON = 0x0002;

class CPopupMenu {
 public:
  CPopupMenu();
  ~CPopupMenu();
  CPopupMenu(const CPopupMenu&) = delete;
  CPopupMenu& operator=(const CPopupMenu&) = delete;

  // Appends an item; false for a command id of 0.
  bool AppendItem(int commandId, const std::string& ansiText);
  void AppendSeparator();
  // Appends a sub-menu with that text and returns it (owned by this menu).
  CPopupMenu& AppendPopup(const std::string& ansiText);
  // Greys and disables (false) or enables the item, in this menu or its
  // sub-menus; false when no item has that command.
  bool EnableItem(int commandId, bool enabled);
  bool IsItemEnabled(int commandId) const;
  int GetItemCount() const;
  // The commands of every item, sub-menus' items included, in menu order.
  std::vector<int> Commands() const;
  // The command of the index-th item (separators count), 0 for a separator
  // or a bad index.
  int GetItemId(int index) const;
  std::string GetItemText(int index) const;

  // Shows the menu at the screen point and waits until it closes.  Returns
  // the picked command, 0 when the menu was dismissed; the command is then
  // posted to `owner` (when there is one).  TPM_RIGHTBUTTON lets the right
  // button pick as well; Qt menus always allow it.
  int Track(unsigned flags, int screenX, int screenY, CDialogWindow* owner);

  QMenu* Menu() const { return m_menu.get(); }

  // For tests: while set, Track does not show the menu but asks the picker
  // for the command (0 dismisses).  A disabled or unknown command counts as
  // a dismissal.
  using Picker = std::function<int(const CPopupMenu&)>;
  static void SetPicker(Picker picker);

  // Fills this menu with popup `popupIndex` (counted from 0) of menu
  // resource `menuId`; false (and nothing added) when there is no such menu
  // or popup.
  bool LoadPopup(ResourceInstance instance, std::uint32_t menuId, int popupIndex);

 private:
  std::unique_ptr<QMenu> m_menu;
  std::vector<std::unique_ptr<CPopupMenu>> m_popups;
};
