#include "platform/ui/MenuHandle.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include <unordered_map>
#include <utility>

#include "platform/ui/UiText.h"

namespace {

// The command id of an action lives in a dynamic property, so that the data()
// slot stays free for the host.
constexpr const char* kCommandProperty = "quilletCommandId";
// Set once an action's trigger is routed, so that it is routed only once.
constexpr const char* kRoutedProperty = "quilletCommandRouted";

struct Entry {
  QPointer<QWidget> widget;
  CMenuHandle::CommandReceiver receiver;
};

// Handles start well above small integers so that a stray count or position
// is not mistaken for a live handle.
struct Registry {
  std::unordered_map<MenuHandle, Entry> byHandle;
  std::unordered_map<const QObject*, MenuHandle> byWidget;
  MenuHandle next = 0x10000;
};

// The organizer and an extension library each carry a copy of this code, and
// the organizer may unload the library while its menus live on.  Every
// connection this copy makes to a menu or an action runs code of this copy,
// so it is tied to this object as well: the object goes when this copy is
// unloaded (or at exit), and with it every such connection, instead of a
// later signal or the menu's destruction calling into unloaded code.
QObject& ModuleContext() {
  static QObject context;
  return context;
}

// The organizer and an extension library each link this code, and a handle
// made by one is used by the other, so there is one registry per
// application: the first module that needs it hangs it on the application
// object, the others find it there.
constexpr const char* kRegistryProperty = "quilletMenuRegistry";

Registry& Menus() {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) {
    static Registry* withoutApplication = new Registry;
    return *withoutApplication;
  }
  const QVariant held = app->property(kRegistryProperty);
  if (held.isValid()) return *static_cast<Registry*>(held.value<void*>());
  auto* created = new Registry;
  app->setProperty(kRegistryProperty, QVariant::fromValue<void*>(created));
  // The registry goes with the application object; menus that outlive it
  // find no application and unregister from the registry above, which does
  // not know them.  Should the copy that
  // made it be unloaded first, the registry stays for the others and is
  // left at exit rather than deleted by unloaded code.
  QObject::connect(app, &QObject::destroyed, &ModuleContext(), [created] { delete created; });
  return *created;
}

MenuHandle Register(QWidget* widget) {
  if (!widget) return 0;
  Registry& reg = Menus();
  auto known = reg.byWidget.find(widget);
  if (known != reg.byWidget.end()) {
    auto entry = reg.byHandle.find(known->second);
    if (entry != reg.byHandle.end() && entry->second.widget) return known->second;
    // A widget that died after the copy that registered it was unloaded
    // (nothing then took it out): this is a new widget at the same address.
    if (entry != reg.byHandle.end()) reg.byHandle.erase(entry);
    reg.byWidget.erase(known);
  }
  const MenuHandle handle = reg.next;
  reg.next += 4;
  reg.byHandle[handle] = Entry{widget, {}};
  reg.byWidget[widget] = handle;
  QObject::connect(widget, &QObject::destroyed, &ModuleContext(), [handle, widget] {
    Registry& r = Menus();
    r.byHandle.erase(handle);
    r.byWidget.erase(widget);
  });
  return handle;
}

Entry* Lookup(MenuHandle handle) {
  Registry& reg = Menus();
  auto it = reg.byHandle.find(handle);
  if (it == reg.byHandle.end() || !it->second.widget) return nullptr;
  return &it->second;
}

QWidget* WidgetOf(MenuHandle handle) {
  Entry* entry = Lookup(handle);
  return entry ? entry->widget.data() : nullptr;
}

int CommandOf(const QAction* action) {
  if (action->isSeparator()) return 0;
  if (action->menu()) return -1;
  return action->property(kCommandProperty).toInt();
}

// The menu or menu bar that shows `widget`'s menu (for a sub-menu), else its
// parent widget.
QWidget* ContainerOf(QWidget* widget) {
  if (auto* menu = qobject_cast<QMenu*>(widget)) {
    for (QObject* object : menu->menuAction()->associatedObjects()) {
      if (auto* container = qobject_cast<QWidget*>(object)) return container;
    }
  }
  return widget->parentWidget();
}

// Posts the command to the nearest receiver above the menu that holds the
// action; the receiver is looked up again on delivery, so a menu destroyed
// or a receiver removed in between drops the command.
void Route(QAction* action) {
  QWidget* holder = nullptr;
  for (QObject* object : action->associatedObjects()) {
    if (qobject_cast<QMenu*>(object) || qobject_cast<QMenuBar*>(object)) {
      holder = static_cast<QWidget*>(object);
      break;
    }
  }
  const int commandId = CommandOf(action);
  if (commandId <= 0) return;
  Registry& reg = Menus();
  for (QWidget* widget = holder; widget; widget = ContainerOf(widget)) {
    auto known = reg.byWidget.find(widget);
    if (known == reg.byWidget.end()) continue;
    Entry* entry = Lookup(known->second);
    if (!entry || !entry->receiver) continue;
    const MenuHandle handle = known->second;
    // Posted to this copy's own object: a library unloaded before delivery
    // takes the posted call with it.
    QMetaObject::invokeMethod(
        &ModuleContext(),
        [handle, commandId] {
          Entry* target = Lookup(handle);
          if (!target || !target->receiver) return;
          CMenuHandle::CommandReceiver receiver = target->receiver;
          receiver(commandId);
        },
        Qt::QueuedConnection);
    return;
  }
}

// Finds a command among a menu's items and its sub-menus' items.
std::pair<QWidget*, QAction*> FindCommandIn(QWidget* widget, int commandId) {
  for (QAction* action : widget->actions()) {
    if (QMenu* sub = action->menu()) {
      auto found = FindCommandIn(sub, commandId);
      if (found.second) return found;
    } else if (!action->isSeparator() && CommandOf(action) == commandId) {
      return {widget, action};
    }
  }
  return {nullptr, nullptr};
}

// The menu holding an item and the item's action, both null when there is
// no such item.
std::pair<QWidget*, QAction*> Resolve(MenuHandle handle, int item, unsigned flags) {
  QWidget* widget = WidgetOf(handle);
  if (!widget) return {nullptr, nullptr};
  if (flags & MF_BYPOSITION) {
    const QList<QAction*> actions = widget->actions();
    if (item < 0 || item >= actions.size()) return {nullptr, nullptr};
    return {widget, actions[item]};
  }
  if (item <= 0) return {nullptr, nullptr};
  return FindCommandIn(widget, item);
}

QAction* ActionAt(MenuHandle handle, int position) {
  return Resolve(handle, position, MF_BYPOSITION).second;
}

QAction* Before(QWidget* widget, int position) {
  const QList<QAction*> actions = widget->actions();
  if (position < 0 || position >= actions.size()) return nullptr;
  return actions[position];
}

bool InsertCommand(MenuHandle handle, int position, int commandId, const std::string& text) {
  QWidget* widget = WidgetOf(handle);
  if (!widget || commandId <= 0) return false;
  auto* action = new QAction(AnsiToQString(text), widget);
  CMenuHandle::AttachCommand(action, commandId);
  widget->insertAction(Before(widget, position), action);
  return true;
}

bool InsertSeparatorAt(MenuHandle handle, int position) {
  QWidget* widget = WidgetOf(handle);
  if (!widget) return false;
  auto* action = new QAction(widget);
  action->setSeparator(true);
  widget->insertAction(Before(widget, position), action);
  return true;
}

CMenuHandle InsertPopupAt(MenuHandle handle, int position, const std::string& text) {
  QWidget* widget = WidgetOf(handle);
  if (!widget) return CMenuHandle();
  auto* sub = new QMenu(AnsiToQString(text), widget);
  widget->insertAction(Before(widget, position), sub->menuAction());
  return CMenuHandle::Of(sub);
}

}  // namespace

CMenuHandle CMenuHandle::Of(QMenuBar* menuBar) { return CMenuHandle(Register(menuBar)); }

CMenuHandle CMenuHandle::Of(QMenu* menu) { return CMenuHandle(Register(menu)); }

bool CMenuHandle::IsValid() const { return Lookup(m_handle) != nullptr; }

QWidget* CMenuHandle::Widget() const { return WidgetOf(m_handle); }

bool CMenuHandle::SetCommandReceiver(CommandReceiver receiver) const {
  Entry* entry = Lookup(m_handle);
  if (!entry) return false;
  entry->receiver = std::move(receiver);
  return true;
}

void CMenuHandle::AttachCommand(QAction* action, int commandId) {
  if (!action) return;
  action->setProperty(kCommandProperty, commandId);
  if (action->property(kRoutedProperty).toBool()) return;
  action->setProperty(kRoutedProperty, true);
  QObject::connect(action, &QAction::triggered, &ModuleContext(), [action] { Route(action); });
}

int CMenuHandle::GetItemCount() const {
  QWidget* widget = WidgetOf(m_handle);
  return widget ? static_cast<int>(widget->actions().size()) : -1;
}

CMenuHandle CMenuHandle::GetSubMenu(int position) const {
  QAction* action = ActionAt(m_handle, position);
  return action && action->menu() ? Of(action->menu()) : CMenuHandle();
}

int CMenuHandle::GetItemId(int position) const {
  QAction* action = ActionAt(m_handle, position);
  return action ? CommandOf(action) : -1;
}

std::string CMenuHandle::GetItemText(int position) const {
  QAction* action = ActionAt(m_handle, position);
  if (!action || action->isSeparator()) return std::string();
  return QStringToAnsi(action->text());
}

int CMenuHandle::FindCommand(int commandId) const {
  QWidget* widget = WidgetOf(m_handle);
  if (!widget || commandId <= 0) return -1;
  const QList<QAction*> actions = widget->actions();
  for (int i = 0; i < actions.size(); ++i) {
    if (CommandOf(actions[i]) == commandId) return i;
  }
  return -1;
}

bool CMenuHandle::AppendItem(int commandId, const std::string& ansiText) const {
  return InsertCommand(m_handle, -1, commandId, ansiText);
}

bool CMenuHandle::AppendSeparator() const { return InsertSeparatorAt(m_handle, -1); }

CMenuHandle CMenuHandle::AppendPopup(const std::string& ansiText) const {
  return InsertPopupAt(m_handle, -1, ansiText);
}

bool CMenuHandle::InsertItem(int position, int commandId, const std::string& ansiText) const {
  return InsertCommand(m_handle, position, commandId, ansiText);
}

bool CMenuHandle::InsertSeparator(int position) const { return InsertSeparatorAt(m_handle, position); }

CMenuHandle CMenuHandle::InsertPopup(int position, const std::string& ansiText) const {
  return InsertPopupAt(m_handle, position, ansiText);
}

bool CMenuHandle::DeleteItem(int item, unsigned flags) const {
  auto [widget, action] = Resolve(m_handle, item, flags);
  if (!action) return false;
  if (QMenu* sub = action->menu()) {
    // The menu owns its menu action; destroying it takes the item away.
    delete sub;
    return true;
  }
  widget->removeAction(action);
  if (action->parent() == widget) delete action;
  return true;
}

bool CMenuHandle::RemoveItem(int item, unsigned flags) const {
  auto [widget, action] = Resolve(m_handle, item, flags);
  if (!action) return false;
  widget->removeAction(action);
  if (!action->menu() && action->parent() == widget) delete action;
  return true;
}

int CMenuHandle::EnableItem(int item, unsigned flags) const {
  QAction* action = Resolve(m_handle, item, flags).second;
  if (!action) return -1;
  const int previous = static_cast<int>(action->isEnabled() ? MF_ENABLED : MF_GRAYED);
  action->setEnabled(!(flags & (MF_GRAYED | MF_DISABLED)));
  return previous;
}

int CMenuHandle::CheckItem(int item, unsigned flags) const {
  QAction* action = Resolve(m_handle, item, flags).second;
  if (!action) return -1;
  const int previous = static_cast<int>(action->isChecked() ? MF_CHECKED : MF_UNCHECKED);
  action->setCheckable(true);
  action->setChecked(flags & MF_CHECKED);
  return previous;
}

bool CMenuHandle::IsItemEnabled(int item, unsigned flags) const {
  QAction* action = Resolve(m_handle, item, flags).second;
  return action && action->isEnabled();
}

bool CMenuHandle::IsItemChecked(int item, unsigned flags) const {
  QAction* action = Resolve(m_handle, item, flags).second;
  return action && action->isChecked();
}

QAction* CMenuHandle::Action(int item, unsigned flags) const { return Resolve(m_handle, item, flags).second; }
