// Running the action dialog from the entry points.

#include "conduit/ActionDialogHost.h"

#include <QApplication>

#include <cstdlib>
#include <memory>

#include "conduit/ActionDialog.h"
#include "conduit/ConduitModule.h"

namespace {

bool EnvironmentSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

bool ActionDialogCanShow() {
  if (QCoreApplication::instance() != nullptr) {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
  }
  return EnvironmentSet("QT_QPA_PLATFORM") || EnvironmentSet("DISPLAY") ||
         EnvironmentSet("WAYLAND_DISPLAY");
}

int RunActionDialog(std::uint32_t dialogId, ConduitConfigBlock* block) noexcept {
  if (!ActionDialogCanShow()) return ACTION_DIALOG_NO_DISPLAY;
  // The application object of a host without one lives for this dialog.
  static int argc = 1;
  static char name[] = "QuilletC";
  static char* argv[] = {name, nullptr};
  std::unique_ptr<QApplication> ownApplication;
  if (QCoreApplication::instance() == nullptr) {
    ownApplication = std::make_unique<QApplication>(argc, argv);
  }
  CActionDialog dialog(ConduitResourceInstance(), dialogId, block, ConduitModulePath(),
                       QApplication::activeWindow());
  int result = dialog.DoModal();
  return result < 0 ? ACTION_DIALOG_FAILED : result;
}
