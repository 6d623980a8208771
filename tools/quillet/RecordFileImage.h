#pragma once
// The bytes of a new, empty memo record file: the 84-byte header of the memo
// database and an app-info block holding the category block, optionally followed
// by the memo application's own bytes (password digest and hint).  The records
// are then added through the memo database.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace RecordFileImage {

// Name of the memo database on the handheld, in the header and the app-info block.
inline constexpr const char* DB_NAME = "QuilletMemoDB";
// Creator and type as the handheld reports them: the four characters as a 32-bit
// value, first character most significant.
inline constexpr std::uint32_t CREATOR = 0x44655275;  // 'DeRu'
inline constexpr std::uint32_t TYPE = 0x44415441;     // 'DATA'

struct Category {
  int index;            // slot 0..15
  std::uint8_t id;      // the handheld's category id
  std::string name;     // ANSI bytes, at most 15
};

// Categories of a new file: "Unfiled" in slot 0 with id 0.
std::vector<Category> DefaultCategories();

// A complete file: header, app-info block (capacity and data length equal to 276
// plus the size of appSpecific), no sort-info block, no records.
std::string Build(const std::vector<Category>& categories, std::string_view appSpecific);

// The memo application's bytes after the category block for a protected file:
// 4 unused bytes, the 16-byte digest, the hint and its terminating zero.
std::string ProtectedAppSpecific(const std::uint8_t (&digest)[16], std::string_view hint);

}  // namespace RecordFileImage
