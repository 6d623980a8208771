// The commands that change a memo file: add, edit and delete.  They change the
// records as the memo editor and the main view do (new memos get id 0 and the
// modified mark, edits set modified, deletion sets the deleted mark and keeps the
// record until the next HotSync) and write the file back only when everything
// succeeded, so a failing command leaves the file as it was.

#include <algorithm>
#include <memory>
#include <ostream>

#include "store/MemoDatabase.h"
#include "tools/common/ArgParser.h"
#include "tools/common/ExitStatus.h"
#include "tools/common/PasswordSource.h"
#include "tools/common/TextFile.h"
#include "tools/quillet/Commands.h"
#include "tools/quillet/MemoFile.h"
#include "tools/quillet/MemoFormat.h"
#include "tools/quillet/MemoText.h"

namespace {


void DeclareText(CArgParser& parser) {
  parser.AddOption("category", "INDEX", "file the memo under the category at INDEX (0 = Unfiled)");
  parser.AddOption("text", "TEXT", "the memo text (UTF-8; \\n separates lines)");
  parser.AddOption("text-file", "F", "read the memo text from file F (UTF-8)");
}

// Takes the memo text from --text or --text-file, in the form the database holds.
// Returns CArgParser::CONTINUE, or the exit status after a usage error.
int TakeText(const CArgParser& parser, std::string& memo, std::ostream& err) {
  std::string input;
  std::string error;
  if (parser.Has("text")) {
    input = parser.Value("text");
  } else if (!ReadTextFile(parser.Value("text-file"), MemoText::MAX_FILE_BYTES, input, error)) {
    return parser.UsageError(err, error);
  }
  if (!MemoText::FromInput(input, memo, error)) return parser.UsageError(err, error);
  return CArgParser::CONTINUE;
}

// Parses the command line and the password options.  Returns CONTINUE or the
// exit status.
int ParseChange(CArgParser& parser, const std::vector<std::string>& args,
                CPasswordSource& passwords, std::ostream& out, std::ostream& err) {
  CPasswordSource::AddOptions(parser);
  if (const int s = parser.Run(args, out, err); s != CArgParser::CONTINUE) return s;
  std::string error;
  if (!passwords.Configure(parser, error)) return parser.UsageError(err, error);
  return CArgParser::CONTINUE;
}

}  // namespace

int AddCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet add", "Adds a memo, as the memo editor's OK does for a new memo.");
  parser.AddPositional("FILE", CMemoFile::FILE_HELP);
  DeclareText(parser);
  parser.SetNotes("Exactly one of --text and --text-file is needed.  Prints the new position.");
  CPasswordSource passwords;
  if (const int s = ParseChange(parser, args, passwords, out, err); s != CArgParser::CONTINUE) {
    return s;
  }
  if (parser.Has("text") == parser.Has("text-file")) {
    return parser.UsageError(err, "give the text with exactly one of --text and --text-file");
  }
  std::string text;
  if (const int s = TakeText(parser, text, err); s != CArgParser::CONTINUE) return s;

  CMemoFile file(parser.CommandPath());
  if (const int s = file.Open(parser.Positional(0), true, passwords, err); s != ExitStatus::OK) {
    return s;
  }
  CMemoDatabase& db = file.Database();
  int category = 0;
  if (parser.Has("category") &&
      !MemoFormat::ParseCategory(parser, parser.Value("category"), db, category, err)) {
    return ExitStatus::USAGE;
  }
  auto memo = std::make_unique<CMemoRecord>();
  memo->uniqueId = 0;
  memo->category = category;
  memo->attributes = CRecord::ATTR_MODIFIED;
  memo->text = std::move(text);
  CMemoRecord* added = memo.get();
  db.AddRecord(std::move(memo));
  if (const int s = file.Save(err); s != ExitStatus::OK) return s;
  out << "added memo at position " << added->position << "\n";
  return ExitStatus::OK;
}

int EditCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet edit",
                    "Changes the text and/or the category of a memo and marks it modified.");
  parser.AddPositional("FILE", CMemoFile::FILE_HELP);
  parser.AddPositional("POSITION", "the memo's position, as 'quillet list' shows it");
  DeclareText(parser);
  CPasswordSource passwords;
  if (const int s = ParseChange(parser, args, passwords, out, err); s != CArgParser::CONTINUE) {
    return s;
  }
  if (parser.Has("text") && parser.Has("text-file")) {
    return parser.UsageError(err, "--text and --text-file cannot be used together");
  }
  if (!parser.Has("text") && !parser.Has("text-file") && !parser.Has("category")) {
    return parser.UsageError(err, "nothing to change: give --text, --text-file or --category");
  }
  std::uint64_t number = 0;
  if (!CArgParser::ParseNumber(parser.Positional(1), 0x7FFFFFFF, number)) {
    return parser.UsageError(err, "'" + parser.Positional(1) + "' is not a memo position");
  }
  std::string text;
  const bool newText = parser.Has("text") || parser.Has("text-file");
  if (newText) {
    if (const int s = TakeText(parser, text, err); s != CArgParser::CONTINUE) return s;
  }

  CMemoFile file(parser.CommandPath());
  if (const int s = file.Open(parser.Positional(0), true, passwords, err); s != ExitStatus::OK) {
    return s;
  }
  CMemoDatabase& db = file.Database();
  int position = 0;
  if (!MemoFormat::ParsePosition(parser, parser.Positional(1), db, position, err)) {
    return ExitStatus::USAGE;
  }
  CMemoRecord* memo = db.MemoAt(position);
  if (memo->IsDeleted()) {
    return parser.UsageError(err, "the memo at position " + std::to_string(position) +
                                      " is deleted and cannot be edited");
  }
  int category = memo->category;
  if (parser.Has("category") &&
      !MemoFormat::ParseCategory(parser, parser.Value("category"), db, category, err)) {
    return ExitStatus::USAGE;
  }
  if (newText) memo->text = std::move(text);
  memo->category = category;
  memo->attributes |= CRecord::ATTR_MODIFIED;
  if (const int s = file.Save(err); s != ExitStatus::OK) return s;
  out << "changed memo at position " << position << "\n";
  return ExitStatus::OK;
}

int DeleteCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet delete",
                    "Marks memos deleted; the next HotSync removes them from both sides.");
  parser.AddPositional("FILE", CMemoFile::FILE_HELP);
  parser.AddPositional("POSITION", "the positions of the memos, as 'quillet list' shows them",
                       true, true);
  CPasswordSource passwords;
  if (const int s = ParseChange(parser, args, passwords, out, err); s != CArgParser::CONTINUE) {
    return s;
  }
  const std::vector<std::string>& words = parser.Positionals();
  for (std::size_t i = 1; i < words.size(); ++i) {
    std::uint64_t number = 0;
    if (!CArgParser::ParseNumber(words[i], 0x7FFFFFFF, number)) {
      return parser.UsageError(err, "'" + words[i] + "' is not a memo position");
    }
  }
  CMemoFile file(parser.CommandPath());
  if (const int s = file.Open(words[0], true, passwords, err); s != ExitStatus::OK) return s;
  CMemoDatabase& db = file.Database();
  // Every position is checked before anything changes.
  std::vector<int> positions;
  for (std::size_t i = 1; i < words.size(); ++i) {
    int position = 0;
    if (!MemoFormat::ParsePosition(parser, words[i], db, position, err)) return ExitStatus::USAGE;
    if (std::find(positions.begin(), positions.end(), position) == positions.end()) {
      positions.push_back(position);
    }
  }
  for (int position : positions) db.RecordAt(position)->attributes |= CRecord::ATTR_DELETED;
  if (const int s = file.Save(err); s != ExitStatus::OK) return s;
  for (int position : positions) out << "deleted memo at position " << position << "\n";
  return ExitStatus::OK;
}
