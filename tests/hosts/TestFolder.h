#pragma once
// A fresh folder under the system's temporary folder, removed with its
// contents.

#include <filesystem>
#include <random>
#include <string>

class CTestFolder {
 public:
  CTestFolder() {
    std::random_device random;
    m_path = std::filesystem::temp_directory_path() /
             ("quillet-hosts-test-" + std::to_string(random()) + "-" + std::to_string(random()));
    std::filesystem::create_directories(m_path);
  }
  ~CTestFolder() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
  }
  CTestFolder(const CTestFolder&) = delete;
  CTestFolder& operator=(const CTestFolder&) = delete;
  const std::filesystem::path& Path() const { return m_path; }
  std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

 private:
  std::filesystem::path m_path;
};
