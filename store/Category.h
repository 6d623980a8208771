#pragma once

#include <string>
#include <utility>

// One category of the memo application's category table.
class CCategory {
 public:
  CCategory() = default;
  CCategory(int slot, int id, std::string text, int renamedFlag)
      : index(slot), uniqueId(id), name(std::move(text)), renamed(renamedFlag) {}
  virtual ~CCategory();

  int index = 0;          // slot 0..15; 0 is "Unfiled"
  int uniqueId = 0;       // the handheld's category id; read from its byte sign-extended
  std::string name;       // bytes in the ANSI code page; at most 15 bytes in the file
  int renamed = 0;        // the name changed on the desktop and must reach the handheld
};
