#include "store/RecordDatabase.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "platform/crypto/SecureWipe.h"
#include "platform/files/AtomicFileWriter.h"
#include "platform/files/FileEnv.h"

using namespace FileLayout;

namespace {

// Files are read and written in chunks of this size.
constexpr std::size_t IO_CHUNK = 1 << 20;

// Reads a file front to back through one large buffer.  Every read must be
// satisfied in full: a short read means the file is truncated.
class CFileReader {
 public:
  CFileReader(int fd, std::uint64_t fileSize) : m_fd(fd), m_remaining(fileSize) {}

  // Bytes of the file not yet consumed, as the size at open time tells.
  std::uint64_t Remaining() const { return m_remaining; }

  bool Read(void* dst, std::size_t count) {
    if (count > m_remaining) return false;
    auto* out = static_cast<std::uint8_t*>(dst);
    while (count > 0) {
      if (m_pos == m_end) {
        if (count >= IO_CHUNK) {
          // Large reads go straight to the caller's memory.
          const std::size_t got = ReadSome(out, count);
          if (got == 0) return false;
          out += got;
          count -= got;
          m_remaining -= got;
          continue;
        }
        if (!Fill()) return false;
      }
      const std::size_t take = std::min(count, m_end - m_pos);
      std::memcpy(out, m_buffer.data() + m_pos, take);
      m_pos += take;
      out += take;
      count -= take;
      m_remaining -= take;
    }
    return true;
  }

 private:
  std::size_t ReadSome(std::uint8_t* dst, std::size_t count) {
    const ssize_t got = Files::Env().Read(m_fd, dst, count);
    return got > 0 ? static_cast<std::size_t>(got) : 0;
  }

  bool Fill() {
    if (m_buffer.empty()) m_buffer.resize(static_cast<std::size_t>(std::min<std::uint64_t>(IO_CHUNK, m_remaining)));
    m_pos = 0;
    m_end = ReadSome(m_buffer.data(), m_buffer.size());
    return m_end > 0;
  }

  int m_fd;
  std::uint64_t m_remaining;
  std::vector<std::uint8_t> m_buffer;
  std::size_t m_pos = 0;
  std::size_t m_end = 0;
};

// Writes a file front to back through one large buffer; remembers the first
// failure.
class CFileWriter {
 public:
  explicit CFileWriter(CAtomicFileWriter& out) : m_out(out) { m_buffer.reserve(IO_CHUNK); }

  bool Write(const void* src, std::size_t count) {
    if (m_failed) return false;
    const auto* in = static_cast<const std::uint8_t*>(src);
    if (m_buffer.size() + count > IO_CHUNK && !Flush()) return false;
    if (count >= IO_CHUNK) return WriteAll(in, count);
    m_buffer.insert(m_buffer.end(), in, in + count);
    return true;
  }

  bool Flush() {
    if (m_failed) return false;
    const bool ok = WriteAll(m_buffer.data(), m_buffer.size());
    m_buffer.clear();
    return ok;
  }

 private:
  bool WriteAll(const std::uint8_t* data, std::size_t count) {
    if (m_out.Write(data, count) != Files::FILE_OK) m_failed = true;
    return !m_failed;
  }

  CAtomicFileWriter& m_out;
  std::vector<std::uint8_t> m_buffer;
  bool m_failed = false;
};

// Reads an app-info or sort-info block of `size` bytes (the size the file
// header gives).  The block must hold its own header, its own size field must
// agree, and when `checkDataOffset` is set its data offset must point behind
// its header and inside it; anything else is a damaged file.
bool ReadBlock(CFileReader& in, std::uint32_t size, std::vector<std::uint8_t>& block, bool checkDataOffset) {
  if (size < BLK_HEADER_SIZE || size > in.Remaining()) return false;
  block.resize(size);
  if (!in.Read(block.data(), size)) return false;
  if (ReadU32(block.data() + BLK_TOTAL_SIZE) != size) return false;
  if (checkDataOffset) {
    const std::uint32_t dataOffset = ReadU32(block.data() + BLK_DATA_OFFSET);
    if (dataOffset < BLK_HEADER_SIZE || dataOffset > size) return false;
  }
  return true;
}

void CloseQuietly(int fd) { (void)Files::Env().Close(fd); }

}  // namespace

CRecordDatabase::CRecordDatabase() = default;

CRecordDatabase::~CRecordDatabase() = default;

int CRecordDatabase::AddRecord(std::unique_ptr<CRecord> record) {
  record->position = RecordCount();
  records.push_back(std::move(record));
  return 0;
}

std::unique_ptr<CBlockCipher> CRecordDatabase::CreateCipher() { return nullptr; }

bool CRecordDatabase::IsEncrypted() const { return false; }

bool CRecordDatabase::CheckPassword(const char* /*password*/) const { return true; }

CRecord* CRecordDatabase::RecordAt(int index) const {
  if (index < 0 || index >= RecordCount()) return nullptr;
  return records[static_cast<std::size_t>(index)].get();
}

std::span<const std::uint8_t> CRecordDatabase::AppInfoData() const {
  if (appInfo.size() < BLK_HEADER_SIZE) return {};
  const std::size_t offset = std::min<std::size_t>(ReadU32(appInfo.data() + BLK_DATA_OFFSET), appInfo.size());
  return std::span<const std::uint8_t>(appInfo).subspan(offset);
}

std::span<std::uint8_t> CRecordDatabase::MutableAppInfoData() {
  if (appInfo.size() < BLK_HEADER_SIZE) return {};
  const std::size_t offset = std::min<std::size_t>(ReadU32(appInfo.data() + BLK_DATA_OFFSET), appInfo.size());
  return std::span<std::uint8_t>(appInfo).subspan(offset);
}

CCategoryTable* CRecordDatabase::GetCategories() {
  if (appInfo.empty()) return nullptr;
  if (!categories) {
    try {
      auto table = std::make_unique<CCategoryTable>();
      const auto data = AppInfoData();
      table->ReadFrom(data.data(), data.size());
      categories = std::move(table);
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }
  return categories.get();
}

void CRecordDatabase::Clear() {
  std::vector<std::uint8_t>().swap(appInfo);
  std::vector<std::uint8_t>().swap(sortInfo);
  cipher.reset();
  categories.reset();
  std::vector<std::unique_ptr<CRecord>>().swap(records);
  header.fill(0);
  loaded = false;
}

int CRecordDatabase::Load(const std::string& filePath, int mode, const char* password) {
  Clear();
  int result = RDB_CANNOT_OPEN;
  try {
    path = filePath;
    openMode = mode;
    int flags = 0;
    if (mode == RDB_OPEN_READ_WRITE) {
      flags |= O_RDWR;
    } else if (mode == RDB_OPEN_READ_ONLY) {
      flags |= O_RDONLY;
    } else {
      return RDB_CANNOT_OPEN;
    }
    const int fd = Files::Env().Open(filePath, flags);
    if (fd < 0) return RDB_CANNOT_OPEN;
    try {
      result = LoadFile(fd, password);
    } catch (const std::bad_alloc&) {
      result = RDB_CANNOT_OPEN;
    }
    CloseQuietly(fd);
  } catch (const std::bad_alloc&) {
    result = RDB_CANNOT_OPEN;
  }
  if (result == RDB_CANNOT_OPEN) Clear();
  loaded = result == RDB_OK;
  return result;
}

int CRecordDatabase::LoadFile(int fd, const char* password) {
  SFileStatus info;
  if (!Files::Env().StatOpen(fd, info) || info.kind != SFileStatus::Kind::REGULAR) return RDB_CANNOT_OPEN;
  CFileReader in(fd, info.size);
  // An empty file is a valid, empty database.
  if (in.Remaining() == 0) return RDB_OK;

  if (!in.Read(header.data(), HDR_SIZE)) return RDB_CANNOT_OPEN;
  if (ReadU32(header.data() + HDR_SIZE_FIELD) != HDR_SIZE) return RDB_CANNOT_OPEN;

  const std::uint32_t appInfoSize = ReadU32(header.data() + HDR_APPINFO_SIZE);
  if (appInfoSize > 0 && !ReadBlock(in, appInfoSize, appInfo, true)) return RDB_CANNOT_OPEN;
  const std::uint32_t sortInfoSize = ReadU32(header.data() + HDR_SORTINFO_SIZE);
  if (sortInfoSize > 0 && !ReadBlock(in, sortInfoSize, sortInfo, false)) return RDB_CANNOT_OPEN;

  if (IsEncrypted()) {
    if (password == nullptr || !CheckPassword(password)) return RDB_BAD_PASSWORD;
    cipher = CreateCipher();
    if (!cipher) return RDB_CANNOT_OPEN;
    cipher->SetKey(password);
  }

  // Every record takes at least its 40-byte header.
  const std::uint32_t count = ReadU32(header.data() + HDR_RECORD_COUNT);
  if (count > in.Remaining() / REC_HEADER_SIZE) return RDB_CANNOT_OPEN;
  records.reserve(count);
  std::vector<std::uint8_t> buffer(REC_MAX_SIZE);
  // Records are decrypted in the buffer: wipe it however the load ends.
  struct CWipe {
    std::vector<std::uint8_t>& bytes;
    bool active;
    ~CWipe() {
      if (active) SecureWipe(bytes.data(), bytes.size());
    }
  } wipe{buffer, cipher != nullptr};
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!in.Read(buffer.data(), REC_HEADER_SIZE)) return RDB_CANNOT_OPEN;
    const std::uint32_t total = ReadU32(buffer.data() + REC_TOTAL_SIZE);
    if (total < REC_HEADER_SIZE || total > REC_MAX_SIZE) return RDB_CANNOT_OPEN;
    if (!in.Read(buffer.data() + REC_HEADER_SIZE, total - REC_HEADER_SIZE)) return RDB_CANNOT_OPEN;
    std::unique_ptr<CRecord> record = CreateRecord(buffer.data(), total, cipher.get());
    if (!record) return RDB_CANNOT_OPEN;
    record->position = static_cast<std::int32_t>(i);
    records.push_back(std::move(record));
  }
  return RDB_OK;
}

int CRecordDatabase::Save() {
  if (!loaded || openMode != RDB_OPEN_READ_WRITE) return RDB_CANNOT_OPEN;
  try {
    // Replace the file the path names, also when the path is a symbolic link.
    // The resolved name is freed also when copying it runs out of memory.
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    if (!resolved) return RDB_CANNOT_OPEN;
    const std::string target(resolved.get());

    // The file must exist and be writable; it is never created here.
    CAtomicFileWriter out;
    CAtomicFileWriter::Options options;
    options.existence = CAtomicFileWriter::Existence::MUST_EXIST;
    if (out.Begin(target, options) != Files::FILE_OK) return RDB_CANNOT_OPEN;

    int result = RDB_CANNOT_OPEN;
    try {
      std::vector<std::uint8_t> buffer(REC_MAX_SIZE);
      result = WriteFile(out, buffer.data());
      if (cipher) SecureWipe(buffer.data(), buffer.size());
    } catch (const std::bad_alloc&) {
      result = RDB_CANNOT_OPEN;
    }
    if (result != RDB_OK) return result;  // the writer removes the temporary file
    // The folder is flushed as well, best effort: the file itself is whole.
    const Files::FileResult committed = out.Commit();
    return committed == Files::FILE_OK || committed == Files::FILE_ERR_FOLDER_SYNC ? RDB_OK : RDB_CANNOT_OPEN;
  } catch (const std::bad_alloc&) {
    return RDB_CANNOT_OPEN;
  }
}

int CRecordDatabase::WriteFile(CAtomicFileWriter& file, std::uint8_t* buffer) {
  // A database loaded from an empty file has no header yet.
  if (ReadU32(header.data() + HDR_SIZE_FIELD) != HDR_SIZE) {
    WriteU32(header.data() + HDR_SIZE_FIELD, static_cast<std::uint32_t>(HDR_SIZE));
    WriteU16(header.data() + HDR_KIND, HDR_KIND_VALUE);
  }
  WriteU32(header.data() + HDR_RECORD_COUNT, static_cast<std::uint32_t>(records.size()));
  if (categories) {
    const auto data = MutableAppInfoData();
    categories->WriteTo(data.data(), data.size());
  }
  WriteU32(header.data() + HDR_APPINFO_SIZE, static_cast<std::uint32_t>(appInfo.size()));
  WriteU32(header.data() + HDR_SORTINFO_SIZE, static_cast<std::uint32_t>(sortInfo.size()));

  CFileWriter out(file);
  out.Write(header.data(), header.size());
  out.Write(appInfo.data(), appInfo.size());
  out.Write(sortInfo.data(), sortInfo.size());
  for (const auto& record : records) {
    std::memset(buffer, 0, REC_HEADER_SIZE);
    WriteU32(buffer + REC_TOTAL_SIZE, static_cast<std::uint32_t>(REC_MAX_SIZE));
    // Room for the data such that the whole record stays within the record
    // size limit that every reader of the file applies.
    WriteU32(buffer + REC_LENGTH, static_cast<std::uint32_t>(REC_MAX_DATA));
    if (record->SerializeTo(buffer, cipher.get()) != 0) return RDB_CANNOT_OPEN;
    const std::uint32_t length = ReadU32(buffer + REC_LENGTH);
    if (length > REC_MAX_DATA) return RDB_CANNOT_OPEN;
    const std::uint32_t total = length + static_cast<std::uint32_t>(REC_HEADER_SIZE);
    WriteU32(buffer + REC_TOTAL_SIZE, total);
    if (!out.Write(buffer, total)) return RDB_CANNOT_OPEN;
  }
  return out.Flush() ? RDB_OK : RDB_CANNOT_OPEN;
}
