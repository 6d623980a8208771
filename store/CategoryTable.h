#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/recordfile/FileLayout.h"
#include "store/Category.h"

// The category table of a memo database, read from and written to the
// 276-byte category block at the start of the app-info data:
//
//   renamed word (big-endian) | 16 names of 16 bytes | 16 id bytes | 2 bytes
//
// Result codes: CAT_OK, CAT_EMPTY, CAT_FULL, CAT_NOT_FOUND.
class CCategoryTable {
 public:
  static constexpr int CAT_OK = 0;
  static constexpr int CAT_EMPTY = 2;      // First/Next on a table without categories
  static constexpr int CAT_FULL = 3;       // Add: no free index (or no free id)
  static constexpr int CAT_NOT_FOUND = 4;  // no such category / none left
  // Identifiers of categories added on the desktop start here.
  static constexpr int FIRST_NEW_ID = 128;

  CCategoryTable();
  virtual ~CCategoryTable();

  // Stores a copy of the category in the lowest free index and gives it the
  // next identifier whose low byte no category of the table holds.  Fills in
  // the caller's index and uniqueId.  CAT_OK or CAT_FULL.
  int Add(CCategory& category);
  int Remove(int index);
  // Replaces the name and marks the category renamed.
  int Rename(int index, std::string_view name);
  // Exact, case-sensitive byte comparison; the lowest index wins.
  int FindByName(std::string_view name, CCategory& out) const;
  int FindByIndex(int index, CCategory& out) const;
  // Walk in ascending index order: CAT_OK, CAT_EMPTY or CAT_NOT_FOUND.
  int First(CCategory& out);
  int Next(CCategory& out);

  // Replaces the table with the categories of a category block.  `size` is
  // the number of app-info data bytes actually present: fields beyond it read
  // as empty.  Resets nextId.
  void ReadFrom(const std::uint8_t* data, std::size_t size);
  // Writes the category block into the first min(size, 276) bytes of the
  // app-info data; bytes after the category block are not touched.
  void WriteTo(std::uint8_t* data, std::size_t size) const;

  int Count() const;
  int NextId() const { return nextId; }

 private:
  // The entry at an index already checked to be 0..15.
  std::optional<CCategory>& Entry(int index) { return entries[static_cast<std::size_t>(index)]; }
  const std::optional<CCategory>& Entry(int index) const { return entries[static_cast<std::size_t>(index)]; }
  bool IdInUse(int id) const;
  int Seek(int fromIndex, CCategory& out);

  int nextId = FIRST_NEW_ID;
  std::uint16_t cursor = 0;
  std::array<std::optional<CCategory>, FileLayout::CAT_COUNT> entries;
};
