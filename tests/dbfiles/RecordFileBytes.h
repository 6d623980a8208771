#pragma once
// An independent reader and writer of the desktop record container for the
// tests.  It walks the file field by field in order, without the product's
// layout table, so that a wrong offset in the product shows up as a mismatch.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <unistd.h>
#include <string>
#include <vector>

namespace testfile {

using Bytes = std::vector<std::uint8_t>;

struct Header {
  std::uint32_t size = 84;
  std::uint16_t kind = 1;
  std::string name;  // written NUL-padded into 34 bytes
  std::uint32_t version = 0, creator = 0, type = 0;
  std::uint16_t flags = 0, reserved = 0;
  std::uint32_t modificationDate = 0, modificationNumber = 0, creationDate = 0, backupDate = 0;
  std::uint32_t recordCount = 0, appInfoSize = 0, sortInfoSize = 0;
};

struct Block {
  std::uint32_t size = 0;  // 0: computed as 56 + data size when building
  std::uint16_t kind = 0x1002;
  std::uint16_t reserved16 = 0;
  std::uint32_t dataOffset = 56;
  std::string name;  // NUL-padded into 32 bytes
  std::uint32_t capacity = 0, length = 0, reserved = 0;
  Bytes data;  // the whole data area
};

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
  Bytes trailing;
};

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

inline Bytes BuildBlock(const Block& b) {
  Writer w;
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
  Writer w;
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

// The header's count and block sizes are written as given.
inline Bytes Build(const File& f) {
  Writer w;
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
    w.U32(h.recordCount);
    w.U32(h.appInfoSize);
    w.U32(h.sortInfoSize);
  }
  if (f.appInfo) w.Raw(BuildBlock(*f.appInfo));
  if (f.sortInfo) w.Raw(BuildBlock(*f.sortInfo));
  for (const Record& r : f.records) w.Raw(BuildRecord(r));
  w.Raw(f.trailing);
  return w.out;
}

// A header whose count and block sizes match the file's content.
inline File Consistent(File f) {
  if (!f.header) f.header = Header{};
  f.header->recordCount = static_cast<std::uint32_t>(f.records.size());
  f.header->appInfoSize = f.appInfo ? static_cast<std::uint32_t>(BuildBlock(*f.appInfo).size()) : 0;
  f.header->sortInfoSize = f.sortInfo ? static_cast<std::uint32_t>(BuildBlock(*f.sortInfo).size()) : 0;
  return f;
}

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

// Parses a whole file strictly: every counted record must be whole; what
// follows the last record is returned as trailing bytes.
inline bool Parse(const Bytes& bytes, File& f) {
  f = File{};
  Reader r(bytes);
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
  h.recordCount = r.U32();
  h.appInfoSize = r.U32();
  h.sortInfoSize = r.U32();
  f.header = h;
  if (h.appInfoSize > 0) {
    Block b;
    if (!ParseBlock(r, h.appInfoSize, b)) return false;
    f.appInfo = b;
  }
  if (h.sortInfoSize > 0) {
    Block b;
    if (!ParseBlock(r, h.sortInfoSize, b)) return false;
    f.sortInfo = b;
  }
  for (std::uint32_t i = 0; i < h.recordCount; ++i) {
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

inline Bytes ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::filesystem::path& p, const Bytes& b) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A fresh, empty folder for one test, removed at the end.
class TempFolder {
 public:
  TempFolder() {
    static int counter = 0;
    path = std::filesystem::temp_directory_path() /
           ("quillet-dbfiles-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  // Names of the entries in the folder.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path)) names.push_back(e.path().filename().string());
    return names;
  }
  std::filesystem::path path;
};

}  // namespace testfile
