#pragma once
// A fresh folder under the system's temporary folder, removed with its contents.

#include <filesystem>
#include <random>
#include <string>

class CTempFolder {
 public:
  CTempFolder() {
    std::random_device random;
    m_path = std::filesystem::temp_directory_path() /
             ("quillet-handheld-test-" + std::to_string(random()) + "-" + std::to_string(random()));
    std::filesystem::create_directories(m_path);
  }
  ~CTempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
  }
  CTempFolder(const CTempFolder&) = delete;
  CTempFolder& operator=(const CTempFolder&) = delete;
  const std::filesystem::path& Path() const { return m_path; }

 private:
  std::filesystem::path m_path;
};
