// Popup menus tracked at a screen point; the pick goes to the owner dialog.

#include "platform/ui/PopupMenu.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QTimer>

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

bool CPopupMenu::EnableItem(int commandId, bool enabled) {
  bool found = false;
  for (QAction* action : m_menu->actions()) {
    if (!action->isSeparator() && CommandOf(action) == commandId) {
      action->setEnabled(enabled);
      found = true;
    }
  }
  return found;
}

bool CPopupMenu::IsItemEnabled(int commandId) const {
  for (QAction* action : m_menu->actions()) {
    if (!action->isSeparator() && CommandOf(action) == commandId) return action->isEnabled();
  }
  return false;
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
