#pragma once
// A fresh folder that QUILLET_CONFIG_HOME (the registry's folder) points at
// for one test.

#include <cstdlib>

#include "support/TempFolder.h"
#include "platform/registry/Registry.h"

struct CConfigHome : CTempFolder {
  CConfigHome() { setenv("QUILLET_CONFIG_HOME", Path().c_str(), 1); }
  std::string Folder() const { return Path().string(); }
  std::filesystem::path RegistryFile() const { return Path() / CRegistry::FILE_NAME; }
};
