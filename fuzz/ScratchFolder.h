#pragma once
// The private folder of one fuzz process under the system's temporary folder,
// made on first use and removed with everything in it when the process ends.
// Fuzz targets keep every file they write in it.

#include <filesystem>

#include "tests/support/TempFolder.h"

class CScratchFolder {
 public:
  static const std::filesystem::path& Path() {
    static const CTempFolder folder("fuzz");
    return folder.Path();
  }
};
