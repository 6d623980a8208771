#pragma once
// The files of a folder by name with their bytes, read and put back past the
// file environment: a fault test takes one before an operation and restores
// it before the next fault.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

using FolderSnapshot = std::map<std::string, std::string>;

inline FolderSnapshot TakeFolderSnapshot(const std::filesystem::path& folder) {
  FolderSnapshot files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().filename().string()] =
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return files;
}

// Makes the folder hold exactly the snapshot's files.
inline void RestoreFolderSnapshot(const std::filesystem::path& folder, const FolderSnapshot& files) {
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  for (const auto& [name, bytes] : files) std::ofstream(folder / name, std::ios::binary) << bytes;
}
