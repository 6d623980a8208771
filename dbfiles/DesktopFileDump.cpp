#include "dbfiles/DesktopFileDump.h"

#include <cstdint>
#include <cstdio>
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
#include "platform/text/LineEnds.h"

namespace FL = FileLayout;

namespace {

// Exit statuses of the command-line programs (the same values as the tools'
// shared table).
constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_CANNOT_OPEN = 3;
constexpr int EXIT_DAMAGED = 5;

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

// A JSON string of UTF-8 text: quotes, backslashes and control characters
// escaped, everything else as it is.
std::string Quoted(std::string_view utf8) {
  std::string q = "\"";
  for (const char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': q += "\\\""; break;
      case '\\': q += "\\\\"; break;
      case '\b': q += "\\b"; break;
      case '\f': q += "\\f"; break;
      case '\n': q += "\\n"; break;
      case '\r': q += "\\r"; break;
      case '\t': q += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          q += "\\u";
          AppendHex(q, c, 4);
        } else {
          q += ch;
        }
    }
  }
  return q + "\"";
}

class CObjectWriter {
 public:
  CObjectWriter(std::ostream& out, const char* indent) : m_out(out), m_indent(indent) {}
  void Number(const char* key, std::uint64_t value) { Member(key, std::to_string(value)); }
  void String(const char* key, const std::string& value) { Member(key, "\"" + value + "\""); }
  // A NUL-terminated name in a fixed field, up to the NUL, as text in UTF-8
  // converted from the ANSI code page the way the tools convert every text.  A
  // name that does not come back to the same bytes (a byte that is no
  // character, a line end) also gets its bytes as hexadecimal under
  // "<key>Hex", so that nothing of it is lost.
  void Name(const char* key, const std::uint8_t* field, std::size_t fieldSize) {
    std::size_t n = 0;
    while (n < fieldSize && field[n] != 0) ++n;
    const std::string_view ansi(reinterpret_cast<const char*>(field), n);
    const std::string utf8 = AnsiToUtf8(CrLfToLf(ansi));
    Member(key, Quoted(utf8));
    std::string back;
    if (!Utf8ToAnsi(utf8, back) || back != ansi) String((std::string(key) + "Hex").c_str(), Hex(field, n));
  }
  void Null(const char* key) { Member(key, "null"); }
  void Member(const char* key, const std::string& value) {
    m_out << (m_first ? "{\n" : ",\n") << m_indent << "  \"" << key << "\": " << value;
    m_first = false;
  }
  void End() { m_out << (m_first ? "{}" : std::string("\n") + m_indent + "}"); }

 private:
  std::ostream& m_out;
  const char* m_indent;
  bool m_first = true;
};

void WriteHeader(std::ostream& out, const std::vector<std::uint8_t>& h) {
  CObjectWriter w(out, "  ");
  const std::uint8_t* p = h.data();
  w.Number("size", FL::ReadU32(p + FL::HDR_SIZE_FIELD));
  w.Number("kind", FL::ReadU16(p + FL::HDR_KIND));
  w.Name("name", p + FL::HDR_NAME, FL::HDR_NAME_FIELD_SIZE);
  w.Number("version", FL::ReadU32(p + FL::HDR_VERSION));
  w.Number("creator", FL::ReadU32(p + FL::HDR_CREATOR));
  w.Number("type", FL::ReadU32(p + FL::HDR_TYPE));
  w.Number("flags", FL::ReadU16(p + FL::HDR_FLAGS));
  w.Number("modificationDate", FL::ReadU32(p + FL::HDR_MODIFICATION_DATE));
  w.Number("modificationNumber", FL::ReadU32(p + FL::HDR_MODIFICATION_NUMBER));
  w.Number("creationDate", FL::ReadU32(p + FL::HDR_CREATION_DATE));
  w.Number("backupDate", FL::ReadU32(p + FL::HDR_BACKUP_DATE));
  w.Number("recordCount", FL::ReadU32(p + FL::HDR_RECORD_COUNT));
  w.Number("appInfoSize", FL::ReadU32(p + FL::HDR_APPINFO_SIZE));
  w.Number("sortInfoSize", FL::ReadU32(p + FL::HDR_SORTINFO_SIZE));
  w.End();
}

// A block's fields; a field that lies beyond the bytes of a (damaged, short)
// block is null.
void WriteBlock(std::ostream& out, const std::vector<std::uint8_t>& b) {
  if (b.empty()) {
    out << "null";
    return;
  }
  CObjectWriter w(out, "  ");
  const std::uint8_t* p = b.data();
  auto u32 = [&](const char* key, std::size_t offset) {
    if (offset + 4 <= b.size()) w.Number(key, FL::ReadU32(p + offset));
    else w.Null(key);
  };
  u32("size", FL::BLK_TOTAL_SIZE);
  if (FL::BLK_KIND + 2 <= b.size()) w.Number("kind", FL::ReadU16(p + FL::BLK_KIND));
  else w.Null("kind");
  u32("dataOffset", FL::BLK_DATA_OFFSET);
  if (FL::BLK_NAME + FL::BLK_NAME_FIELD_SIZE <= b.size()) {
    w.Name("name", p + FL::BLK_NAME, FL::BLK_NAME_FIELD_SIZE);
  } else {
    w.Null("name");
  }
  u32("capacity", FL::BLK_CAPACITY);
  u32("length", FL::BLK_LENGTH);
  u32("reserved", FL::BLK_RESERVED_VALUE);
  FileBlockView view = ViewFileBlock(p, b.size());
  w.String("data", Hex(p + view.dataOffset, view.capacity));
  w.End();
}

void WriteRecord(std::ostream& out, const std::vector<std::uint8_t>& r) {
  CObjectWriter w(out, "    ");
  const std::uint8_t* p = r.data();
  w.Number("size", FL::ReadU32(p + FL::REC_TOTAL_SIZE));
  w.Number("kind", FL::ReadU32(p + FL::REC_KIND));
  w.Number("id", FL::ReadU32(p + FL::REC_ID));
  w.Number("attributes", FL::ReadU16(p + FL::REC_ATTRIBUTES));
  w.Number("category", FL::ReadU32(p + FL::REC_CATEGORY));
  w.Number("length", FL::ReadU32(p + FL::REC_LENGTH));
  w.String("data", Hex(p + FL::REC_HEADER_SIZE, r.size() - FL::REC_HEADER_SIZE));
  w.End();
}

std::string CodeText(std::int32_t code) {
  const char* name = ResultCodeName(code);
  char number[16];
  std::snprintf(number, sizeof(number), "0x%X", static_cast<unsigned>(code));
  return std::string(name != nullptr ? name : "unknown result") + " (" + number + ")";
}

}  // namespace

int DumpDesktopFile(const std::string& path, std::ostream& out, std::ostream& err) {
  CRawRecordReader reader(path);
  std::int32_t rc = reader.OpenFile(CDesktopDb::OPEN_READ);
  if (rc != DB_OK) {
    err << "quillet dump: " << path << ": "
        << (reader.OpenFoundNoFile() ? "no such file" : "cannot open the file") << "\n";
    return EXIT_CANNOT_OPEN;
  }
  rc = reader.LoadFile();
  if (rc != DB_OK) {
    err << "quillet dump: " << path << ": not a valid record file: " << CodeText(rc) << "\n";
    return EXIT_DAMAGED;
  }
  out << "{\n  \"header\": ";
  if (reader.HeaderBytes().empty()) {
    out << "null";
  } else {
    WriteHeader(out, reader.HeaderBytes());
  }
  out << ",\n  \"appInfo\": ";
  WriteBlock(out, reader.AppInfoBytes());
  out << ",\n  \"sortInfo\": ";
  WriteBlock(out, reader.SortInfoBytes());
  out << ",\n  \"records\": [";
  for (std::size_t i = 0; i < reader.records.size(); ++i) {
    out << (i == 0 ? "\n    " : ",\n    ");
    WriteRecord(out, reader.records[i]);
  }
  out << (reader.records.empty() ? "]" : "\n  ]") << "\n}\n";
  out.flush();
  if (!out) {
    err << "quillet dump: cannot write the output\n";
    return EXIT_FAILED;
  }
  return EXIT_OK;
}
