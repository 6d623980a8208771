// Popup menus tracked at a screen point; the pick goes to the owner dialog.

#include "platform/ui/PopupMenu.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QTimer>

#include "platform/resources/ResourceMenus.h"
#include "platform/ui/DialogWindow.h"
#include "platform/ui/UiText.h"

namespace {

CPopupMenu::Picker& TestPicker() {
  static CPopupMenu::Picker picker;
  return picker;
}

const char* const kCommandProperty = "quilletCommand";

int CommandOf(const QAction* action) {
  return action == nullptr ? 0 : action->property(kCommandProperty).toInt();
}

}  // namespace

CPopupMenu::CPopupMenu() : m_menu(std::make_unique<QMenu>()) {}

CPopupMenu::~CPopupMenu() = default;

void CPopupMenu::SetPicker(Picker picker) { TestPicker() = std::move(picker); }

bool CPopupMenu::AppendItem(int commandId, const std::string& ansiText) {
  if (commandId == 0) return false;
  QAction* action = m_menu->addAction(AnsiToQString(ansiText));
  action->setProperty(kCommandProperty, commandId);
  return true;
}

void CPopupMenu::AppendSeparator() { m_menu->addSeparator(); }

CPopupMenu& CPopupMenu::AppendPopup(const std::string& ansiText) {
  m_popups.push_back(std::make_unique<CPopupMenu>());
  CPopupMenu& popup = *m_popups.back();
  popup.m_menu->setTitle(AnsiToQString(ansiText));
  m_menu->addMenu(popup.m_menu.get());
  return popup;
}

bool CPopupMenu::EnableItem(int commandId, bool enabled) {
  bool found = false;
  for (QAction* action : m_menu->actions()) {
    if (!action->isSeparator() && action->menu() == nullptr && CommandOf(action) == commandId) {
      action->setEnabled(enabled);
      found = true;
    }
  }
  for (auto& popup : m_popups) found = popup->EnableItem(commandId, enabled) || found;
  return found;
}

bool CPopupMenu::IsItemEnabled(int commandId) const {
  for (QAction* action : m_menu->actions()) {
    if (!action->isSeparator() && action->menu() == nullptr && CommandOf(action) == commandId) {
      return action->isEnabled();
    }
  }
  for (const auto& popup : m_popups) {
    if (popup->IsItemEnabled(commandId)) return true;
  }
  return false;
}

std::vector<int> CPopupMenu::Commands() const {
  std::vector<int> commands;
  for (QAction* action : m_menu->actions()) {
    if (action->isSeparator()) continue;
    for (const auto& popup : m_popups) {
      if (action->menu() == popup->m_menu.get()) {
        std::vector<int> inner = popup->Commands();
        commands.insert(commands.end(), inner.begin(), inner.end());
      }
    }
    if (action->menu() == nullptr) commands.push_back(CommandOf(action));
  }
  return commands;
}

int CPopupMenu::GetItemCount() const { return static_cast<int>(m_menu->actions().size()); }

int CPopupMenu::GetItemId(int index) const {
  if (index < 0 || index >= GetItemCount()) return 0;
  return CommandOf(m_menu->actions().at(index));
}

std::string CPopupMenu::GetItemText(int index) const {
  if (index < 0 || index >= GetItemCount()) return {};
  return QStringToAnsi(m_menu->actions().at(index)->text());
}

int CPopupMenu::Track(unsigned /*flags*/, int screenX, int screenY, CDialogWindow* owner) {
  int command = 0;
  if (TestPicker()) {
    int wanted = TestPicker()(*this);
    if (wanted != 0 && IsItemEnabled(wanted)) command = wanted;
  } else {
    command = CommandOf(m_menu->exec(QPoint(screenX, screenY)));
  }
  if (command != 0 && owner != nullptr) {
    // The owner gets the command after the menu (and the caller) is done.
    QPointer<CDialogWindow> target(owner);
    QTimer::singleShot(0, owner, [target, command] {
      if (target) target->SendCommand(command);
    });
  }
  return command;
}

namespace {

// Adds the items of the popup that starts after items[at] to `menu`; the
// index of its MENU_END (or the table's end).
std::size_t FillFrom(CPopupMenu& menu, const MenuTemplate& table, std::size_t at) {
  std::size_t i = at + 1;
  while (i < table.itemCount) {
    const MenuItem& item = table.items[i];
    if ((item.flags & MENU_END) != 0) return i;
    if ((item.flags & MENU_POPUP) != 0) {
      i = FillFrom(menu.AppendPopup(item.text != nullptr ? item.text : ""), table, i) + 1;
      continue;
    }
    if ((item.flags & MENU_SEPARATOR) != 0) {
      menu.AppendSeparator();
    } else if (menu.AppendItem(item.command, item.text != nullptr ? item.text : "") &&
               (item.flags & MENU_GRAYED) != 0) {
      menu.EnableItem(item.command, false);
    }
    ++i;
  }
  return i;
}

// The index of the MENU_END that closes the popup opened at items[at].
std::size_t EndOf(const MenuTemplate& table, std::size_t at) {
  int depth = 0;
  for (std::size_t i = at; i < table.itemCount; ++i) {
    if ((table.items[i].flags & MENU_POPUP) != 0) ++depth;
    if ((table.items[i].flags & MENU_END) != 0 && --depth == 0) return i;
  }
  return table.itemCount;
}

}  // namespace

bool CPopupMenu::LoadPopup(ResourceInstance instance, std::uint32_t menuId, int popupIndex) {
  const MenuTemplate* table = ResourceFindMenu(instance, menuId);
  if (table == nullptr || popupIndex < 0) return false;
  int index = 0;
  for (std::size_t i = 0; i < table->itemCount;) {
    if ((table->items[i].flags & MENU_POPUP) == 0) {
      ++i;
      continue;
    }
    if (index == popupIndex) {
      FillFrom(*this, *table, i);
      return true;
    }
    ++index;
    i = EndOf(*table, i) + 1;
  }
  return false;
}
