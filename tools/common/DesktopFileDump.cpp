#include "tools/common/DesktopFileDump.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "dbfiles/DesktopDb.h"
#include "dbfiles/FileBlock.h"
#include "dbfiles/ResultCodes.h"
#include "platform/recordfile/FileLayout.h"
#include "platform/text/CodePage.h"
#include "platform/text/Hex.h"
#include "tools/common/ExitStatus.h"
#include "tools/common/JsonOutput.h"
#include "tools/common/ToolText.h"

namespace FL = FileLayout;
using JsonOutput::Json;

namespace {

// A desktop manager that keeps each record exactly as the file holds it.
class CRawRecordReader : public CDesktopDb {
 public:
  explicit CRawRecordReader(const std::string& path)
      : CDesktopDb(nullptr, DB_FLAGS_CONDUIT, "", path.c_str(), nullptr, 0) {}

  std::int32_t AddFileRecord(const std::uint8_t* buffer, std::size_t size) override {
    records.emplace_back(buffer, buffer + size);
    return 0;
  }
  bool OpenFoundNoFile() const { return LastOpenFoundNoFile(); }

  std::vector<std::vector<std::uint8_t>> records;
};

std::string Hex(const std::uint8_t* bytes, std::size_t n) {
  std::string text;
  text.reserve(2 * n);
  for (std::size_t i = 0; i < n; ++i) AppendHex(text, bytes[i], 2);
  return text;
}

// A NUL-terminated name in a fixed field, up to the NUL, as text converted from
// the ANSI code page the way the tools convert every text.  A name that does
// not come back to the same bytes (a byte that is no character, a line end)
// also gets its bytes as hexadecimal under "<key>Hex", so that nothing of it is
// lost.
void SetName(Json& object, const char* key, const std::uint8_t* field, std::size_t fieldSize) {
  std::size_t n = 0;
  while (n < fieldSize && field[n] != 0) ++n;
  const std::string_view ansi(reinterpret_cast<const char*>(field), n);
  std::string text = AnsiToOutput(ansi);
  std::string back;
  const bool exact = Utf8ToAnsi(text, back) && back == ansi;
  object[key] = std::move(text);
  if (!exact) object[std::string(key) + "Hex"] = Hex(field, n);
}

Json Header(const std::vector<std::uint8_t>& h) {
  const std::uint8_t* p = h.data();
  Json j = Json::object();
  j["size"] = FL::ReadU32(p + FL::HDR_SIZE_FIELD);
  j["kind"] = FL::ReadU16(p + FL::HDR_KIND);
  SetName(j, "name", p + FL::HDR_NAME, FL::HDR_NAME_FIELD_SIZE);
  j["version"] = FL::ReadU32(p + FL::HDR_VERSION);
  j["creator"] = FL::ReadU32(p + FL::HDR_CREATOR);
  j["type"] = FL::ReadU32(p + FL::HDR_TYPE);
  j["flags"] = FL::ReadU16(p + FL::HDR_FLAGS);
  j["modificationDate"] = FL::ReadU32(p + FL::HDR_MODIFICATION_DATE);
  j["modificationNumber"] = FL::ReadU32(p + FL::HDR_MODIFICATION_NUMBER);
  j["creationDate"] = FL::ReadU32(p + FL::HDR_CREATION_DATE);
  j["backupDate"] = FL::ReadU32(p + FL::HDR_BACKUP_DATE);
  j["recordCount"] = FL::ReadU32(p + FL::HDR_RECORD_COUNT);
  j["appInfoSize"] = FL::ReadU32(p + FL::HDR_APPINFO_SIZE);
  j["sortInfoSize"] = FL::ReadU32(p + FL::HDR_SORTINFO_SIZE);
  return j;
}

// A block's fields, or null for an absent block; a field that lies beyond the
// bytes of a (damaged, short) block is null.
Json Block(const std::vector<std::uint8_t>& b) {
  if (b.empty()) return nullptr;
  const std::uint8_t* p = b.data();
  Json j = Json::object();
  auto u32 = [&](const char* key, std::size_t offset) {
    j[key] = offset + 4 <= b.size() ? Json(FL::ReadU32(p + offset)) : Json(nullptr);
  };
  u32("size", FL::BLK_TOTAL_SIZE);
  j["kind"] = FL::BLK_KIND + 2 <= b.size() ? Json(FL::ReadU16(p + FL::BLK_KIND)) : Json(nullptr);
  u32("dataOffset", FL::BLK_DATA_OFFSET);
  if (FL::BLK_NAME + FL::BLK_NAME_FIELD_SIZE <= b.size()) {
    SetName(j, "name", p + FL::BLK_NAME, FL::BLK_NAME_FIELD_SIZE);
  } else {
    j["name"] = nullptr;
  }
  u32("capacity", FL::BLK_CAPACITY);
  u32("length", FL::BLK_LENGTH);
  u32("reserved", FL::BLK_RESERVED_VALUE);
  const FileBlockView view = ViewFileBlock(p, b.size());
  j["data"] = Hex(p + view.dataOffset, view.capacity);
  return j;
}

Json Record(const std::vector<std::uint8_t>& r) {
  const std::uint8_t* p = r.data();
  Json j = Json::object();
  j["size"] = FL::ReadU32(p + FL::REC_TOTAL_SIZE);
  j["kind"] = FL::ReadU32(p + FL::REC_KIND);
  j["id"] = FL::ReadU32(p + FL::REC_ID);
  j["attributes"] = FL::ReadU16(p + FL::REC_ATTRIBUTES);
  j["category"] = FL::ReadU32(p + FL::REC_CATEGORY);
  j["length"] = FL::ReadU32(p + FL::REC_LENGTH);
  j["data"] = Hex(p + FL::REC_HEADER_SIZE, r.size() - FL::REC_HEADER_SIZE);
  return j;
}

std::string CodeText(std::int32_t code) {
  const char* name = ResultCodeName(code);
  std::string text = std::string(name != nullptr ? name : "unknown result") + " (0x";
  AppendHex(text, static_cast<std::uint32_t>(code), 0, true);
  return text + ")";
}

}  // namespace

int DumpDesktopFile(const std::string& path, std::ostream& out, std::ostream& err) {
  CRawRecordReader reader(path);
  std::int32_t rc = reader.OpenFile(CDesktopDb::OPEN_READ);
  if (rc != DB_OK) {
    err << "quillet dump: " << path << ": "
        << (reader.OpenFoundNoFile() ? "no such file" : "cannot open the file") << "\n";
    return ExitStatus::CANNOT_OPEN;
  }
  rc = reader.LoadFile();
  if (rc != DB_OK) {
    err << "quillet dump: " << path << ": not a valid record file: " << CodeText(rc) << "\n";
    return ExitStatus::DAMAGED;
  }
  Json document = Json::object();
  document["header"] = reader.HeaderBytes().empty() ? Json(nullptr) : Header(reader.HeaderBytes());
  document["appInfo"] = Block(reader.AppInfoBytes());
  document["sortInfo"] = Block(reader.SortInfoBytes());
  Json& records = document["records"] = Json::array();
  for (const auto& record : reader.records) records.push_back(Record(record));
  JsonOutput::Write(out, document);
  out.flush();
  if (!out) {
    err << "quillet dump: cannot write the output\n";
    return ExitStatus::FAILED;
  }
  return ExitStatus::OK;
}
