// quillet category FILE list | add NAME | rename NAME NEWNAME | delete NAME:
// manages the categories of a memo file with the same rules as the category
// editor of the organizer extension (CCategoryRules).  A refusal exits with
// ExitStatus::USAGE and leaves the file untouched; a change is saved under the
// writers' lock, as the other changing commands do.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/CodePage.h"
#include "store/Category.h"
#include "store/CategoryRules.h"
#include "store/CategoryTable.h"
#include "store/MemoDatabase.h"
#include "tools/common/ArgParser.h"
#include "tools/common/ExitStatus.h"
#include "tools/common/PasswordSource.h"
#include "tools/common/ToolText.h"
#include "tools/quillet/Commands.h"
#include "tools/quillet/MemoFile.h"

namespace {

// Length of the UTF-8 sequence that starts with this byte; 0 for a byte that
// cannot start one.
std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// A category name given on the command line (UTF-8) as ANSI bytes.  False
// with a one-line reason when it is not UTF-8, holds characters the code page
// cannot store (named in the reason, never dropped), holds control characters
// (a name is one line), or breaks a rule of category names.
bool NameFromArgument(std::string_view utf8, std::string& ansi, std::string& error) {
  const std::string quoted = "\"" + std::string(utf8) + "\"";
  if (Utf8ToAnsi(utf8, ansi)) {
    for (const char c : utf8) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
        error = "the category name " + quoted + " contains a control character";
        return false;
      }
    }
    switch (CCategoryRules::ValidateName(ansi)) {
      case CCategoryRules::CR_ERR_EMPTY_NAME:
        error = "the category name is empty";
        return false;
      case CCategoryRules::CR_ERR_NAME_TOO_LONG:
        error = "a category name holds at most " + std::to_string(CCategoryRules::MAX_NAME_BYTES) +
                " bytes in Shift-JIS; " + quoted + " takes " + std::to_string(ansi.size());
        return false;
      default:
        return true;
    }
  }
  // Name every character that has no form in the code page.
  std::string missing;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(utf8[pos]));
    std::string one;
    if (length == 0 || pos + length > utf8.size()) {
      error = "the category name is not UTF-8";
      return false;
    }
    const std::string_view character = utf8.substr(pos, length);
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(character[k]) & 0xC0) != 0x80) {
        error = "the category name is not UTF-8";
        return false;
      }
    }
    if (!Utf8ToAnsi(character, one)) missing += character;
    pos += length;
  }
  if (missing.empty()) {
    error = "the category name is not UTF-8";
  } else {
    error = "the category name " + quoted + " holds characters that Shift-JIS cannot store: " + missing;
  }
  ansi.clear();
  return false;
}

std::string Quote(std::string_view ansi) { return "\"" + AnsiToVisible(ansi) + "\""; }

// The index of the category with exactly this name, or -1.
int FindCategory(CCategoryTable& table, std::string_view name) {
  CCategory found;
  return table.FindByName(name, found) == CCategoryTable::CAT_OK ? found.index : -1;
}

// The English message of a refusal of the category rules.
std::string RefusalMessage(int result, std::string_view name) {
  switch (result) {
    case CCategoryRules::CR_ERR_TABLE_FULL:
      return "there can be at most " + std::to_string(CCategoryRules::MAX_CATEGORIES) +
             " categories besides Unfiled";
    case CCategoryRules::CR_ERR_NAME_TAKEN:
      return "category " + Quote(name) + " already exists";
    case CCategoryRules::CR_ERR_UNFILED:
      return "Unfiled can be neither renamed nor deleted";
    case CCategoryRules::CR_ERR_EMPTY_NAME:
      return "the category name is empty";
    case CCategoryRules::CR_ERR_NAME_TOO_LONG:
      return "a category name holds at most 15 bytes";
    default:
      return "no category named " + Quote(name);
  }
}

// category FILE list: the same listing as quillet categories.
int ListCategories(const CArgParser& parser, std::ostream& out, std::ostream& err) {
  std::vector<std::string> args;
  if (parser.Has("json")) args.push_back("--json");
  if (parser.Has("password-file")) {
    args.push_back("--password-file");
    args.push_back(parser.Value("password-file"));
  }
  if (parser.Has("password-stdin")) args.push_back("--password-stdin");
  args.push_back("--");
  args.push_back(parser.Positional(0));
  return CategoriesCommand(args, out, err);
}

}  // namespace

int CategoryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet category",
                    "Adds, renames and deletes categories as the category editor does.");
  parser.AddPositional("FILE", "the memo record file (record.dat)");
  parser.AddPositional("ACTION", "list, add NAME, rename NAME NEWNAME or delete NAME");
  parser.AddPositional("NAME", "category names (UTF-8), as the action needs", false, true);
  parser.AddFlag("json", "list: print one JSON object (UTF-8) for scripts");
  parser.AddFlag("merge", "rename: when NEWNAME exists, move the memos of NAME into it");
  parser.AddFlag("delete-memos", "delete: mark the category's memos deleted instead of moving them to Unfiled");
  parser.SetNotes(
      "Names are compared exactly (case-sensitive) and hold at most 15 bytes in\n"
      "Shift-JIS.  Unfiled can be neither renamed nor deleted; at most 15 categories\n"
      "exist besides it.  Memos that change category are marked modified, so the next\n"
      "HotSync carries the change.  A refusal exits with status 2 and leaves the file\n"
      "as it was.");
  CPasswordSource::AddOptions(parser);
  if (const int s = parser.Run(args, out, err); s != CArgParser::CONTINUE) return s;

  const std::string& action = parser.Positional(1);
  const std::size_t nameCount = parser.Positionals().size() - 2;
  std::size_t wanted = 0;
  if (action == "add" || action == "delete") {
    wanted = 1;
  } else if (action == "rename") {
    wanted = 2;
  } else if (action != "list") {
    return parser.UsageError(err, "unknown action '" + action + "' (list, add, rename or delete)");
  }
  if (nameCount != wanted) {
    return parser.UsageError(err, action + " takes " + std::to_string(wanted) +
                                      (wanted == 1 ? " name" : " names"));
  }
  if (parser.Has("json") && action != "list") return parser.UsageError(err, "--json is for list");
  if (parser.Has("merge") && action != "rename") return parser.UsageError(err, "--merge is for rename");
  if (parser.Has("delete-memos") && action != "delete") {
    return parser.UsageError(err, "--delete-memos is for delete");
  }
  if (action == "list") return ListCategories(parser, out, err);

  // Every name is checked before the file is opened or a password asked for.
  std::vector<std::string> names;
  for (std::size_t i = 2; i < parser.Positionals().size(); ++i) {
    std::string ansi;
    std::string error;
    if (!NameFromArgument(parser.Positional(i), ansi, error)) return parser.UsageError(err, error);
    names.push_back(std::move(ansi));
  }
  CPasswordSource passwords;
  std::string error;
  if (!passwords.Configure(parser, error)) return parser.UsageError(err, error);

  CMemoFile file(parser.CommandPath());
  if (const int s = file.Open(parser.Positional(0), true, passwords, err); s != ExitStatus::OK) return s;
  CMemoDatabase& db = file.Database();
  CCategoryTable* table = db.GetCategories();
  if (table == nullptr) return file.Fail(err, ExitStatus::FAILED, "the file has no category table");

  std::string done;
  if (action == "add") {
    int index = 0;
    if (const int r = CCategoryRules::Add(*table, names[0], index); r != CCategoryRules::CR_OK) {
      return file.Fail(err, ExitStatus::USAGE, RefusalMessage(r, names[0]));
    }
    CCategory added;
    table->FindByIndex(index, added);
    done = "added category " + Quote(names[0]) + " at index " + std::to_string(index) + " (id " +
           std::to_string(added.uniqueId & 0xFF) + ")";
  } else {
    const int index = FindCategory(*table, names[0]);
    if (index < 0) return file.Fail(err, ExitStatus::USAGE, RefusalMessage(CCategoryRules::CR_ERR_NOT_FOUND, names[0]));
    if (action == "delete") {
      const bool deleteMemos = parser.Has("delete-memos");
      if (const int r = CCategoryRules::Delete(db, *table, index, deleteMemos); r != CCategoryRules::CR_OK) {
        return file.Fail(err, ExitStatus::USAGE, RefusalMessage(r, names[0]));
      }
      done = "deleted category " + Quote(names[0]) +
             (deleteMemos ? "; its memos are marked deleted" : "; its memos moved to Unfiled");
    } else {
      int selected = index;
      const int r = CCategoryRules::Rename(db, *table, index, names[1], parser.Has("merge"), selected);
      if (r == CCategoryRules::CR_ERR_MERGE_NEEDED) {
        return file.Fail(err, ExitStatus::USAGE,
                         "category " + Quote(names[1]) + " already exists; give --merge to add every memo of " +
                             Quote(names[0]) + " to it");
      }
      if (r != CCategoryRules::CR_OK) return file.Fail(err, ExitStatus::USAGE, RefusalMessage(r, names[0]));
      done = selected == index ? "renamed category " + Quote(names[0]) + " to " + Quote(names[1])
                               : "merged category " + Quote(names[0]) + " into " + Quote(names[1]);
    }
  }
  if (const int s = file.Save(err); s != ExitStatus::OK) return s;
  out << done << "\n";
  return ExitStatus::OK;
}
