#pragma once
// A fresh, private folder under the system's temporary folder (mode 0700, made
// by mkdtemp), removed with everything in it when the object goes.  Its name,
// quillet-<owner>-XXXXXX, says which tests left it behind if a test program is
// killed.  Header-only, so that the fuzz targets can use it without the test
// support library.

#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

class CTempFolder {
 public:
  explicit CTempFolder(const std::string& owner = "test") {
    std::string pattern =
        (std::filesystem::temp_directory_path() / ("quillet-" + owner + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      // No test can run without its folder.
      std::perror("mkdtemp");
      std::abort();
    }
    m_path = pattern;
  }
  ~CTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  CTempFolder(const CTempFolder&) = delete;
  CTempFolder& operator=(const CTempFolder&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  std::filesystem::path operator/(const std::string& name) const { return m_path / name; }
  // The path of a file in the folder, as text (for interfaces that take a string).
  std::string File(const std::string& name) const { return (m_path / name).string(); }
  // How many entries the folder holds (files left behind, for instance).
  std::size_t FileCount() const {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_path)) ++count;
    return count;
  }
  // The names of the entries in the folder, hidden ones included, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_path)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path m_path;
};
