// quillet import: adds the memos of a text, JSON or CSV input to a memo file,
// as memos written on the desktop that the next HotSync carries to the
// handheld.  The input is read and checked before the password is asked for;
// the file is changed under its writers' lock and only when every memo is
// accepted.

#include <iostream>
#include <iterator>

#include "tools/common/ArgParser.h"
#include "tools/common/ExitStatus.h"
#include "tools/common/MemoExchange.h"
#include "tools/common/MemoImport.h"
#include "tools/common/PasswordSource.h"
#include "tools/quillet/Commands.h"
#include "tools/quillet/MemoFile.h"

namespace {

// The whole input: a file, or standard input for "-".  False with a reason.
bool ReadInput(const std::string& path, std::istream& in, std::string& bytes, std::string& error) {
  if (path == "-") {
    bytes.clear();
    char block[64 * 1024];
    while (in.read(block, sizeof block) || in.gcount() > 0) {
      bytes.append(block, static_cast<std::size_t>(in.gcount()));
      if (bytes.size() > CMemoImport::MAX_INPUT_BYTES) {
        error = "the standard input is too large to import";
        return false;
      }
    }
    return true;
  }
  return CMemoImport::ReadInputFile(path, bytes, error);
}

}  // namespace

int ImportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet import",
                    "Adds the memos of a text, JSON or CSV input, marked new and modified so "
                    "that the next HotSync carries them to the handheld.");
  parser.AddPositional("FILE", "the memo record file (record.dat)");
  parser.AddPositional("INPUT", "the memos to add (UTF-8); - reads standard input");
  parser.AddOption("format", "FORMAT", "text, json or csv; by default by INPUT's extension");
  parser.AddOption("category", "NAME", "file every memo under category NAME (added when missing)");
  CPasswordSource::AddOptions(parser);
  parser.SetNotes(
      "text: memos separated by form feeds, all filed under --category (default Unfiled).\n"
      "json and csv: each memo filed under the category it names, as 'quillet export'\n"
      "writes them; a category the file lacks is added while there is room, else its\n"
      "memos go to Unfiled.  A protected file asks for its password and encrypts them.\n"
      "Nothing is added unless every memo can be stored.");
  if (const int s = parser.Run(args, out, err); s != CArgParser::CONTINUE) return s;
  const std::string& input = parser.Positional(1);
  MemoExchange::Format format = MemoExchange::FormatForPath(input);
  if (parser.Has("format") && !MemoExchange::ParseFormat(parser.Value("format"), format)) {
    return parser.UsageError(err, "unknown format '" + parser.Value("format") + "' (text, json or csv)");
  }
  if (!MemoExchange::CanImport(format)) {
    return parser.UsageError(err, std::string(MemoExchange::FormatName(format)) +
                                      " cannot be imported (text, json or csv)");
  }
  if (input == "-" && parser.Has("password-stdin")) {
    return parser.UsageError(err, "--password-stdin cannot be used when INPUT is standard input");
  }
  CPasswordSource passwords;
  std::string error;
  if (!passwords.Configure(parser, error)) return parser.UsageError(err, error);

  CMemoFile file(parser.CommandPath());
  std::string bytes;
  if (!ReadInput(input, std::cin, bytes, error)) return file.Fail(err, ExitStatus::CANNOT_OPEN, error);
  std::vector<MemoExchange::Memo> memos;
  if (!CMemoImport::Parse(format, bytes, memos, error)) return file.Fail(err, ExitStatus::FAILED, error);

  if (const int s = file.Open(parser.Positional(0), true, passwords, err); s != ExitStatus::OK) return s;
  const std::string category = parser.Value("category");
  CMemoImport::Outcome outcome;
  if (!CMemoImport::Apply(file.Database(), memos, parser.Has("category") ? &category : nullptr, outcome,
                          error)) {
    return file.Fail(err, ExitStatus::FAILED, error);
  }
  for (const std::string& warning : outcome.warnings) {
    err << parser.CommandPath() << ": warning: " << warning << "\n";
  }
  if (outcome.added == 0) {
    out << "no memos to import; " << file.Path() << " was left as it was\n";
    return ExitStatus::OK;
  }
  if (const int s = file.Save(err); s != ExitStatus::OK) return s;
  for (const std::string& name : outcome.createdCategories) out << "added category " << name << "\n";
  out << "imported " << outcome.added << (outcome.added == 1 ? " memo" : " memos") << "\n";
  return ExitStatus::OK;
}
