#pragma once
// A registry file in a fresh folder for the registry tests: its path, the key
// the extension keeps its values under, and the file's bytes read and written
// around the class under test.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/TempFolder.h"

class CRegistryFileFixture : public ::testing::Test {
 protected:
  static constexpr const char* KEY = "HKEY_CURRENT_USER\\Software\\Brindle Works\\QuilletExt";

  std::string ReadFile() const {
    std::ifstream in(m_file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void WriteFile(const std::string& text) const {
    std::ofstream(m_file, std::ios::binary | std::ios::trunc) << text;
  }

  CTempFolder m_folder{"registry"};
  const std::filesystem::path m_file = m_folder / "registry.ini";
};
