#pragma once
// An independent .pdb writer and reader for the tests, written straight from the
// public file layout (not from the library's constants), so that the library's
// reader and writer are checked against a second implementation.

#include <cstdint>
#include <string>
#include <vector>

namespace PdbBytes {

struct Entry {
  std::uint32_t offset = 0;
  std::uint8_t attributes = 0;
  std::uint32_t id = 0;
};

inline void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v >> 8);
  b[at + 1] = static_cast<std::uint8_t>(v);
}
inline void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}
inline std::uint32_t Get16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return (static_cast<std::uint32_t>(b.at(at)) << 8) | b.at(at + 1);
}
inline std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return (static_cast<std::uint32_t>(b.at(at)) << 24) | (static_cast<std::uint32_t>(b.at(at + 1)) << 16) |
         (static_cast<std::uint32_t>(b.at(at + 2)) << 8) | b.at(at + 3);
}

// A 78-byte header with the given name, type/creator text and record count.
inline std::vector<std::uint8_t> Header(const std::string& name, const char* type, const char* creator,
                                        std::uint16_t count, std::uint16_t attributes = 0) {
  std::vector<std::uint8_t> b(78, 0);
  for (std::size_t i = 0; i < name.size() && i < 32; ++i) b[i] = static_cast<std::uint8_t>(name[i]);
  Put16(b, 32, attributes);
  Put16(b, 34, 3);              // version
  Put32(b, 36, 0xB0000001);     // creation date
  Put32(b, 40, 0xB0000002);     // modification date
  Put32(b, 44, 0xB0000003);     // backup date
  Put32(b, 48, 17);             // modification number
  for (std::size_t i = 0; i < 4; ++i) b[60 + i] = static_cast<std::uint8_t>(type[i]);
  for (std::size_t i = 0; i < 4; ++i) b[64 + i] = static_cast<std::uint8_t>(creator[i]);
  Put32(b, 68, 0x1000);         // unique id seed
  Put16(b, 76, count);
  return b;
}

// A whole record database: header, entries, optional gap, app-info, records.
inline std::vector<std::uint8_t> Database(const std::vector<std::vector<std::uint8_t>>& records,
                                          const std::vector<std::uint8_t>* appInfo, bool gap = true,
                                          std::uint8_t attributes = 0x40) {
  std::vector<std::uint8_t> b = Header("TestDB", "DATA", "test", static_cast<std::uint16_t>(records.size()));
  const std::size_t listEnd = 78 + 8 * records.size();
  b.resize(listEnd + (gap ? 2 : 0), 0);
  if (appInfo != nullptr) {
    Put32(b, 52, static_cast<std::uint32_t>(b.size()));
    b.insert(b.end(), appInfo->begin(), appInfo->end());
  }
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::size_t e = 78 + 8 * i;
    Put32(b, e, static_cast<std::uint32_t>(b.size()));
    b[e + 4] = attributes;
    const std::uint32_t id = 0x010203 + static_cast<std::uint32_t>(i);
    b[e + 5] = static_cast<std::uint8_t>(id >> 16);
    b[e + 6] = static_cast<std::uint8_t>(id >> 8);
    b[e + 7] = static_cast<std::uint8_t>(id);
    b.insert(b.end(), records[i].begin(), records[i].end());
  }
  return b;
}

// Reads the entries of a record database.
inline std::vector<Entry> Entries(const std::vector<std::uint8_t>& b) {
  std::vector<Entry> entries(Get16(b, 76));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::size_t e = 78 + 8 * i;
    entries[i].offset = Get32(b, e);
    entries[i].attributes = b.at(e + 4);
    entries[i].id = (static_cast<std::uint32_t>(b.at(e + 5)) << 16) | (static_cast<std::uint32_t>(b.at(e + 6)) << 8) |
                    b.at(e + 7);
  }
  return entries;
}

// The data of record i: from its offset to the next record's, or the end.
inline std::vector<std::uint8_t> RecordData(const std::vector<std::uint8_t>& b, std::size_t i) {
  const auto entries = Entries(b);
  const std::size_t end = i + 1 < entries.size() ? entries[i + 1].offset : b.size();
  return std::vector<std::uint8_t>(b.begin() + static_cast<std::ptrdiff_t>(entries[i].offset),
                                   b.begin() + static_cast<std::ptrdiff_t>(end));
}

inline std::vector<std::uint8_t> Bytes(const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); }

}  // namespace PdbBytes
