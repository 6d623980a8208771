#pragma once
// Record files shared by the quillet tests: a file described in the terms the
// tool shows (category names and ids, memos with their attribute bits, the
// bytes the tool must carry through), built and read with the tests' record
// file writer (support/RecordFileBytes.h), as byte strings.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/MemoAppBytes.h"
#include "support/RecordFileBytes.h"

namespace tooltest {

// File attribute bits of a record.
inline constexpr std::uint16_t F_MODIFIED = 0x01;
inline constexpr std::uint16_t F_DELETED = 0x02;
inline constexpr std::uint16_t F_ARCHIVED = 0x04;
inline constexpr std::uint16_t F_NEW = 0x08;
inline constexpr std::uint16_t F_PRIVATE = 0x10;

inline std::string AsString(const recordfile::Bytes& b) { return std::string(b.begin(), b.end()); }
inline recordfile::Bytes AsBytes(const std::string& s) { return recordfile::FromString(s); }

struct RecordSpec {
  std::uint32_t id = 0;
  std::uint16_t attributes = 0;  // F_* bits
  std::uint32_t category = 0;
  std::string data;              // the body as stored
  std::uint32_t sizeOverride = 0;  // non-zero: written as the record's total size
};

struct FileSpec {
  std::string dbName = "QuilletMemoDB";
  std::uint32_t version = 3;
  std::uint32_t creator = 0x44655275;
  std::uint32_t type = 0x44415441;
  std::uint32_t creationDate = 0xC0FFEE01;
  std::uint32_t headerSize = 84;
  bool withAppInfo = true;
  std::array<std::string, 16> names;  // empty: unused slot
  std::array<std::uint8_t, 16> ids{};
  std::uint16_t renamed = 0;
  std::uint32_t appInfoReserved = 0x11223344;  // block offset 52, carried through
  std::string appSpecific;   // app-info data after the 276-byte category block
  std::string sortInfoData;  // a sort-info block is written when not empty
  std::vector<RecordSpec> records;
  std::string trailing;      // bytes after the last record

  std::string Bytes() const {
    recordfile::File f;
    recordfile::Header h;
    h.size = headerSize;
    h.name = dbName;
    h.version = version;
    h.creator = creator;
    h.type = type;
    h.creationDate = creationDate;
    f.header = h;
    if (withAppInfo) {
      std::vector<std::optional<recordfile::Category>> slots(16);
      for (std::size_t i = 0; i < 16; ++i) {
        const bool isRenamed = (renamed >> i & 1u) != 0;
        if (!names[i].empty() || ids[i] != 0 || isRenamed) slots[i] = recordfile::Category{names[i], ids[i], isRenamed};
      }
      recordfile::Bytes data = recordfile::CategoryBlock(slots);
      data.insert(data.end(), appSpecific.begin(), appSpecific.end());
      f.appInfo = recordfile::DataBlock(data, appInfoReserved, dbName);
    }
    if (!sortInfoData.empty()) f.sortInfo = recordfile::DataBlock(AsBytes(sortInfoData), 0, dbName);
    for (const RecordSpec& r : records) {
      f.records.push_back(recordfile::MemoRecord(r.id, r.attributes, r.category, AsBytes(r.data)));
      if (r.sizeOverride != 0) f.records.back().size = r.sizeOverride;
    }
    f.trailing = AsBytes(trailing);
    return AsString(recordfile::Build(f));
  }
};

// A plain body: the text ("\n" line ends), one zero byte, zero padding to 8.
inline std::string PlainBody(const std::string& text) { return AsString(recordfile::PlainBody(text)); }
// The same body encrypted as the handheld stores it: Blowfish keyed by the
// password, ECB, each 8-byte block read as two big-endian halves.
inline std::string EncryptedBody(const std::string& text, const std::string& password) {
  return AsString(recordfile::EncryptBody(recordfile::PlainBody(text), password));
}
// App-info data after the category block of a protected file.
inline std::string ProtectedAppSpecific(const std::string& password, const std::string& hint) {
  return AsString(recordfile::ProtectionBytes({0, 0, 0, 0}, password, hint));
}

inline std::uint32_t U32(const std::string& bytes, std::size_t offset) {
  return recordfile::Get32(AsBytes(bytes.substr(offset, 4)), 0);
}

// A parsed file.
struct ParsedRecord {
  std::uint32_t size = 0;
  std::uint32_t id = 0;
  std::uint16_t attributes = 0;
  std::uint32_t category = 0;
  std::string data;
};
struct ParsedFile {
  std::string header;    // 84 bytes
  std::string appInfo;   // whole block
  std::string sortInfo;  // whole block
  std::vector<ParsedRecord> records;
  std::size_t end = 0;   // offset after the last record
  std::string AppInfoData() const {
    if (appInfo.size() < 56) return {};
    return appInfo.substr(U32(appInfo, 8));
  }
};
// False when the bytes do not hold a complete file (a header of 84 bytes,
// every counted record whole, each record's length its size less its header).
inline bool ParseFile(const std::string& bytes, ParsedFile& out) {
  out = ParsedFile();
  recordfile::File f;
  if (bytes.empty() || !recordfile::Parse(AsBytes(bytes), f) || f.header->size != 84) return false;
  out.header = bytes.substr(0, 84);
  if (f.appInfo) out.appInfo = AsString(recordfile::BuildBlock(*f.appInfo));
  if (f.sortInfo) out.sortInfo = AsString(recordfile::BuildBlock(*f.sortInfo));
  for (const recordfile::Record& r : f.records) {
    if (r.lengthField != r.data.size()) return false;
    out.records.push_back({*r.size, r.id, r.attributes, r.category, AsString(r.data)});
  }
  out.end = bytes.size() - f.trailing.size();
  return true;
}

// Shift-JIS bytes used in the fixtures, with their UTF-8 forms.
inline const std::string SJIS_SHIGOTO = "\x8E\x64\x8E\x96";  // 仕事
inline const std::string UTF8_SHIGOTO = "仕事";
// 日本語 表ソ: the last two characters have 0x5C ('\\') as their second byte.
inline const std::string SJIS_JAPANESE = "\x93\xFA\x96\x7B\x8C\xEA \x95\x5C\x83\x5C";
inline const std::string UTF8_JAPANESE = "日本語 表ソ";
inline const std::string SJIS_MEMO = "\x83\x81\x83\x82";  // メモ

inline constexpr const char* PASSWORD = "open sesame";

// Categories Unfiled (id 0), Work (id 5, renamed) and 仕事 (id 200); four memos,
// one deleted, one with every other attribute; a sort-info block and bytes after
// the last record.  With a password the bodies are encrypted and the app-info
// data carries the digest and the hint "メモ hint".
inline FileSpec MemoFixture(bool protectedFile = false) {
  FileSpec f;
  f.names[0] = "Unfiled";
  f.names[1] = "Work";
  f.ids[1] = 5;
  f.names[2] = SJIS_SHIGOTO;
  f.ids[2] = 200;
  f.renamed = 0x0002;
  f.sortInfoData = "SORTINFO";
  f.trailing = "TRAILING BYTES";
  auto body = [protectedFile](const std::string& text) {
    return protectedFile ? EncryptedBody(text, PASSWORD) : PlainBody(text);
  };
  f.records = {
      {1001, 0, 1, body("Zebra notes\nsecond line"), 0},
      {1002, F_DELETED, 0, body("Deleted memo"), 0},
      {1003, F_MODIFIED | F_ARCHIVED | F_NEW | F_PRIVATE, 2, body(SJIS_JAPANESE), 0},
      {0xFFFFFFF0u, 0, 0, body("Apple \"pie\"\\\t\x01" "end"), 0},
  };
  if (protectedFile) f.appSpecific = ProtectedAppSpecific(PASSWORD, SJIS_MEMO + " hint");
  return f;
}

// The same file as quillet writes it back: the store writes exactly the counted
// records, so the bytes after them are gone.
inline FileSpec Rewritten(FileSpec f) {
  f.trailing.clear();
  return f;
}

}  // namespace tooltest
