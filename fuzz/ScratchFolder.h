#pragma once
// A private folder under the system's temporary folder for one fuzz process,
// made on first use and removed with everything in it when the process ends.
// Fuzz targets keep every file they write in it.

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class CScratchFolder {
 public:
  static const std::filesystem::path& Path() {
    static const CScratchFolder folder;
    return folder.m_path;
  }

 private:
  CScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillet-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    m_path = pattern;
  }
  ~CScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }

  std::filesystem::path m_path;
};
