#pragma once
// Points QUILLET_CONFIG_HOME (the registry's folder) at a fresh folder for
// one test and puts the previous value back afterwards.

#include <cstdlib>
#include <optional>
#include <string>

#include "hosts/TestFolder.h"
#include "platform/registry/Registry.h"

class CConfigHome {
 public:
  CConfigHome() {
    if (const char* old = std::getenv("QUILLET_CONFIG_HOME")) m_old = old;
    setenv("QUILLET_CONFIG_HOME", Path().c_str(), 1);
  }
  ~CConfigHome() {
    if (m_old) {
      setenv("QUILLET_CONFIG_HOME", m_old->c_str(), 1);
    } else {
      unsetenv("QUILLET_CONFIG_HOME");
    }
  }
  CConfigHome(const CConfigHome&) = delete;
  CConfigHome& operator=(const CConfigHome&) = delete;

  std::string Path() const { return m_folder.Path().string(); }
  std::filesystem::path RegistryFile() const { return m_folder / CRegistry::FILE_NAME; }

 private:
  CTestFolder m_folder;
  std::optional<std::string> m_old;
};
