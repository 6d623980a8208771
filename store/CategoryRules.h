#pragma once

#include <cstddef>
#include <string_view>

class CCategoryTable;
class CRecordDatabase;

// The rules of adding, renaming (with merge) and deleting memo categories,
// shared by the category dialogs and the command line.  The callers only ask
// and show; every change to the category table and to the records happens
// here.
//
// Every operation that refuses leaves the table and the records exactly as
// they were, except that a new category refused after BeginAdd has used up
// the identifier it was given (identifiers are never handed out twice).
//
// Records are walked by position; deleted records are passed over.  Names
// are bytes in the ANSI code page and are compared exactly (case-sensitive).
class CCategoryRules {
 public:
  static constexpr int CR_OK = 0;
  static constexpr int CR_ERR_EMPTY_NAME = 1;     // the name has no bytes
  static constexpr int CR_ERR_NAME_TOO_LONG = 2;  // more than MAX_NAME_BYTES bytes
  static constexpr int CR_ERR_TABLE_FULL = 3;     // 15 categories besides Unfiled already
  static constexpr int CR_ERR_NAME_TAKEN = 4;     // another category has the name
  static constexpr int CR_ERR_UNFILED = 5;        // Unfiled can be neither renamed nor deleted
  static constexpr int CR_ERR_NOT_FOUND = 6;      // no category at that index
  // Rename onto the name of another category without allowing the merge.
  static constexpr int CR_ERR_MERGE_NEEDED = 7;

  static constexpr int UNFILED = 0;
  static constexpr std::size_t MAX_NAME_BYTES = 15;
  static constexpr int MAX_CATEGORIES = 15;  // besides Unfiled

  // CR_OK, CR_ERR_EMPTY_NAME or CR_ERR_NAME_TOO_LONG.  Length is counted in
  // bytes of the ANSI code page.
  static int ValidateName(std::string_view name);
  // Length of the longest prefix of the name that is at most MAX_NAME_BYTES
  // bytes long and does not split a double-byte character: what a name edit
  // keeps of a longer text.
  static std::size_t FitName(std::string_view name);

  // The new-category flow of the category editor, in two steps around the
  // name prompt.
  // BeginAdd puts a category with an empty name into the lowest free index
  // above Unfiled, with the next identifier, and gives that index back.
  // CR_OK or CR_ERR_TABLE_FULL (nothing added, no identifier used).
  static int BeginAdd(CCategoryTable& table, int& newIndex);
  // Names the category that BeginAdd added: CR_OK (the category is marked
  // renamed) or a refusal of the name (ValidateName, CR_ERR_NAME_TAKEN), in
  // which case the new category is removed again.
  static int FinishAdd(CCategoryTable& table, int newIndex, std::string_view name);
  // Removes the category that BeginAdd added (the prompt was cancelled).
  static void CancelAdd(CCategoryTable& table, int newIndex);

  // Both steps at once, for callers that know the name beforehand.  The name
  // is checked first, so a bad name uses up no identifier; a taken name does.
  static int Add(CCategoryTable& table, std::string_view name, int& newIndex);

  // Renames the category at `index` (never Unfiled).
  // - No category has the new name, or the category itself has it: the name
  //   is replaced and the category marked renamed; `selected` = index.
  // - Another category has it: without allowMerge, CR_ERR_MERGE_NEEDED and
  //   `selected` = that category's index (so that a caller can ask, then call
  //   again with allowMerge).  With allowMerge, every non-deleted record of
  //   the renamed category moves to the other one and is marked modified, the
  //   renamed category is removed, and `selected` = the other index; the other
  //   category keeps its name, identifier and renamed mark.
  // `selected` is left alone on the other refusals.
  static int Rename(CRecordDatabase& records, CCategoryTable& table, int index,
                    std::string_view newName, bool allowMerge, int& selected);

  // Deletes the category at `index` (never Unfiled).  Its non-deleted records
  // are marked deleted (deleteRecords; their category stays) or move to
  // Unfiled and are marked modified; then the category is removed.
  static int Delete(CRecordDatabase& records, CCategoryTable& table, int index,
                    bool deleteRecords);

 private:
  static bool IsRealCategory(const CCategoryTable& table, int index);
  static void MoveRecords(CRecordDatabase& records, int from, int to);
};
