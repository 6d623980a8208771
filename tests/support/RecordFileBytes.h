#pragma once
// The tests' own writer and reader of the desktop record container (the record
// file, the archives and the backup).  It lays the file out field by field in
// order, without the product's layout table, so that a wrong offset in the
// product shows up as a mismatch.  Every field can be set, so a test can build
// a damaged file as easily as a whole one: a size, a count, a data offset or a
// length that disagrees with the content, a block too short for its own
// header, bytes behind the last record.
//
//   recordfile::File f = recordfile::MemoFile();
//   f.appInfo = recordfile::DataBlock(appInfoData);
//   f.records.push_back(recordfile::MemoRecord(7, 0, 1, body));
//   recordfile::WriteAll(path, recordfile::Build(f));

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace recordfile {

using Bytes = std::vector<std::uint8_t>;

// The 84-byte file header.  The record count and block sizes, when not set,
// are those of the file's content.
struct Header {
  std::uint32_t size = 84;
  std::uint16_t kind = 1;
  std::string name;  // written NUL-padded into 34 bytes
  std::uint32_t version = 0, creator = 0, type = 0;
  std::uint16_t flags = 0, reserved = 0;
  std::uint32_t modificationDate = 0, modificationNumber = 0, creationDate = 0, backupDate = 0;
  std::optional<std::uint32_t> recordCount, appInfoSize, sortInfoSize;
};

// An application-info or sort-info block: a 56-byte block header and its data.
struct Block {
  std::uint32_t size = 0;  // 0: 56 + data size
  std::uint16_t kind = 0x1002;
  std::uint16_t reserved16 = 0;
  std::uint32_t dataOffset = 56;
  std::string name;  // NUL-padded into 32 bytes
  std::uint32_t capacity = 0, length = 0, reserved = 0;
  Bytes data;  // the whole data area
  std::optional<Bytes> raw;  // when set, written instead of all the above (a damaged block)
};

// A record: a 40-byte record header and its data.
struct Record {
  std::optional<std::uint32_t> size;  // default: 40 + data size
  std::uint32_t kind = 0x1002, dataOffset = 40, reserved12 = 0;
  std::uint32_t id = 0, reserved20 = 0;
  std::uint16_t attributes = 0, reserved26 = 0;
  std::uint32_t category = 0, reserved32 = 0;
  std::optional<std::uint32_t> lengthField;  // default: data size
  Bytes data;
};

struct File {
  std::optional<Header> header;
  std::optional<Block> appInfo, sortInfo;
  std::vector<Record> records;
  Bytes trailing;  // bytes behind the last record
};

// ---- Little-endian fields in a byte vector ---------------------------------

inline void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<std::uint8_t>(v & 0xFF);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}
inline std::uint16_t Get16(const Bytes& b, std::size_t at) {
  return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}
inline std::uint32_t Get32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b.at(at)) | (static_cast<std::uint32_t>(b.at(at + 1)) << 8) |
         (static_cast<std::uint32_t>(b.at(at + 2)) << 16) | (static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}
inline Bytes FromString(std::string_view s) { return Bytes(s.begin(), s.end()); }
inline Bytes Text(const std::string& s) { return FromString(s); }
inline std::string ToString(const Bytes& b, std::size_t at, std::size_t n) {
  return std::string(reinterpret_cast<const char*>(b.data() + at), n);
}

// ---- Building --------------------------------------------------------------

namespace detail {

class Writer {
 public:
  void U8(std::uint8_t v) { out.push_back(v); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void Fixed(const std::string& s, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) U8(i < s.size() ? static_cast<std::uint8_t>(s[i]) : 0);
  }
  void Raw(const Bytes& b) { out.insert(out.end(), b.begin(), b.end()); }
  Bytes out;
};

}  // namespace detail

inline Bytes BuildBlock(const Block& b) {
  if (b.raw) return *b.raw;
  detail::Writer w;
  w.U32(b.size != 0 ? b.size : static_cast<std::uint32_t>(56 + b.data.size()));
  w.U16(b.kind);
  w.U16(b.reserved16);
  w.U32(b.dataOffset);
  w.Fixed(b.name, 32);
  w.U32(b.capacity);
  w.U32(b.length);
  w.U32(b.reserved);
  w.Raw(b.data);
  return w.out;
}

inline Bytes BuildRecord(const Record& r) {
  detail::Writer w;
  w.U32(r.size.value_or(static_cast<std::uint32_t>(40 + r.data.size())));
  w.U32(r.kind);
  w.U32(r.dataOffset);
  w.U32(r.reserved12);
  w.U32(r.id);
  w.U32(r.reserved20);
  w.U16(r.attributes);
  w.U16(r.reserved26);
  w.U32(r.category);
  w.U32(r.reserved32);
  w.U32(r.lengthField.value_or(static_cast<std::uint32_t>(r.data.size())));
  w.Raw(r.data);
  return w.out;
}

inline Bytes Build(const File& f) {
  detail::Writer w;
  const Bytes appInfo = f.appInfo ? BuildBlock(*f.appInfo) : Bytes();
  const Bytes sortInfo = f.sortInfo ? BuildBlock(*f.sortInfo) : Bytes();
  if (f.header) {
    const Header& h = *f.header;
    w.U32(h.size);
    w.U16(h.kind);
    w.Fixed(h.name, 34);
    w.U32(h.version);
    w.U32(h.creator);
    w.U32(h.type);
    w.U16(h.flags);
    w.U16(h.reserved);
    w.U32(h.modificationDate);
    w.U32(h.modificationNumber);
    w.U32(h.creationDate);
    w.U32(h.backupDate);
    w.U32(h.recordCount.value_or(static_cast<std::uint32_t>(f.records.size())));
    w.U32(h.appInfoSize.value_or(static_cast<std::uint32_t>(appInfo.size())));
    w.U32(h.sortInfoSize.value_or(static_cast<std::uint32_t>(sortInfo.size())));
  }
  w.Raw(appInfo);
  w.Raw(sortInfo);
  for (const Record& r : f.records) w.Raw(BuildRecord(r));
  w.Raw(f.trailing);
  return w.out;
}

// The file with a header whose count and block sizes are fixed to those of its
// content now (a test then changes the content or a count to damage it).
inline File Consistent(File f) {
  if (!f.header) f.header = Header{};
  f.header->recordCount = static_cast<std::uint32_t>(f.records.size());
  f.header->appInfoSize = f.appInfo ? static_cast<std::uint32_t>(BuildBlock(*f.appInfo).size()) : 0;
  f.header->sortInfoSize = f.sortInfo ? static_cast<std::uint32_t>(BuildBlock(*f.sortInfo).size()) : 0;
  return f;
}

// ---- The memo application's files ------------------------------------------

// A file with the header the memo application's files carry and nothing else.
inline File MemoFile() {
  Header h;
  h.name = "QuilletDB";
  h.version = 3;
  h.creator = 0x51554C54;
  h.type = 0x44415441;
  h.flags = 0x0008;
  h.modificationDate = 0xB0B0B0B0;
  h.modificationNumber = 42;
  h.creationDate = 0xA0A0A0A0;
  h.backupDate = 0x90909090;
  File f;
  f.header = h;
  return f;
}

// A block around its data, its capacity and length those of the data.
inline Block DataBlock(const Bytes& data, std::uint32_t reserved = 0x11223344, const std::string& name = "QuilletDB") {
  Block b;
  b.name = name;
  b.capacity = b.length = static_cast<std::uint32_t>(data.size());
  b.reserved = reserved;
  b.data = data;
  return b;
}

inline Record MemoRecord(std::uint32_t id, std::uint16_t attributes, std::uint32_t category, Bytes data) {
  Record r;
  r.id = id;
  r.attributes = attributes;
  r.category = category;
  r.data = std::move(data);
  return r;
}

// ---- Reading ---------------------------------------------------------------

namespace detail {

class Reader {
 public:
  explicit Reader(const Bytes& b) : in(b) {}
  bool Has(std::size_t n) const { return pos + n <= in.size(); }
  std::uint8_t U8() { return in.at(pos++); }
  std::uint16_t U16() {
    std::uint16_t lo = U8();
    return static_cast<std::uint16_t>(lo | (U8() << 8));
  }
  std::uint32_t U32() {
    std::uint32_t lo = U16();
    return lo | (static_cast<std::uint32_t>(U16()) << 16);
  }
  std::string Fixed(std::size_t n) {
    std::string s;
    bool ended = false;
    for (std::size_t i = 0; i < n; ++i) {
      char c = static_cast<char>(U8());
      if (c == 0) ended = true;
      if (!ended) s.push_back(c);
    }
    return s;
  }
  Bytes Raw(std::size_t n) {
    Bytes b(in.begin() + static_cast<std::ptrdiff_t>(pos), in.begin() + static_cast<std::ptrdiff_t>(pos + n));
    pos += n;
    return b;
  }
  const Bytes& in;
  std::size_t pos = 0;
};

inline bool ParseBlock(Reader& r, std::uint32_t total, Block& b) {
  if (total < 56 || !r.Has(total)) return false;
  b.size = r.U32();
  b.kind = r.U16();
  b.reserved16 = r.U16();
  b.dataOffset = r.U32();
  b.name = r.Fixed(32);
  b.capacity = r.U32();
  b.length = r.U32();
  b.reserved = r.U32();
  b.data = r.Raw(total - 56);
  return true;
}

}  // namespace detail

// Parses a whole file strictly: every counted record must be whole; what
// follows the last record is returned as trailing bytes.
inline bool Parse(const Bytes& bytes, File& f) {
  f = File{};
  detail::Reader r(bytes);
  if (bytes.empty()) return true;
  if (!r.Has(84)) return false;
  Header h;
  h.size = r.U32();
  h.kind = r.U16();
  h.name = r.Fixed(34);
  h.version = r.U32();
  h.creator = r.U32();
  h.type = r.U32();
  h.flags = r.U16();
  h.reserved = r.U16();
  h.modificationDate = r.U32();
  h.modificationNumber = r.U32();
  h.creationDate = r.U32();
  h.backupDate = r.U32();
  const std::uint32_t recordCount = r.U32(), appInfoSize = r.U32(), sortInfoSize = r.U32();
  h.recordCount = recordCount;
  h.appInfoSize = appInfoSize;
  h.sortInfoSize = sortInfoSize;
  f.header = h;
  if (appInfoSize > 0) {
    Block b;
    if (!detail::ParseBlock(r, appInfoSize, b)) return false;
    f.appInfo = b;
  }
  if (sortInfoSize > 0) {
    Block b;
    if (!detail::ParseBlock(r, sortInfoSize, b)) return false;
    f.sortInfo = b;
  }
  for (std::uint32_t i = 0; i < recordCount; ++i) {
    if (!r.Has(40)) return false;
    Record rec;
    rec.size = r.U32();
    rec.kind = r.U32();
    rec.dataOffset = r.U32();
    rec.reserved12 = r.U32();
    rec.id = r.U32();
    rec.reserved20 = r.U32();
    rec.attributes = r.U16();
    rec.reserved26 = r.U16();
    rec.category = r.U32();
    rec.reserved32 = r.U32();
    rec.lengthField = r.U32();
    if (*rec.size < 40 || !r.Has(*rec.size - 40)) return false;
    rec.data = r.Raw(*rec.size - 40);
    f.records.push_back(rec);
  }
  f.trailing = r.Raw(bytes.size() - r.pos);
  return true;
}

// The file as far as it parses (an empty file when the header is damaged).
inline File Parse(const Bytes& bytes) {
  File f;
  Parse(bytes, f);
  return f;
}

// A record as a writer must leave it: its sizes agree with its data, its kind
// is a record's and its data follows its header.
inline bool IsWellFormed(const Record& r) {
  return r.size == 40 + r.data.size() && r.lengthField == r.data.size() && r.kind == 0x1002 && r.dataOffset == 40;
}

// ---- Files on disk ---------------------------------------------------------

inline Bytes ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::filesystem::path& p, const Bytes& b) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

}  // namespace recordfile
