// The memo commands: list, add, edit and delete.  They follow the handheld memo
// application's rules (new memos get a fresh id and are dirty, every change
// marks the memo dirty, delete drops the body, archive keeps it) and write the
// database back only when everything succeeded.

#include <cstdio>
#include <iterator>
#include <ostream>

#include "handheld/HandheldResult.h"
#include "platform/recordfile/FileLayout.h"
#include "platform/text/LineEnds.h"
#include "tools/common/ArgParser.h"
#include "tools/common/ExitStatus.h"
#include "tools/common/JsonOutput.h"
#include "tools/common/PasswordSource.h"
#include "tools/common/TextFile.h"
#include "tools/common/ToolText.h"
#include "tools/quillet-handheld/Commands.h"
#include "tools/quillet-handheld/HandheldSession.h"

using namespace HandheldResult;

namespace {

// A text file larger than this is refused before it is read.
constexpr std::size_t MAX_TEXT_FILE = 1 << 20;
constexpr std::size_t CATEGORY_COLUMNS = 15;
constexpr std::size_t FIRST_LINE_COLUMNS = 48;

void DeclareText(CArgParser& parser) {
  parser.AddOption("text", "TEXT", "the memo text (UTF-8)");
  parser.AddOption("text-file", "F", "read the memo text from file F (UTF-8)");
  parser.AddOption("category", "NAME", "file the memo under the category NAME (\"Unfiled\" by default)");
}

// The memo text from --text or --text-file as the device keeps it: CP932 with
// "\n" line ends.  Returns CONTINUE or the exit status.
int TakeText(const CArgParser& parser, std::string& text, std::ostream& err) {
  std::string input;
  if (parser.Has("text")) {
    input = parser.Value("text");
  } else {
    std::string error;
    if (!ReadTextFile(parser.Value("text-file"), MAX_TEXT_FILE, input, error)) return parser.UsageError(err, error);
  }
  if (input.empty()) return parser.UsageError(err, "the memo text is empty");
  if (input.find('\0') != std::string::npos) return parser.UsageError(err, "the memo text contains a NUL character");
  if (!InputToAnsi(CrLfToLf(input), text)) {
    return parser.UsageError(err, "the memo text is not UTF-8 or holds a character that has no Shift-JIS form");
  }
  if (text.size() + 1 > FileLayout::REC_MAX_DATA) {
    return parser.UsageError(err, "the memo text takes " + std::to_string(text.size()) +
                                      " bytes; a memo holds at most " +
                                      std::to_string(FileLayout::REC_MAX_DATA - 1));
  }
  return CArgParser::CONTINUE;
}

// The slot of the category named on the command line.  Returns CONTINUE or USAGE.
int TakeCategory(const CArgParser& parser, CMemoApp& memos, std::uint8_t& slot, std::ostream& err) {
  const std::string& name = parser.Value("category");
  std::string ansi;
  if (!InputToAnsi(name, ansi)) return parser.UsageError(err, "the category name is not UTF-8");
  const int found = memos.FindCategory(ansi);
  if (found < 0) return parser.UsageError(err, "the device has no category '" + name + "'");
  slot = static_cast<std::uint8_t>(found);
  return CArgParser::CONTINUE;
}

// The memo id argument.  Returns CONTINUE or USAGE.
int TakeId(const CArgParser& parser, std::uint32_t& id, std::ostream& err) {
  std::uint64_t value = 0;
  if (!CArgParser::ParseNumber(parser.Positional(0), PdbLayout::PDB_UNIQUE_ID_MASK, value) || value == 0) {
    return parser.UsageError(err, "'" + parser.Positional(0) + "' is not a memo id");
  }
  id = static_cast<std::uint32_t>(value);
  return CArgParser::CONTINUE;
}

int ChangeFailed(const CHandheldSession& session, std::ostream& err, int rc, std::uint32_t id) {
  if (rc == HH_ERR_NOT_FOUND) {
    return session.Fail(err, ExitStatus::USAGE, "no memo with id " + std::to_string(id) + " (deleted memos cannot be changed)");
  }
  return session.Fail(err, CHandheldSession::StatusFor(rc), std::string("cannot change the memo: ") + Describe(rc));
}

std::string Flags(const CMemoApp::Memo& memo) {
  std::string f = "----";
  if (memo.deleted) f[0] = 'D';
  if (memo.dirty) f[1] = 'M';
  if (memo.archived) f[2] = 'A';
  if (memo.secret) f[3] = 'P';
  return f;
}

std::string Pad(std::string text, std::size_t columns, std::size_t width) {
  if (width < columns) text.append(columns - width, ' ');
  return text;
}

JsonOutput::Json Categories(const CMemoApp& memos) {
  JsonOutput::Json categories = JsonOutput::Json::array();
  for (std::uint8_t slot = 0; slot < FileLayout::CAT_COUNT; ++slot) {
    if (!memos.IsCategoryUsed(slot)) continue;
    categories.push_back({{"index", slot},
                          {"id", memos.CategoryId(slot)},
                          {"name", AnsiToOutput(memos.CategoryName(slot))},
                          {"renamed", memos.IsCategoryRenamed(slot)}});
  }
  return categories;
}

}  // namespace

int ListCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet-handheld list", "Lists the memos on the device in their device order.");
  parser.AddFlag("all", "include memos marked deleted or archived");
  parser.AddFlag("json", "print one JSON object (UTF-8) for scripts");
  parser.SetNotes(
      "Flags: D deleted, M modified (dirty), A archived, P private.\n"
      "The JSON memos carry index, id, category, deleted, modified, archived, new, private,\n"
      "text and dirty; modified and dirty are both the dirty mark, and new is always false\n"
      "(the handheld has no such mark: a new memo is dirty).\n"
      "Protected memos ask for the password on the terminal unless --password-file or\n"
      "--password-stdin is given.");
  CHandheldSession session(parser.CommandPath());
  CPasswordSource passwords;
  if (const int s = session.ParseCommandLine(parser, args, &passwords, out, err); s != CArgParser::CONTINUE) return s;
  if (const int s = session.OpenMemos(err); s != ExitStatus::OK) return s;
  if (const int s = session.Unlock(passwords, err); s != ExitStatus::OK) return s;
  CMemoApp& memos = session.Memos();
  const bool all = parser.Has("all");

  std::vector<std::pair<CMemoApp::Memo, std::string>> shown;
  for (std::size_t i = 0; i < memos.MemoCount(); ++i) {
    CMemoApp::Memo memo;
    memos.MemoAt(i, memo);
    if (memo.deleted && !all) continue;
    std::string text;
    if (const int rc = memos.TextAt(i, text); rc != HH_OK) {
      return session.Fail(err, CHandheldSession::StatusFor(rc), std::string("cannot read a memo: ") + Describe(rc));
    }
    shown.emplace_back(memo, std::move(text));
  }

  if (parser.Has("json")) {
    JsonOutput::Json list = JsonOutput::Json::array();
    for (const auto& [memo, text] : shown) {
      list.push_back({{"index", memo.index},
                      {"id", memo.id},
                      {"category", memo.category},
                      {"deleted", memo.deleted},
                      {"modified", memo.dirty},
                      {"archived", memo.archived},
                      {"new", false},
                      {"private", memo.secret},
                      {"text", AnsiToOutput(text)},
                      {"dirty", memo.dirty}});
    }
    JsonOutput::Write(out, JsonOutput::Json{{"protected", memos.IsProtected()},
                                            {"hint", AnsiToOutput(memos.Hint())},
                                            {"categories", Categories(memos)},
                                            {"memos", std::move(list)}});
    return ExitStatus::OK;
  }

  out << "INDEX        ID  " << Pad("CATEGORY", CATEGORY_COLUMNS, 8) << "  FLAGS  TEXT\n";
  for (const auto& [memo, text] : shown) {
    char head[32];
    std::snprintf(head, sizeof head, "%5zu  %8u  ", memo.index, static_cast<unsigned>(memo.id));
    const std::string category = memo.deleted ? std::string("-") : memos.CategoryName(memo.category);
    out << head << Pad(AnsiToOutput(category), CATEGORY_COLUMNS, AnsiColumns(category)) << "  " << Flags(memo)
        << "   " << FirstLineForOutput(text, FIRST_LINE_COLUMNS) << "\n";
  }
  out << shown.size() << (shown.size() == 1 ? " memo" : " memos") << (memos.IsProtected() ? " (protected)" : "")
      << "\n";
  return ExitStatus::OK;
}

int AddCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet-handheld add", "Adds a memo on the device, as the memo application does.");
  DeclareText(parser);
  parser.AddFlag("private", "mark the memo private");
  parser.SetNotes("Exactly one of --text and --text-file is needed.  Prints the new memo's id.");
  CHandheldSession session(parser.CommandPath());
  CPasswordSource passwords;
  if (const int s = session.ParseCommandLine(parser, args, &passwords, out, err); s != CArgParser::CONTINUE) return s;
  if (parser.Has("text") == parser.Has("text-file")) {
    return parser.UsageError(err, "give the text with exactly one of --text and --text-file");
  }
  std::string text;
  if (const int s = TakeText(parser, text, err); s != CArgParser::CONTINUE) return s;
  if (const int s = session.OpenMemos(err); s != ExitStatus::OK) return s;
  CMemoApp& memos = session.Memos();
  std::uint8_t category = 0;
  if (parser.Has("category")) {
    if (const int s = TakeCategory(parser, memos, category, err); s != CArgParser::CONTINUE) return s;
  }
  if (const int s = session.Unlock(passwords, err); s != ExitStatus::OK) return s;
  std::uint32_t id = 0;
  if (const int rc = memos.AddMemo(text, category, parser.Has("private"), &id); rc != HH_OK) {
    return session.Fail(err, CHandheldSession::StatusFor(rc), std::string("cannot add the memo: ") + Describe(rc));
  }
  if (const int s = session.SaveMemos(err); s != ExitStatus::OK) return s;
  out << "added memo " << id << "\n";
  return ExitStatus::OK;
}

int EditCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet-handheld edit", "Changes a memo on the device and marks it dirty.");
  parser.AddPositional("ID", "the memo's id, as 'quillet-handheld list' shows it");
  DeclareText(parser);
  parser.AddFlag("private", "mark the memo private");
  parser.AddFlag("public", "take away the private mark");
  CHandheldSession session(parser.CommandPath());
  CPasswordSource passwords;
  if (const int s = session.ParseCommandLine(parser, args, &passwords, out, err); s != CArgParser::CONTINUE) return s;
  if (parser.Has("text") && parser.Has("text-file")) {
    return parser.UsageError(err, "--text and --text-file cannot be used together");
  }
  if (parser.Has("private") && parser.Has("public")) {
    return parser.UsageError(err, "--private and --public cannot be used together");
  }
  const bool newText = parser.Has("text") || parser.Has("text-file");
  if (!newText && !parser.Has("category") && !parser.Has("private") && !parser.Has("public")) {
    return parser.UsageError(err, "nothing to change: give --text, --text-file, --category, --private or --public");
  }
  std::uint32_t id = 0;
  if (const int s = TakeId(parser, id, err); s != CArgParser::CONTINUE) return s;
  std::string text;
  if (newText) {
    if (const int s = TakeText(parser, text, err); s != CArgParser::CONTINUE) return s;
  }
  if (const int s = session.OpenMemos(err); s != ExitStatus::OK) return s;
  CMemoApp& memos = session.Memos();
  std::uint8_t category = 0;
  if (parser.Has("category")) {
    if (const int s = TakeCategory(parser, memos, category, err); s != CArgParser::CONTINUE) return s;
  }
  if (const int s = session.Unlock(passwords, err); s != ExitStatus::OK) return s;
  int rc = HH_OK;
  if (newText) rc = memos.SetMemoText(id, text);
  if (rc == HH_OK && parser.Has("category")) rc = memos.SetMemoCategory(id, category);
  if (rc == HH_OK && (parser.Has("private") || parser.Has("public"))) rc = memos.SetMemoSecret(id, parser.Has("private"));
  if (rc != HH_OK) return ChangeFailed(session, err, rc, id);
  if (const int s = session.SaveMemos(err); s != ExitStatus::OK) return s;
  out << "changed memo " << id << "\n";
  return ExitStatus::OK;
}

int DeleteCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet-handheld delete",
                    "Deletes a memo (its text is dropped) or archives it (its text is kept for the desktop archive).");
  parser.AddPositional("ID", "the memo's id, as 'quillet-handheld list' shows it");
  parser.AddFlag("archive", "keep the text so that the next HotSync archives the memo");
  CHandheldSession::AddDeviceOption(parser);
  if (const int s = parser.Run(args, out, err); s != CArgParser::CONTINUE) return s;
  CHandheldSession session(parser.CommandPath());
  if (const int s = session.Locate(parser, err); s != ExitStatus::OK) return s;
  std::uint32_t id = 0;
  if (const int s = TakeId(parser, id, err); s != CArgParser::CONTINUE) return s;
  if (const int s = session.OpenMemos(err); s != ExitStatus::OK) return s;
  const bool archive = parser.Has("archive");
  if (const int rc = session.Memos().DeleteMemo(id, archive); rc != HH_OK) return ChangeFailed(session, err, rc, id);
  if (const int s = session.SaveMemos(err); s != ExitStatus::OK) return s;
  out << (archive ? "archived memo " : "deleted memo ") << id << "\n";
  return ExitStatus::OK;
}
