#pragma once

#include <string>
#include <utility>

// One category of the memo application's category table.
class CCategory {
 public:
  CCategory() = default;
  CCategory(int index, int uniqueId, std::string name, int renamed)
      : index(index), uniqueId(uniqueId), name(std::move(name)), renamed(renamed) {}
  virtual ~CCategory();

  int index = 0;          // slot 0..15; 0 is "Unfiled"
  int uniqueId = 0;       // the handheld's category id; read from its byte sign-extended
  std::string name;       // bytes in the ANSI code page; at most 15 bytes in the file
  int renamed = 0;        // the name changed on the desktop and must reach the handheld
};
