// The language loader: looks for the language library beside the module and
// loads its resources; falls back to the module's own resources.

#include "platform/palmcmn/LanguageLoader.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <map>
#include <mutex>
#include <new>
#include <string>

namespace {

// Language libraries loaded, by the resource instance they returned.
struct Loaded {
  std::mutex mutex;
  std::map<ResourceInstance, void*> libraries;
};

Loaded& TheLoaded() {
  static Loaded loaded;
  return loaded;
}

using LanguageEntry = ResourceInstance (*)();

// The path of `file` in the folder of the module's file, or "" when the module
// has no known path.
std::string BesideModule(ResourceInstance module, const char* file) {
  std::string modulePath = ResourceModulePath(module);
  std::size_t slash = modulePath.find_last_of('/');
  if (slash == std::string::npos) return {};
  return modulePath.substr(0, slash + 1) + file;
}

}  // namespace

extern "C" ResourceInstance LoadLanguageModule(const char* languageFile, ResourceInstance moduleInstance,
                                               std::uint32_t* unusedOut) {
  if (unusedOut != nullptr) *unusedOut = 0;
  if (languageFile == nullptr || *languageFile == '\0' || moduleInstance == nullptr) {
    return moduleInstance;
  }
  try {
    std::string path = BesideModule(moduleInstance, languageFile);
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
      return moduleInstance;
    }
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return moduleInstance;
    auto entry = reinterpret_cast<LanguageEntry>(::dlsym(library, LANGUAGE_ENTRY_NAME));
    ResourceInstance resources = entry != nullptr ? entry() : nullptr;
    if (resources == nullptr || resources == moduleInstance) {
      ::dlclose(library);
      return moduleInstance;
    }
    Loaded& loaded = TheLoaded();
    std::lock_guard<std::mutex> lock(loaded.mutex);
    auto [it, inserted] = loaded.libraries.emplace(resources, library);
    if (!inserted) ::dlclose(library);  // already loaded: keep one reference
    return resources;
  } catch (const std::bad_alloc&) {
    return moduleInstance;
  }
}

extern "C" void FreeLanguageModule(ResourceInstance resourceInstance, ResourceInstance moduleInstance) {
  if (resourceInstance == nullptr || resourceInstance == moduleInstance) return;
  Loaded& loaded = TheLoaded();
  std::lock_guard<std::mutex> lock(loaded.mutex);
  auto it = loaded.libraries.find(resourceInstance);
  if (it == loaded.libraries.end()) return;
  // The module's tables stay registered: strings already handed out remain
  // valid, only the library's code is released.
  ::dlclose(it->second);
  loaded.libraries.erase(it);
}
