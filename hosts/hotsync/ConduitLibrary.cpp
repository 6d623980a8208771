// Loading a conduit library.

#include "hosts/hotsync/ConduitLibrary.h"

#include <dlfcn.h>

#include <cstdlib>

CConduitLibrary::~CConduitLibrary() { Unload(); }

std::filesystem::path CConduitLibrary::DefaultPath() {
  const char* variable = std::getenv(PATH_VARIABLE);
  if (variable != nullptr && *variable != '\0') return variable;
  std::error_code ec;
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return FILE_NAME;
  std::filesystem::path beside = program.parent_path() / FILE_NAME;
#ifdef QUILLET_INSTALL_LIBDIR
  // An installed HotSync Manager finds the conduit in the library folder.
  if (!std::filesystem::exists(beside, ec)) return std::filesystem::path(QUILLET_INSTALL_LIBDIR) / FILE_NAME;
#endif
  return beside;
}

bool CConduitLibrary::Load(const std::filesystem::path& path) {
  Unload();
  m_path = path;
  // A bare name would be searched for on the library path; always give a path.
  std::string file = path.has_parent_path() ? path.string() : "./" + path.string();
  // The library stays mapped after Unload: the user-interface libraries it
  // brings in keep process-wide state that does not survive being unloaded.
  m_handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (m_handle == nullptr) {
    const char* why = ::dlerror();
    m_error = "cannot load the conduit " + path.string() + ": " + (why != nullptr ? why : "unknown error");
    return false;
  }
  struct Entry {
    const char* name;
    void** slot;
  };
  const Entry entries[] = {
      {"OpenConduit", reinterpret_cast<void**>(&openConduit)},
      {"GetConduitName", reinterpret_cast<void**>(&getConduitName)},
      {"GetConduitVersion", reinterpret_cast<void**>(&getConduitVersion)},
      {"ConfigureConduit", reinterpret_cast<void**>(&configureConduit)},
      {"CfgConduit", reinterpret_cast<void**>(&cfgConduit)},
      {"GetConduitInfo", reinterpret_cast<void**>(&getConduitInfo)},
  };
  for (const Entry& entry : entries) {
    *entry.slot = ::dlsym(m_handle, entry.name);
    if (*entry.slot == nullptr) {
      m_error = "the conduit " + path.string() + " has no entry point " + entry.name;
      Unload();
      return false;
    }
  }
  return true;
}

void CConduitLibrary::Unload() {
  openConduit = nullptr;
  getConduitName = nullptr;
  getConduitVersion = nullptr;
  configureConduit = nullptr;
  cfgConduit = nullptr;
  getConduitInfo = nullptr;
  if (m_handle != nullptr) {
    ::dlclose(m_handle);
    m_handle = nullptr;
  }
}
