// Accelerator tables on dialogs, through a key filter on the dialog's widgets.

#include "platform/ui/Accelerators.h"

#include <QKeyEvent>
#include <QObject>
#include <QWidget>

#include "platform/resources/ResourceAccelerators.h"
#include "platform/ui/DialogWindow.h"
#include "platform/ui/KeyMessage.h"

namespace {

class CAcceleratorFilter : public QObject {
 public:
  CAcceleratorFilter(CDialogWindow& dialog, const AcceleratorTable& table)
      : QObject(&dialog), m_dialog(dialog), m_table(table) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) {
      return QObject::eventFilter(watched, event);
    }
    const int command = Command(*static_cast<QKeyEvent*>(event));
    if (command == 0) return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
      // Claim the combination so that it arrives as a key press, which this
      // filter then turns into the command, rather than as the control's
      // own shortcut.
      event->accept();
      return true;
    }
    m_dialog.SendCommand(command);
    return true;
  }

 private:
  int Command(const QKeyEvent& key) const {
    WindowMsg message{};
    if (!KeyEventToMessage(key, message)) return 0;
    std::uint32_t modifiers = 0;
    if (key.modifiers() & Qt::ControlModifier) modifiers |= ACCEL_CONTROL;
    if (key.modifiers() & Qt::ShiftModifier) modifiers |= ACCEL_SHIFT;
    if (key.modifiers() & Qt::AltModifier) modifiers |= ACCEL_ALT;
    for (std::size_t i = 0; i < m_table.count; ++i) {
      const Accelerator& entry = m_table.entries[i];
      if (entry.modifiers == modifiers && entry.key == static_cast<std::int32_t>(message.wParam)) {
        return entry.command;
      }
    }
    return 0;
  }

  CDialogWindow& m_dialog;
  const AcceleratorTable& m_table;
};

}  // namespace

bool InstallAccelerators(CDialogWindow& dialog, ResourceInstance instance, std::uint32_t tableId) {
  const AcceleratorTable* table = ResourceFindAccelerators(instance, tableId);
  if (table == nullptr) return false;
  auto* filter = new CAcceleratorFilter(dialog, *table);
  dialog.installEventFilter(filter);
  for (QWidget* child : dialog.findChildren<QWidget*>()) child->installEventFilter(filter);
  return true;
}
