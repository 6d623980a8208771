#pragma once
// Helpers that the quillet commands share to present memos and categories:
// flag letters, category names, the JSON form of the category table, and memo
// positions given on the command line.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

class CArgParser;
class CCategoryTable;
class CMemoDatabase;
class CRecord;

namespace MemoFormat {

// Five letters, '-' for a bit that is not set: D deleted, M modified,
// A archived, N new, P private.
std::string Flags(const CRecord& record);

// The name of the category at index (ANSI bytes); empty when there is none.
std::string CategoryName(CCategoryTable* table, int index);

// The "categories" array of the --json outputs: index, id (low byte), name, renamed.
nlohmann::ordered_json Categories(CCategoryTable* table);

// A memo position argument: a number naming a record of the database.  False
// after reporting a usage error.
bool ParsePosition(const CArgParser& parser, std::string_view text, const CMemoDatabase& db,
                   int& position, std::ostream& err);

// A --category argument: the index of a category of the table; index 0
// (Unfiled) is always accepted.  False after reporting a usage error.
bool ParseCategory(const CArgParser& parser, std::string_view text, CMemoDatabase& db,
                   int& category, std::ostream& err);

// Text padded with spaces to the given number of columns.
std::string Pad(std::string_view utf8, std::size_t columns, std::size_t used);

}  // namespace MemoFormat
