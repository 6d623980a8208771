#pragma once
// A fresh folder per test for the files the store tests write.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace memotest {

class CTempDir {
 public:
  CTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillet-store-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    m_dir = pattern;
  }
  ~CTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
  }
  CTempDir(const CTempDir&) = delete;
  CTempDir& operator=(const CTempDir&) = delete;

  std::filesystem::path operator/(const std::string& name) const { return m_dir / name; }
  const std::filesystem::path& path() const { return m_dir; }
  std::size_t FileCount() const {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_dir)) ++n;
    return n;
  }

 private:
  std::filesystem::path m_dir;
};

}  // namespace memotest
