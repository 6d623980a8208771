#pragma once
// A small writer and reader of desktop record files for the store tests,
// independent of the memo database: it lays every byte out itself (its own
// padding, its own word swapping around the Blowfish block operation), so the
// tests check the database against the file format, not against its own code.

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/crypto/Blowfish.h"
#include "platform/crypto/Md5.h"
#include "platform/recordfile/FileLayout.h"

namespace memotest {

using Bytes = std::vector<std::uint8_t>;
namespace fl = FileLayout;

inline void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<std::uint8_t>(v & 0xFF);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}
inline std::uint32_t Get32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b.at(at)) | (static_cast<std::uint32_t>(b.at(at + 1)) << 8) |
         (static_cast<std::uint32_t>(b.at(at + 2)) << 16) | (static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}
inline std::uint16_t Get16(const Bytes& b, std::size_t at) {
  return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}
inline Bytes FromString(std::string_view s) { return Bytes(s.begin(), s.end()); }
inline std::string ToString(const Bytes& b, std::size_t at, std::size_t n) {
  return std::string(reinterpret_cast<const char*>(b.data() + at), n);
}

// The memo application's plain body: "\n" line ends, a zero byte, zero
// padding to a multiple of 8.  `fileText` already has "\n" line ends.
inline Bytes PlainBody(std::string_view fileText) {
  Bytes body = FromString(fileText);
  body.push_back(0);
  while (body.size() % 8 != 0) body.push_back(0);
  return body;
}

// Blowfish ECB with each 8-byte block read as two big-endian words: swap
// each 32-bit word, run the cipher's plain block operation, swap back.
inline void SwapWords(Bytes& b, std::size_t length) {
  for (std::size_t i = 0; i + 4 <= length; i += 4) {
    std::swap(b[i], b[i + 3]);
    std::swap(b[i + 1], b[i + 2]);
  }
}
inline Bytes EncryptBody(Bytes body, std::string_view password) {
  CBlowfish fish;
  fish.SetKey(password);
  SwapWords(body, body.size() / 8 * 8);
  fish.Encrypt(body.data(), body.size() / 8 * 8);
  SwapWords(body, body.size() / 8 * 8);
  return body;
}
inline Bytes DecryptBody(Bytes body, std::string_view password) {
  CBlowfish fish;
  fish.SetKey(password);
  SwapWords(body, body.size() / 8 * 8);
  fish.Decrypt(body.data(), body.size() / 8 * 8);
  SwapWords(body, body.size() / 8 * 8);
  return body;
}

struct Category {
  std::string name;
  std::uint8_t id = 0;
  bool renamed = false;
};

// The 276-byte category block.
inline Bytes CategoryBlock(const std::vector<std::optional<Category>>& categorySlots) {
  Bytes b(fl::CAT_BLOCK_SIZE, 0);
  std::uint16_t renamed = 0;
  for (std::size_t i = 0; i < categorySlots.size() && i < fl::CAT_COUNT; ++i) {
    if (!categorySlots[i]) continue;
    std::copy(categorySlots[i]->name.begin(), categorySlots[i]->name.end(), b.begin() + static_cast<std::ptrdiff_t>(fl::CAT_NAMES + fl::CAT_NAME_FIELD_SIZE * i));
    b[fl::CAT_IDS + i] = categorySlots[i]->id;
    if (categorySlots[i]->renamed) renamed = static_cast<std::uint16_t>(renamed | (1u << i));
  }
  b[fl::CAT_RENAMED] = static_cast<std::uint8_t>(renamed >> 8);
  b[fl::CAT_RENAMED + 1] = static_cast<std::uint8_t>(renamed & 0xFF);
  return b;
}

// The memo application's app-info data: categories, 4 carried bytes, the
// digest (MD5 of the password, or zeros) and the hint.
inline Bytes MemoAppInfo(const std::vector<std::optional<Category>>& categorySlots,
                         std::optional<std::string_view> password, std::string_view hint) {
  Bytes b = CategoryBlock(categorySlots);
  for (std::uint8_t c : {std::uint8_t{0xA1}, std::uint8_t{0xB2}, std::uint8_t{0xC3}, std::uint8_t{0xD4}}) b.push_back(c);
  if (password) {
    const auto digest = CMd5::Of(*password);
    b.insert(b.end(), digest.begin(), digest.end());
  } else {
    b.insert(b.end(), 16, 0);
  }
  b.insert(b.end(), hint.begin(), hint.end());
  b.push_back(0);
  return b;
}

inline std::vector<std::optional<Category>> DefaultCategories() {
  std::vector<std::optional<Category>> categorySlots(16);
  categorySlots[0] = Category{"Unfiled", 0, false};
  categorySlots[1] = Category{"Business", 1, false};
  categorySlots[2] = Category{"Personal", 2, false};
  return categorySlots;
}

struct Record {
  std::uint32_t id = 0;
  std::uint16_t fileAttributes = 0;
  std::uint32_t category = 0;
  Bytes body;
  // Damage knobs: when set, written instead of the true values.
  std::optional<std::uint32_t> totalSize;
  std::optional<std::uint32_t> dataOffset;
  std::optional<std::uint32_t> dataLength;
};

inline Bytes RecordBytes(const Record& r) {
  Bytes b(fl::REC_HEADER_SIZE, 0);
  Put32(b, fl::REC_TOTAL_SIZE, r.totalSize.value_or(static_cast<std::uint32_t>(fl::REC_HEADER_SIZE + r.body.size())));
  Put32(b, fl::REC_KIND, fl::REC_KIND_VALUE);
  Put32(b, fl::REC_DATA_OFFSET, r.dataOffset.value_or(static_cast<std::uint32_t>(fl::REC_HEADER_SIZE)));
  Put32(b, fl::REC_ID, r.id);
  Put16(b, fl::REC_ATTRIBUTES, r.fileAttributes);
  Put32(b, fl::REC_CATEGORY, r.category);
  Put32(b, fl::REC_LENGTH, r.dataLength.value_or(static_cast<std::uint32_t>(r.body.size())));
  b.insert(b.end(), r.body.begin(), r.body.end());
  return b;
}

// An app-info or sort-info block around its data.
inline Bytes Block(const Bytes& data, std::uint32_t reserved = 0x11223344) {
  Bytes b(fl::BLK_HEADER_SIZE, 0);
  Put32(b, fl::BLK_TOTAL_SIZE, static_cast<std::uint32_t>(fl::BLK_HEADER_SIZE + data.size()));
  Put16(b, fl::BLK_KIND, fl::BLK_KIND_VALUE);
  Put32(b, fl::BLK_DATA_OFFSET, static_cast<std::uint32_t>(fl::BLK_HEADER_SIZE));
  const std::string name = "QuilletDB";
  std::copy(name.begin(), name.end(), b.begin() + fl::BLK_NAME);
  Put32(b, fl::BLK_CAPACITY, static_cast<std::uint32_t>(data.size()));
  Put32(b, fl::BLK_LENGTH, static_cast<std::uint32_t>(data.size()));
  Put32(b, fl::BLK_RESERVED_VALUE, reserved);
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

struct File {
  std::string name = "QuilletDB";
  std::optional<Bytes> appInfo;   // whole block
  std::optional<Bytes> sortInfo;  // whole block
  std::vector<Record> records;
  Bytes trailing;
  std::optional<std::uint32_t> recordCount;  // damage knob

  Bytes Header() const {
    Bytes b(fl::HDR_SIZE, 0);
    Put32(b, fl::HDR_SIZE_FIELD, static_cast<std::uint32_t>(fl::HDR_SIZE));
    Put16(b, fl::HDR_KIND, fl::HDR_KIND_VALUE);
    std::copy(name.begin(), name.end(), b.begin() + fl::HDR_NAME);
    Put32(b, fl::HDR_VERSION, 3);
    Put32(b, fl::HDR_CREATOR, 0x51554C54);
    Put32(b, fl::HDR_TYPE, 0x44415441);
    Put16(b, fl::HDR_FLAGS, 0x0008);
    Put32(b, fl::HDR_MODIFICATION_DATE, 0xB0B0B0B0);
    Put32(b, fl::HDR_MODIFICATION_NUMBER, 42);
    Put32(b, fl::HDR_CREATION_DATE, 0xA0A0A0A0);
    Put32(b, fl::HDR_BACKUP_DATE, 0x90909090);
    Put32(b, fl::HDR_RECORD_COUNT, recordCount.value_or(static_cast<std::uint32_t>(records.size())));
    Put32(b, fl::HDR_APPINFO_SIZE, appInfo ? static_cast<std::uint32_t>(appInfo->size()) : 0);
    Put32(b, fl::HDR_SORTINFO_SIZE, sortInfo ? static_cast<std::uint32_t>(sortInfo->size()) : 0);
    return b;
  }

  Bytes Build() const {
    Bytes b = Header();
    if (appInfo) b.insert(b.end(), appInfo->begin(), appInfo->end());
    if (sortInfo) b.insert(b.end(), sortInfo->begin(), sortInfo->end());
    for (const auto& r : records) {
      const Bytes rb = RecordBytes(r);
      b.insert(b.end(), rb.begin(), rb.end());
    }
    b.insert(b.end(), trailing.begin(), trailing.end());
    return b;
  }
};

// Records as a reader of the file sees them.
struct ReadRecord {
  std::uint32_t id;
  std::uint16_t fileAttributes;
  std::uint32_t category;
  Bytes body;
  bool consistent;  // sizes, kind and data offset as a writer must set them
};

struct ReadFile {
  Bytes header;
  Bytes appInfo;
  Bytes sortInfo;
  std::vector<ReadRecord> records;
};

inline ReadFile Parse(const Bytes& file) {
  ReadFile f;
  f.header.assign(file.begin(), file.begin() + fl::HDR_SIZE);
  std::size_t at = fl::HDR_SIZE;
  const std::uint32_t app = Get32(file, fl::HDR_APPINFO_SIZE), sort = Get32(file, fl::HDR_SORTINFO_SIZE);
  f.appInfo.assign(file.begin() + static_cast<std::ptrdiff_t>(at), file.begin() + static_cast<std::ptrdiff_t>(at + app));
  at += app;
  f.sortInfo.assign(file.begin() + static_cast<std::ptrdiff_t>(at), file.begin() + static_cast<std::ptrdiff_t>(at + sort));
  at += sort;
  for (std::uint32_t i = 0; i < Get32(file, fl::HDR_RECORD_COUNT); ++i) {
    const std::uint32_t total = Get32(file, at + fl::REC_TOTAL_SIZE);
    const std::uint32_t length = Get32(file, at + fl::REC_LENGTH);
    ReadRecord r{Get32(file, at + fl::REC_ID), Get16(file, at + fl::REC_ATTRIBUTES),
                 Get32(file, at + fl::REC_CATEGORY), {}, false};
    const std::size_t data = at + Get32(file, at + fl::REC_DATA_OFFSET);
    r.body.assign(file.begin() + static_cast<std::ptrdiff_t>(data), file.begin() + static_cast<std::ptrdiff_t>(data + length));
    r.consistent = total == fl::REC_HEADER_SIZE + length && Get32(file, at + fl::REC_KIND) == fl::REC_KIND_VALUE &&
                   data == at + fl::REC_HEADER_SIZE;
    f.records.push_back(r);
    at += total;
  }
  return f;
}

inline Bytes ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
inline void WriteAll(const std::filesystem::path& p, const Bytes& b) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

}  // namespace memotest
