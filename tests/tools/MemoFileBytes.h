#pragma once
// The tests' own writer and reader of desktop record files, written from the
// file layout alone (not through the memo database under test), so that the files
// quillet reads and writes can be built and checked byte by byte.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tooltest {

// File attribute bits of a record.
inline constexpr std::uint16_t F_MODIFIED = 0x01;
inline constexpr std::uint16_t F_DELETED = 0x02;
inline constexpr std::uint16_t F_ARCHIVED = 0x04;
inline constexpr std::uint16_t F_NEW = 0x08;
inline constexpr std::uint16_t F_PRIVATE = 0x10;

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

  std::string Bytes() const;
};

// A plain body: the text ("\n" line ends), one zero byte, zero padding to 8.
std::string PlainBody(const std::string& text);
// The same body encrypted as the handheld stores it: Blowfish keyed by the
// password, ECB, each 8-byte block read as two big-endian halves.
std::string EncryptedBody(const std::string& text, const std::string& password);
// App-info data after the category block of a protected file.
std::string ProtectedAppSpecific(const std::string& password, const std::string& hint);

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
  std::string AppInfoData() const;
};
// False when the bytes do not hold a complete file.
bool ParseFile(const std::string& bytes, ParsedFile& out);

std::uint32_t U32(const std::string& bytes, std::size_t offset);

}  // namespace tooltest
