// The commands that work on whole database files: dump, import and export.

#include <cstdio>
#include <ostream>

#include "handheld/HandheldResult.h"
#include "handheld/MemoApp.h"
#include "platform/text/Hex.h"
#include "tools/common/ArgParser.h"
#include "tools/common/ExitStatus.h"
#include "tools/common/JsonOutput.h"
#include "tools/common/ToolText.h"
#include "tools/quillet-handheld/Commands.h"
#include "tools/quillet-handheld/HandheldSession.h"

using namespace HandheldResult;

namespace {

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (const std::uint8_t b : bytes) AppendHex(hex, b, 2);
  return hex;
}

// A four-character code as text; bytes outside printable ASCII as '?'.
std::string FourChars(std::uint32_t code) {
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const auto c = static_cast<unsigned char>(code >> shift);
    s += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  }
  return s;
}

// A block's bytes as hexadecimal, null when the database has no such block.
JsonOutput::Json Block(const std::optional<std::vector<std::uint8_t>>& block) {
  if (block) return Hex(*block);
  return nullptr;
}

int DatabaseFailed(const CHandheldSession& session, std::ostream& err, int rc, const std::string& what) {
  if (rc == HH_ERR_DAMAGED) return session.Fail(err, ExitStatus::DAMAGED, what + " is damaged: it is not a valid Palm database");
  if (rc == HH_ERR_NOT_FOUND) return session.Fail(err, ExitStatus::CANNOT_OPEN, "cannot find " + what);
  return session.Fail(err, CHandheldSession::StatusFor(rc) == ExitStatus::USAGE ? ExitStatus::FAILED
                                                                                : CHandheldSession::StatusFor(rc),
                      "cannot use " + what + ": " + Describe(rc));
}

}  // namespace

int DumpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet-handheld dump", "Shows a database of the device as it is stored.");
  parser.AddPositional("DB", std::string("the database name (default ") + CMemoApp::DB_NAME + ")", false);
  parser.AddFlag("json", "print one JSON object (UTF-8) for scripts");
  parser.SetNotes(
      "JSON: name, attributes, version, creationDate, modificationDate, backupDate,\n"
      "modificationNumber, type, creator, uniqueIdSeed, appInfo and sortInfo (hex or null)\n"
      "and records [{id, attributes, category, deleted, dirty, busy, secret, archived, data}].\n"
      "Dates are seconds since 1904-01-01.");
  CHandheldSession::AddDeviceOption(parser);
  if (const int s = parser.Run(args, out, err); s != CArgParser::CONTINUE) return s;
  CHandheldSession session(parser.CommandPath());
  if (const int s = session.Locate(parser, err); s != ExitStatus::OK) return s;
  if (const int s = session.OpenDevice(err); s != ExitStatus::OK) return s;
  const std::string name = parser.Positionals().empty() ? std::string(CMemoApp::DB_NAME) : parser.Positional(0);
  CPdbFile db;
  if (const int rc = session.Device().ReadDatabase(name, db); rc != HH_OK) {
    return DatabaseFailed(session, err, rc, "the database " + name);
  }
  const CPdbFile::Info& info = db.GetInfo();
  if (parser.Has("json")) {
    JsonOutput::Json records = JsonOutput::Json::array();
    for (std::size_t i = 0; i < db.RecordCount(); ++i) {
      const CPdbRecord& r = *db.RecordAt(i);
      records.push_back({{"id", r.uniqueId},
                         {"attributes", r.attributes},
                         {"category", r.Category()},
                         {"deleted", r.IsDeleted()},
                         {"dirty", r.IsDirty()},
                         {"busy", r.IsBusy()},
                         {"secret", r.IsSecret()},
                         {"archived", r.IsArchived()},
                         {"data", Hex(r.data)}});
    }
    JsonOutput::Write(out, JsonOutput::Json{{"name", AnsiToOutput(info.name)},
                                            {"attributes", info.attributes},
                                            {"version", info.version},
                                            {"creationDate", info.creationDate},
                                            {"modificationDate", info.modificationDate},
                                            {"backupDate", info.backupDate},
                                            {"modificationNumber", info.modificationNumber},
                                            {"type", FourChars(info.type)},
                                            {"creator", FourChars(info.creator)},
                                            {"uniqueIdSeed", info.uniqueIdSeed},
                                            {"appInfo", Block(db.AppInfo())},
                                            {"sortInfo", Block(db.SortInfo())},
                                            {"records", std::move(records)}});
    return ExitStatus::OK;
  }
  out << "name: " << AnsiToOutput(info.name) << "\n"
      << "type/creator: " << FourChars(info.type) << "/" << FourChars(info.creator) << "\n"
      << "attributes: " << info.attributes << "  version: " << info.version << "\n"
      << "created: " << info.creationDate << "  modified: " << info.modificationDate
      << "  backed up: " << info.backupDate << "  modification number: " << info.modificationNumber << "\n"
      << "unique id seed: " << info.uniqueIdSeed << "\n"
      << "app-info: " << (db.AppInfo() ? std::to_string(db.AppInfo()->size()) + " bytes" : std::string("none"))
      << "  sort-info: " << (db.SortInfo() ? std::to_string(db.SortInfo()->size()) + " bytes" : std::string("none"))
      << "\n"
      << db.RecordCount() << (db.RecordCount() == 1 ? " record" : " records") << "\n";
  for (std::size_t i = 0; i < db.RecordCount(); ++i) {
    const CPdbRecord& r = *db.RecordAt(i);
    char line[96];
    std::snprintf(line, sizeof line, "%5zu  id %8u  attributes 0x%02x  %zu bytes\n", i,
                  static_cast<unsigned>(r.uniqueId), static_cast<unsigned>(r.attributes), r.data.size());
    out << line;
  }
  return ExitStatus::OK;
}

int ImportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet-handheld import",
                    "Installs a Palm database file on the device, replacing a database of the same name.");
  parser.AddPositional("FILE", "the .pdb (or .prc) file");
  CHandheldSession::AddDeviceOption(parser);
  if (const int s = parser.Run(args, out, err); s != CArgParser::CONTINUE) return s;
  CHandheldSession session(parser.CommandPath());
  if (const int s = session.Locate(parser, err); s != ExitStatus::OK) return s;
  if (const int s = session.OpenDevice(err); s != ExitStatus::OK) return s;
  std::string name;
  if (const int rc = session.Device().ImportFile(parser.Positional(0), name); rc != HH_OK) {
    return DatabaseFailed(session, err, rc, parser.Positional(0));
  }
  out << "imported " << AnsiToOutput(name) << "\n";
  return ExitStatus::OK;
}

int ExportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet-handheld export", "Writes a copy of a database of the device to a .pdb file.");
  parser.AddPositional("DB", "the database name");
  parser.AddPositional("FILE", "the file to write (replaced when it exists)");
  CHandheldSession::AddDeviceOption(parser);
  if (const int s = parser.Run(args, out, err); s != CArgParser::CONTINUE) return s;
  CHandheldSession session(parser.CommandPath());
  if (const int s = session.Locate(parser, err); s != ExitStatus::OK) return s;
  if (const int s = session.OpenDevice(err); s != ExitStatus::OK) return s;
  const std::string& name = parser.Positional(0);
  if (const int rc = session.Device().ExportDatabase(name, parser.Positional(1)); rc != HH_OK) {
    return DatabaseFailed(session, err, rc, rc == HH_ERR_IO ? parser.Positional(1) : "the database " + name);
  }
  out << "exported " << name << " to " << parser.Positional(1) << "\n";
  return ExitStatus::OK;
}
