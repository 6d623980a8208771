// Process attach and detach of the conduit module.

#include "conduit/ConduitModule.h"

#include <dlfcn.h>


#include "conduit/ConduitDialogs.h"
#include "conduit/ConduitStrings.h"
#include "platform/palmcmn/LanguageLoader.h"

namespace {

// The globals are touched only on the HotSync Manager's thread and while the
// dynamic loader runs the library's constructor and destructor.
ResourceInstance g_moduleInstance = nullptr;
ResourceInstance g_resourceInstance = nullptr;
std::int32_t g_attachCount = 0;

}  // namespace

std::string ConduitModulePath() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&ConduitModulePath), &info) == 0 || info.dli_fname == nullptr) {
    return {};
  }
  // Memory running out here, as the library is loaded or as a window opens,
  // ends the process.
  return info.dli_fname;
}

std::string ConduitHelpFilePath(const std::string& modulePath) {
  if (modulePath.size() < 2) return {};
  std::size_t slash = modulePath.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return {};
  return modulePath.substr(0, slash + 1) + CONDUIT_HELP_FILE;
}

bool ConduitProcessAttach() {
  if (g_attachCount == 0) {
    ResourceInstance module = ConduitResources();
    if (module != nullptr) {
      ResourceSetModulePath(module, ConduitModulePath().c_str());
      RegisterConduitUiResources(module);
    }
    g_moduleInstance = module;
    std::uint32_t unused = 0;
    g_resourceInstance = LoadLanguageModule(CONDUIT_LANGUAGE_FILE, module, &unused);
  }
  ++g_attachCount;
  return true;
}

bool ConduitProcessDetach() {
  if (g_attachCount > 0) --g_attachCount;
  if (g_attachCount == 0 && (g_resourceInstance != nullptr || g_moduleInstance != nullptr)) {
    FreeLanguageModule(g_resourceInstance, g_moduleInstance);
    g_resourceInstance = nullptr;
    g_moduleInstance = nullptr;
  }
  return true;
}

std::int32_t ConduitAttachCount() { return g_attachCount; }
ResourceInstance ConduitModuleInstance() { return g_moduleInstance; }
ResourceInstance ConduitResourceInstance() { return g_resourceInstance; }
