#pragma once
// Import of memos into a loaded memo file, shared by `quillet import` and the
// organizer's File menu.  Every memo is added as a memo written on the
// desktop: no record id yet, marked new and modified, so that the next HotSync
// carries it to the handheld; a protected file encrypts it when it is saved.
//
// A memo is filed under the category the input names (the text format names
// none: Unfiled), or under the one the caller gives for all of them.  A
// category the file lacks is added while the table has room and the name is
// short enough; otherwise its memos go to Unfiled with a warning.  Names and
// texts are compared and stored as Shift-JIS bytes.
//
// Nothing changes unless every memo is accepted: a text or a name that
// Shift-JIS cannot hold, or a text longer than a memo may be, refuses the
// whole import with a message naming the memo.  Empty memos are passed over
// with a warning.

#include <string>
#include <string_view>
#include <vector>

#include "tools/common/MemoExchange.h"

class CMemoDatabase;

class CMemoImport {
 public:
  // Larger input is refused before it is read.
  static constexpr std::size_t MAX_INPUT_BYTES = 64u << 20;

  struct Outcome {
    int added = 0;
    std::vector<std::string> createdCategories;  // UTF-8
    std::vector<std::string> warnings;
  };

  // Reads an input file whole, refusing one larger than MAX_INPUT_BYTES.
  // False with a one-line reason.
  static bool ReadInputFile(const std::string& path, std::string& bytes, std::string& error);

  // Reads the memos of an input in a format that can be imported.  A UTF-8
  // byte order mark at the start is passed over.  False with a reason when the
  // input is not of the format.
  //   text: the memos separated by form feeds; one line end at the very end is
  //     the export's and is not part of the last memo;
  //   json: {"memos": [{"category": NAME, "text": TEXT}, ...]}, "category"
  //     optional, other members ignored;
  //   csv: a header naming the columns "text" and, optionally, "category".
  static bool Parse(MemoExchange::Format format, std::string_view input,
                    std::vector<MemoExchange::Memo>& memos, std::string& error);

  // Adds the memos to the database (in memory; the caller saves).  category,
  // when not null, is the category (UTF-8) for every memo, added when missing;
  // when it cannot be added the import is refused.  False with a message when
  // the import is refused; the database is then as it was.
  static bool Apply(CMemoDatabase& db, const std::vector<MemoExchange::Memo>& memos,
                    const std::string* category, Outcome& outcome, std::string& error);
};
