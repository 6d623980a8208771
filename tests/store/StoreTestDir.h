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
    dir_ = pattern;
  }
  ~CTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  CTempDir(const CTempDir&) = delete;
  CTempDir& operator=(const CTempDir&) = delete;

  std::filesystem::path operator/(const std::string& name) const { return dir_ / name; }
  const std::filesystem::path& path() const { return dir_; }
  std::size_t FileCount() const {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_)) ++n;
    return n;
  }

 private:
  std::filesystem::path dir_;
};

}  // namespace memotest
