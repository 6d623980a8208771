// The commands that read a memo file without changing it: list, show,
// categories and export.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string_view>
#include <vector>

#include "platform/recordfile/FileLayout.h"
#include "store/CategoryTable.h"
#include "store/MemoDatabase.h"
#include "tools/common/ArgParser.h"
#include "tools/common/ExitStatus.h"
#include "tools/common/JsonOutput.h"
#include "tools/common/JsonWriter.h"
#include "tools/common/MemoExchange.h"
#include "tools/common/MemoExport.h"
#include "tools/common/MemoTextOrder.h"
#include "tools/common/PasswordSource.h"
#include "tools/common/ToolText.h"
#include "tools/quillet/Commands.h"
#include "tools/quillet/MemoFile.h"
#include "tools/quillet/MemoFormat.h"

namespace {

// Width of the category column: a category name takes at most 15 columns.
constexpr std::size_t kCategoryColumns = 15;
constexpr std::size_t kFirstLineColumns = 48;

// Parses the command line of a reading command, runs the command's own checks of
// its arguments (before any password is asked for) and opens the file.  Returns
// CArgParser::CONTINUE when the command should go on.
int OpenForReading(CArgParser& parser, const std::vector<std::string>& args, CMemoFile& file,
                   std::ostream& out, std::ostream& err,
                   const std::function<int()>& check = nullptr) {
  CPasswordSource::AddOptions(parser);
  if (const int s = parser.Run(args, out, err); s != CArgParser::CONTINUE) return s;
  if (check) {
    if (const int s = check(); s != CArgParser::CONTINUE) return s;
  }
  CPasswordSource passwords;
  std::string error;
  if (!passwords.Configure(parser, error)) return parser.UsageError(err, error);
  if (const int s = file.Open(parser.Positional(0), false, passwords, err); s != ExitStatus::OK) {
    return s;
  }
  return CArgParser::CONTINUE;
}

// A memo of the --json listing, written straight to the output: the listing
// of every memo keeps pace with reading the file this way.
void WriteMemo(CJsonWriter& json, const CMemoRecord& memo) {
  json.BeginObject();
  json.Key("position");
  json.Int(memo.position);
  json.Key("id");
  json.UInt(memo.uniqueId);
  json.Key("category");
  json.Int(memo.category);
  json.Key("deleted");
  json.Bool((memo.attributes & CRecord::ATTR_DELETED) != 0);
  json.Key("modified");
  json.Bool((memo.attributes & CRecord::ATTR_MODIFIED) != 0);
  json.Key("archived");
  json.Bool((memo.attributes & CRecord::ATTR_ARCHIVED) != 0);
  json.Key("new");
  json.Bool((memo.attributes & CRecord::ATTR_NEW) != 0);
  json.Key("private");
  json.Bool(memo.privateFlag != 0);
  json.Key("text");
  json.AnsiString(memo.text);
  json.EndObject();
}

std::string CategoryLabel(CCategoryTable* table, int index) {
  CCategory c;
  if (table != nullptr && table->FindByIndex(index, c) == CCategoryTable::CAT_OK) {
    return MemoFormat::Pad(AnsiToVisible(c.name), kCategoryColumns, AnsiColumns(c.name));
  }
  const std::string unknown = "(" + std::to_string(index) + ")";
  return MemoFormat::Pad(unknown, kCategoryColumns, unknown.size());
}

// The listing is gathered in memory and handed to the stream in blocks of
// about this size.
constexpr std::size_t kOutputBlock = 64 * 1024;

// One line of the text listing per memo.  The category labels of the table's
// slots are made once.
class CListLines {
 public:
  explicit CListLines(CCategoryTable* table) : m_table(table) {
    for (int index = 0; index < static_cast<int>(FileLayout::CAT_COUNT); ++index) {
      m_labels[static_cast<std::size_t>(index)] = CategoryLabel(table, index);
    }
  }

  void Append(std::string& line, const CMemoRecord& memo) const {
    char pos[16];
    const int n = std::snprintf(pos, sizeof pos, "%5d  ", memo.position);
    line.append(pos, static_cast<std::size_t>(n));
    if (memo.category >= 0 && memo.category < static_cast<int>(FileLayout::CAT_COUNT)) {
      line += m_labels[static_cast<std::size_t>(memo.category)];
    } else {
      line += CategoryLabel(m_table, memo.category);
    }
    line += "  ";
    line += MemoFormat::Flags(memo);
    line += "  ";
    AppendFirstLineForOutput(line, memo.text, kFirstLineColumns);
    line += '\n';
  }

 private:
  CCategoryTable* m_table;
  std::array<std::string, FileLayout::CAT_COUNT> m_labels;
};

// Hands the output to the stream; false when the stream failed.
bool Emit(std::ostream& out, std::string& text) {
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  text.clear();
  return static_cast<bool>(out);
}

// The exit status of a command whose output has been written: a stream that
// failed (a full disk, a closed pipe) is reported rather than passed over.
int Written(const CMemoFile& file, std::ostream& out, std::ostream& err) {
  out.flush();
  if (!out) return file.Fail(err, ExitStatus::FAILED, "cannot write the output");
  return ExitStatus::OK;
}

}  // namespace

int ListCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet list", "Lists the memos of a record file in the order of their texts.");
  parser.AddPositional("FILE", CMemoFile::FILE_HELP);
  parser.AddFlag("all", "include memos marked deleted");
  parser.AddFlag("json", "print one JSON object (UTF-8) for scripts");
  parser.SetNotes(
      "Flags: D deleted, M modified, A archived, N new, P private.\n"
      "A protected file asks for its password on the terminal unless --password-file\n"
      "or --password-stdin is given.");
  CMemoFile file(parser.CommandPath());
  if (const int s = OpenForReading(parser, args, file, out, err); s != CArgParser::CONTINUE) {
    return s;
  }
  CMemoDatabase& db = file.Database();
  CCategoryTable* table = db.GetCategories();
  const bool all = parser.Has("all");

  if (parser.Has("json")) {
    {
      CJsonWriter json(out);
      json.BeginObject();
      json.Key("protected");
      json.Bool(db.IsEncrypted());
      json.Key("hint");
      json.AnsiString(db.PasswordHint());
      json.Key("categories");
      json.Value(MemoFormat::Categories(table));
      json.Key("memos");
      json.BeginArray();
      ForEachByText(db, all, [&json](const CMemoRecord& memo) { WriteMemo(json, memo); });
      json.EndArray();
      json.EndObject();
      json.Finish();
    }
    return Written(file, out, err);
  }

  const CListLines lines(table);
  std::string text;
  text.reserve(kOutputBlock + 4096);
  text += "  POS  " + MemoFormat::Pad("CATEGORY", kCategoryColumns, 8) + "  FLAGS  TEXT\n";
  int count = 0;
  ForEachByText(db, all, [&](const CMemoRecord& memo) {
    lines.Append(text, memo);
    if (text.size() >= kOutputBlock) Emit(out, text);
    ++count;
  });
  text += std::to_string(count) + (count == 1 ? " memo" : " memos") +
          (db.IsEncrypted() ? " (protected)" : "") + "\n";
  Emit(out, text);
  return Written(file, out, err);
}

int ShowCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet show", "Shows one memo in full: its details, a blank line, its text.");
  parser.AddPositional("FILE", CMemoFile::FILE_HELP);
  parser.AddPositional("POSITION", "the memo's position, as 'quillet list' shows it");
  auto checkPosition = [&]() {
    std::uint64_t value = 0;
    if (!CArgParser::ParseNumber(parser.Positional(1), 0x7FFFFFFF, value)) {
      return parser.UsageError(err, "'" + parser.Positional(1) + "' is not a memo position");
    }
    return CArgParser::CONTINUE;
  };
  CMemoFile file(parser.CommandPath());
  if (const int s = OpenForReading(parser, args, file, out, err, checkPosition);
      s != CArgParser::CONTINUE) {
    return s;
  }
  CMemoDatabase& db = file.Database();
  int position = 0;
  if (!MemoFormat::ParsePosition(parser, parser.Positional(1), db, position, err)) {
    return ExitStatus::USAGE;
  }
  const CMemoRecord* memo = db.MemoAt(position);
  const std::string category = MemoFormat::CategoryName(db.GetCategories(), memo->category);
  out << "Position: " << memo->position << "\n"
      << "Id: " << memo->uniqueId << "\n"
      << "Category: " << memo->category
      << (category.empty() ? std::string() : " " + AnsiToVisible(category)) << "\n"
      << "Flags: " << MemoFormat::Flags(*memo) << "\n\n"
      << AnsiToOutput(memo->text) << "\n";
  return ExitStatus::OK;
}

int CategoriesCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet categories", "Lists the categories of a record file.");
  parser.AddPositional("FILE", CMemoFile::FILE_HELP);
  parser.AddFlag("json", "print one JSON object (UTF-8) for scripts");
  CMemoFile file(parser.CommandPath());
  if (const int s = OpenForReading(parser, args, file, out, err); s != CArgParser::CONTINUE) {
    return s;
  }
  CCategoryTable* table = file.Database().GetCategories();
  if (parser.Has("json")) {
    JsonOutput::Write(out, JsonOutput::Json{{"categories", MemoFormat::Categories(table)}});
    return ExitStatus::OK;
  }
  out << "INDEX   ID  RENAMED  NAME\n";
  CCategory c;
  if (table != nullptr && table->First(c) == CCategoryTable::CAT_OK) {
    do {
      char line[32];
      std::snprintf(line, sizeof line, "%5d  %3u  %-7s  ", c.index,
                    static_cast<unsigned>(static_cast<std::uint8_t>(c.uniqueId)),
                    c.renamed ? "yes" : "no");
      out << line << AnsiToVisible(c.name) << "\n";
    } while (table->Next(c) == CCategoryTable::CAT_OK);
  }
  return ExitStatus::OK;
}

int ExportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet export",
                    "Writes every memo that is not deleted, in text order, to standard output "
                    "or to a file.");
  parser.AddPositional("FILE", CMemoFile::FILE_HELP);
  parser.AddOption("format", "FORMAT", "text (the default), json, csv or keepass-xml");
  parser.AddOption("output", "PATH", "write to the new file PATH instead of standard output");
  parser.AddOption("per-category", "DIR",
                   "text only: write one file per category into folder DIR");
  parser.AddFlag("force", "replace files that exist already");
  parser.SetNotes(
      "text: the memo texts separated by a form feed, as the memo viewer copies them.\n"
      "json: {\"memos\": [{\"category\": NAME, \"text\": TEXT}, ...]}.\n"
      "csv: a header line \"category,text\", then one row per memo (RFC 4180, UTF-8).\n"
      "keepass-xml: a KeePass 2 XML file for KeePass or KeePassXC (keepassxc-cli import):\n"
      "  a group per category, an entry per memo (Title: its first line; Notes: all of it).\n"
      "Every output is UTF-8 and NOT encrypted, even for a protected file.  Files are\n"
      "written whole or not at all, readable by their owner only.");
  MemoExchange::Format format = MemoExchange::Format::TEXT;
  auto checkOptions = [&]() {
    if (parser.Has("format") && !MemoExchange::ParseFormat(parser.Value("format"), format)) {
      return parser.UsageError(err, "unknown format '" + parser.Value("format") +
                                        "' (text, json, csv or keepass-xml)");
    }
    if (parser.Has("per-category") && format != MemoExchange::Format::TEXT) {
      return parser.UsageError(err, "--per-category writes the text format only");
    }
    if (parser.Has("per-category") && parser.Has("output")) {
      return parser.UsageError(err, "--output and --per-category cannot be used together");
    }
    if (parser.Has("force") && !parser.Has("per-category") && !parser.Has("output")) {
      return parser.UsageError(err, "--force needs --output or --per-category");
    }
    return CArgParser::CONTINUE;
  };
  CMemoFile file(parser.CommandPath());
  if (const int s = OpenForReading(parser, args, file, out, err, checkOptions);
      s != CArgParser::CONTINUE) {
    return s;
  }
  const MemoExchange::Collection memos = CMemoExport::Collect(file.Database());
  if (memos.encrypted) {
    err << parser.CommandPath() << ": note: " << file.Path()
        << " is protected by a password, but the export is not encrypted\n";
  }
  std::string error;
  if (parser.Has("per-category")) {
    std::vector<CMemoExport::Written> written;
    const CMemoExport::Result result = CMemoExport::WritePerCategory(
        parser.Value("per-category"), memos, parser.Has("force"), written, error);
    for (const CMemoExport::Written& one : written) {
      out << "wrote " << one.path << " (" << one.memos << (one.memos == 1 ? " memo" : " memos")
          << " of category " << one.category << ")\n";
    }
    if (result != CMemoExport::EXPORT_OK) return file.Fail(err, ExitStatus::CANNOT_OPEN, error);
    return ExitStatus::OK;
  }
  std::vector<std::string> warnings;
  const std::string bytes = CMemoExport::Render(format, memos, warnings);
  for (const std::string& warning : warnings) err << parser.CommandPath() << ": warning: " << warning << "\n";
  if (parser.Has("output")) {
    if (CMemoExport::WriteFile(parser.Value("output"), bytes, parser.Has("force"), error) !=
        CMemoExport::EXPORT_OK) {
      return file.Fail(err, ExitStatus::CANNOT_OPEN, error);
    }
    return ExitStatus::OK;
  }
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return Written(file, out, err);
}
