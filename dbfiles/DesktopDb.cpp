#include "dbfiles/DesktopDb.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <string_view>

#include "dbfiles/CompanionFileName.h"
#include "dbfiles/FileBlock.h"
#include "dbfiles/ISyncLog.h"
#include "dbfiles/ResultCodes.h"
#include "dbfiles/SyncType.h"
#include "platform/files/AtomicFileWriter.h"
#include "platform/files/FileEnv.h"
#include "platform/files/FileSystem.h"
#include "platform/recordfile/FileLayout.h"
#include "platform/text/Mbcs.h"

namespace FL = FileLayout;

namespace {

#ifdef _WIN32
constexpr char PATH_SEPARATOR = '\\';
#else
constexpr char PATH_SEPARATOR = '/';
#endif

// Blocks are read in pieces of this size so that a damaged size field makes
// the read fail at the end of the file instead of allocating the claimed size.
constexpr std::uint32_t BLOCK_READ_PIECE = 1u << 20;

std::string_view Text(const char* s) { return s == nullptr ? std::string_view() : std::string_view(s); }

bool EndsWithSeparator(std::string_view path) {
  if (path.empty()) return false;
  return FindLastFolderSeparator(path) == path.size() - 1;
}

}  // namespace

// ---- Construction -----------------------------------------------------------------

CDesktopDb::CDesktopDb() : CDbManager(nullptr, DB_FLAGS_CONDUIT, SyncType::DO_NOTHING) {}

CDesktopDb::CDesktopDb(ISyncLog* log, std::int32_t dbFlags, const char* dbName, const char* fileName,
                       const char* directory, std::int32_t syncType)
    : CDbManager(log, dbFlags, syncType), m_path(BuildPath(directory, fileName)) {
  std::string_view name = Text(dbName);
  m_dbName.assign(name.substr(0, MbsTruncate(name, DB_NAME_MAX)));
}

CDesktopDb::~CDesktopDb() { CloseFile(); }

std::string CDesktopDb::BuildPath(const char* directory, const char* fileName) {
  std::string_view dir = Text(directory);
  std::string_view file = Text(fileName);
  if (dir.empty()) return std::string(file);
  std::string path(dir);
  if (!EndsWithSeparator(dir)) path.push_back(PATH_SEPARATOR);
  path.append(file.empty() ? std::string_view(DEFAULT_FILE_NAME) : file);
  return path;
}

// ---- File operations ---------------------------------------------------------------

std::int32_t CDesktopDb::OpenFile(std::int32_t mode) {
  CloseFile();
  m_lastOpenMissing = false;
  if (m_path.empty()) return DB_ERR_OPEN_FAILED;
  if (mode == OPEN_CREATE) {
    // The file is only ever replaced whole, by StoreFile: opening it to be
    // rewritten neither creates nor touches it, so a HotSync that fails before
    // its store leaves no empty or half-written file behind.
    return m_replacing ? OpenReplacement() : DB_OK;
  }
  int flags = 0;
  switch (mode) {
    case OPEN_READ: flags = O_RDONLY; break;
    case OPEN_WRITE: flags = O_WRONLY; break;
    case OPEN_READ_WRITE: flags = O_RDWR | O_CREAT; break;
    default: return DB_ERR_OPEN_FAILED;
  }
  IFileEnv& env = Files::Env();
  int fd = env.Open(m_path, flags, 0666);
  if (fd < 0) {
    m_lastOpenMissing = errno == ENOENT;
    return DB_ERR_OPEN_FAILED;
  }
  SFileStatus st;
  if (!env.StatOpen(fd, st) || st.kind != SFileStatus::Kind::REGULAR) {
    (void)env.Close(fd);
    return DB_ERR_OPEN_FAILED;
  }
  m_fd = fd;
  return DB_OK;
}

std::int32_t CDesktopDb::OpenReplacement() {
  try {
    if (!m_replacement) m_replacement = std::make_unique<CAtomicFileWriter>();
  } catch (const std::bad_alloc&) {
    return DB_ERR_OPEN_FAILED;
  }
  // The replacement keeps the permissions of the file it replaces; a new file
  // holds memos and is readable by its owner only.
  CAtomicFileWriter::Options options;
  options.newFileMode = NEW_FILE_MODE;
  return m_replacement->Begin(m_path, options) == Files::FILE_OK ? DB_OK : DB_ERR_OPEN_FAILED;
}

std::int32_t CDesktopDb::CommitReplacement() {
  if (!m_replacement || !m_replacement->IsOpen()) {
    // The real file was written in place (an open mode other than create):
    // nothing to rename.
    bool ok = m_fd < 0 || Files::FlushFile(m_fd);
    CloseFile();
    return ok ? DB_OK : DB_ERR_WRITE_FAILED;
  }
  // The store counts only once the rename is on the disk: when the folder
  // cannot be flushed, a crash may still bring the old file back after the
  // handheld has cleared its change marks, so the HotSync must not be taken
  // for complete (a failure makes the next one compare both sides whole).
  return m_replacement->Commit() == Files::FILE_OK ? DB_OK : DB_ERR_WRITE_FAILED;
}

std::int32_t CDesktopDb::FinishReplacement() {
  if (!m_holdCommit || !m_replacement || !m_replacement->IsOpen()) return CommitReplacement();
  return m_replacement->Flush() == Files::FILE_OK ? DB_OK : DB_ERR_WRITE_FAILED;
}

std::int32_t CDesktopDb::CommitHeld() {
  if (!m_replacement || !m_replacement->IsOpen()) return DB_OK;
  if (CommitReplacement() == DB_OK) {
    m_dirty = false;
    return DB_OK;
  }
  if (Log() != nullptr) Log()->LogSaveFailed(DB_ERR_WRITE_FAILED);
  return DB_ERR_WRITE_FAILED;
}

void CDesktopDb::CloseFile() {
  if (m_fd >= 0) {
    (void)Files::Env().Close(m_fd);
    m_fd = -1;
  }
  if (m_replacement) m_replacement->Abort();
}

bool CDesktopDb::IsFileOpen() const { return m_fd >= 0 || (m_replacement && m_replacement->IsOpen()); }

std::int32_t CDesktopDb::ReadUpTo(std::uint8_t* buffer, std::uint32_t n, std::uint32_t& got) {
  got = 0;
  if (m_fd < 0) return DB_ERR_FILE_NOT_OPEN;
  while (got < n) {
    ssize_t r = Files::Env().Read(m_fd, buffer + got, n - got);
    if (r < 0) return DB_ERR_READ_FAILED;
    if (r == 0) break;
    got += static_cast<std::uint32_t>(r);
  }
  if (n > 0 && got == 0) return DB_ERR_END_OF_FILE;
  if (got < n) return DB_ERR_SHORT_READ;
  return DB_OK;
}

std::int32_t CDesktopDb::ReadExactly(std::uint8_t* buffer, std::uint32_t n) {
  std::uint32_t got = 0;
  return ReadUpTo(buffer, n, got);
}

std::int32_t CDesktopDb::WriteBytes(const std::uint8_t* buffer, std::uint32_t n) {
  if (m_replacement && m_replacement->IsOpen()) {
    return m_replacement->Write(buffer, n) == Files::FILE_OK ? DB_OK : DB_ERR_WRITE_FAILED;
  }
  if (m_fd < 0) return DB_ERR_WRITE_FAILED;
  return Files::WriteAll(m_fd, buffer, n) ? DB_OK : DB_ERR_WRITE_FAILED;
}

bool CDesktopDb::CopyFile(const std::string& source, const std::string& target, bool failIfExists) {
  IFileEnv& env = Files::Env();
  int in = env.Open(source, O_RDONLY);
  if (in < 0) return false;
  bool ok = false;
  try {
    SFileStatus st;
    if (env.StatOpen(in, st) && st.kind == SFileStatus::Kind::REGULAR) {
      // A new target gets the source's permissions, an existing one keeps its own.
      CAtomicFileWriter::Options options;
      options.newFileMode = static_cast<int>(st.mode);
      if (failIfExists) options.existence = CAtomicFileWriter::Existence::MUST_NOT_EXIST;
      CAtomicFileWriter out;
      ok = out.Begin(target, options) == Files::FILE_OK;
      std::vector<std::uint8_t> piece(ok ? 64 * 1024 : 0);
      while (ok) {
        ssize_t r = env.Read(in, piece.data(), piece.size());
        if (r < 0) {
          ok = false;
        } else if (r == 0) {
          break;
        } else {
          ok = out.Write(piece.data(), static_cast<std::size_t>(r)) == Files::FILE_OK;
        }
      }
      if (ok) {
        const Files::FileResult rc = out.Commit();
        ok = rc == Files::FILE_OK || rc == Files::FILE_ERR_FOLDER_SYNC;
      }
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  (void)env.Close(in);
  return ok;
}

// ---- Open, load, store ---------------------------------------------------------------

std::int32_t CDesktopDb::Open() { return OpenPerSyncType(); }

std::int32_t CDesktopDb::OpenPerSyncType() {
  switch (SyncType()) {
    case SyncType::FAST:
    case SyncType::SLOW:
      if (m_firstOpen) {
        std::int32_t rc = OpenFile(OPEN_READ);
        if (rc != DB_OK && m_lastOpenMissing) return DB_ERR_DESKTOP_FILE_MISSING;
        return rc;
      }
      m_dirty = true;
      return OpenFile(OPEN_CREATE);
    case SyncType::HANDHELD_OVERWRITES:
    case SyncType::HANDHELD_OVERWRITES_KEEP:
      m_dirty = true;
      return OpenFile(OPEN_CREATE);
    case SyncType::DESKTOP_OVERWRITES:
      if (m_firstOpen) return OpenFile(OPEN_READ);
      m_dirty = true;
      return OpenFile(OPEN_CREATE);
    case SyncType::DESKTOP_OVERWRITES_4:
    case SyncType::DESKTOP_OVERWRITES_7:
      return OpenFile(OPEN_READ);
    case SyncType::DO_NOTHING:
      return DB_OK;
    default:
      return DB_ERR_BAD_SYNC_TYPE;
  }
}

std::int32_t CDesktopDb::Close(std::int32_t /*flag*/) {
  CloseFile();
  return DB_OK;
}

std::int32_t CDesktopDb::Load() {
  if (m_loaded) return DB_OK;
  m_loaded = true;
  switch (SyncType()) {
    case SyncType::FAST:
    case SyncType::SLOW: {
      std::int32_t rc = LoadFile();
      // Only a file that is really absent is "missing" (which makes the
      // HotSync rewrite it from the handheld); one that exists but could not
      // be opened stays an error.
      if (rc == DB_ERR_FILE_NOT_OPEN) {
        SFileStatus st;
        if (!Files::Env().Stat(m_path, st, false) && errno == ENOENT) return DB_ERR_DESKTOP_FILE_MISSING;
      }
      return rc;
    }
    case SyncType::DESKTOP_OVERWRITES:
    case SyncType::DESKTOP_OVERWRITES_4:
    case SyncType::DESKTOP_OVERWRITES_7:
      return LoadFile();
    default:
      return DB_OK;
  }
}

std::int32_t CDesktopDb::Store() {
  m_firstOpen = false;
  ClearChangedStatus();
  switch (SyncType()) {
    case SyncType::FAST:
    case SyncType::SLOW:
    case SyncType::HANDHELD_OVERWRITES:
    case SyncType::DESKTOP_OVERWRITES:
    case SyncType::HANDHELD_OVERWRITES_KEEP: {
      std::int32_t rc = StoreFile();
      if (rc != DB_OK && Log() != nullptr) Log()->LogSaveFailed(rc);
      return rc;
    }
    default:
      return DB_OK;
  }
}

void CDesktopDb::ClearChangedStatus() {
  for (std::int32_t slot = 0; slot < HighWater(); ++slot) {
    CSyncRecord* record = MutableRecordAt(slot);
    if (record != nullptr && record->IsChanged()) record->ResetStatus();
  }
  // The file is written back at the end of every HotSync, also when no record
  // changed, so that every change mark in it is left clear.
  m_dirty = true;
}

std::int32_t CDesktopDb::ReadBlock(std::uint32_t size, std::vector<std::uint8_t>& block) {
  block.clear();
  std::uint32_t done = 0;
  while (done < size) {
    std::uint32_t piece = std::min(size - done, BLOCK_READ_PIECE);
    block.resize(done + piece);
    std::int32_t rc = ReadExactly(block.data() + done, piece);
    if (rc != DB_OK) return rc;
    done += piece;
  }
  return DB_OK;
}

std::int32_t CDesktopDb::LoadFile() {
  m_dirty = false;
  if (m_path.empty()) return DB_ERR_NO_FILE_NAME;
  if (m_fd < 0) return DB_ERR_FILE_NOT_OPEN;
  std::int32_t result = DB_OK;
  try {
    std::vector<std::uint8_t> header(FL::HDR_SIZE, 0);
    std::int32_t rc = ReadExactly(header.data(), FL::HDR_SIZE);
    if (rc == DB_ERR_END_OF_FILE) {
      CloseFile();
      return DB_OK;  // an empty file is an empty database
    }
    if (rc != DB_OK) {
      CloseFile();
      return DB_ERR_BAD_HEADER;
    }
    m_header.swap(header);

    struct BlockToRead {
      std::size_t sizeField;
      std::vector<std::uint8_t>* block;
      std::int32_t failure;
    };
    const BlockToRead blocks[] = {
        {FL::HDR_APPINFO_SIZE, &m_appInfo, DB_ERR_BAD_APP_INFO},
        {FL::HDR_SORTINFO_SIZE, &m_sortInfo, DB_ERR_BAD_SORT_INFO},
    };
    for (const BlockToRead& b : blocks) {
      std::uint32_t size = FL::ReadU32(m_header.data() + b.sizeField);
      if (size == 0) continue;
      std::vector<std::uint8_t> block;
      bool ok = false;
      try {
        ok = ReadBlock(size, block) == DB_OK;
      } catch (const std::bad_alloc&) {
        ok = false;
      }
      if (!ok) {
        CloseFile();
        return b.failure;
      }
      b.block->swap(block);
    }

    std::vector<std::uint8_t> buffer(FL::REC_MAX_SIZE, 0);
    std::uint32_t count = FL::ReadU32(m_header.data() + FL::HDR_RECORD_COUNT);
    for (std::uint32_t read = 0; read < count; ++read) {
      std::fill(buffer.begin(), buffer.end(), 0);
      if (ReadExactly(buffer.data(), FL::REC_HEADER_SIZE) != DB_OK) {
        result = DB_ERR_BAD_RECORD_HEADER;
        break;
      }
      std::uint32_t total = FL::ReadU32(buffer.data() + FL::REC_TOTAL_SIZE);
      // A size that cannot hold the record header, or does not fit the record
      // buffer, cannot be a record: reading on would go past the buffer.
      if (total < FL::REC_HEADER_SIZE || total > FL::REC_MAX_SIZE) {
        result = DB_ERR_BAD_RECORD_HEADER;
        break;
      }
      std::uint32_t dataLength = total - static_cast<std::uint32_t>(FL::REC_HEADER_SIZE);
      if (dataLength > 0) {
        rc = ReadExactly(buffer.data() + FL::REC_HEADER_SIZE, dataLength);
        if (rc != DB_OK) {
          result = rc;
          break;
        }
      }
      FL::WriteU32(buffer.data() + FL::REC_LENGTH, dataLength);
      // A record that cannot be added is skipped; the others still load.
      (void)AddFileRecord(buffer.data(), total);
    }
  } catch (const std::bad_alloc&) {
    CloseFile();
    return DB_ERR_NO_MEMORY;
  }
  CloseFile();
  m_dirty = false;
  return result;
}

std::int32_t CDesktopDb::StoreFile() {
  CCategoryList* categories = CategoryTable();
  if (!m_dirty && (categories == nullptr || !categories->IsChanged())) return DB_OK;
  m_replacing = true;
  std::int32_t rc = OpenPerSyncType();
  m_replacing = false;
  if (rc != DB_OK) {
    CloseFile();
    return DB_ERR_WRITE_FAILED;
  }
  if (m_header.empty()) {
    if (RecordCount() == 0 && m_appInfo.empty() && m_sortInfo.empty()) {
      // Nothing to write: the file becomes (or stays) empty.
      return FinishReplacement() == DB_OK ? DB_OK : DB_ERR_WRITE_FAILED;
    }
    // A database read from an empty file that has taken records or blocks
    // since: without a header they would be written nowhere.
    rc = CreateEmptyHeader();
    if (rc != DB_OK) {
      CloseFile();
      return rc;
    }
    FL::WriteU16(m_header.data() + FL::HDR_KIND, FL::HDR_KIND_VALUE);
    std::memcpy(m_header.data() + FL::HDR_NAME, m_dbName.data(), std::min(m_dbName.size(), FL::HDR_NAME_MAX));
  }
  rc = WriteDatabase();
  if (rc != DB_OK) {
    CloseFile();
    return rc;
  }
  rc = FinishReplacement();
  if (rc != DB_OK) return rc;
  if (!m_holdCommit) m_dirty = false;
  return DB_OK;
}

std::int32_t CDesktopDb::WriteDatabase() {
  FL::WriteU32(m_header.data() + FL::HDR_SIZE_FIELD, static_cast<std::uint32_t>(FL::HDR_SIZE));
  FL::WriteU32(m_header.data() + FL::HDR_RECORD_COUNT, static_cast<std::uint32_t>(RecordCount()));
  FL::WriteU32(m_header.data() + FL::HDR_APPINFO_SIZE, static_cast<std::uint32_t>(m_appInfo.size()));
  FL::WriteU32(m_header.data() + FL::HDR_SORTINFO_SIZE, static_cast<std::uint32_t>(m_sortInfo.size()));
  if (WriteBytes(m_header.data(), static_cast<std::uint32_t>(FL::HDR_SIZE)) != DB_OK) {
    return DB_ERR_WRITE_FAILED;
  }
  for (std::vector<std::uint8_t>* block : {&m_appInfo, &m_sortInfo}) {
    if (block->empty()) continue;
    // The block's size field says what the header says: the block is exactly
    // the bytes held for it.
    if (block->size() >= FL::BLK_KIND) {
      FL::WriteU32(block->data() + FL::BLK_TOTAL_SIZE, static_cast<std::uint32_t>(block->size()));
    }
    if (WriteBytes(block->data(), static_cast<std::uint32_t>(block->size())) != DB_OK) {
      return DB_ERR_WRITE_FAILED;
    }
  }
  std::vector<std::uint8_t> buffer;
  try {
    buffer.assign(FL::REC_MAX_SIZE, 0);
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  for (std::int32_t slot = 0; slot < HighWater(); ++slot) {
    const CSyncRecord* record = RecordAt(slot);
    if (record == nullptr) continue;
    std::fill(buffer.begin(), buffer.end(), 0);
    FL::WriteU32(buffer.data() + FL::REC_TOTAL_SIZE, static_cast<std::uint32_t>(FL::REC_MAX_SIZE));
    std::int32_t rc = RecordToFileRecord(*record, buffer.data(), buffer.size(), false);
    if (rc != DB_OK) return rc;
    std::uint32_t total = FL::ReadU32(buffer.data() + FL::REC_LENGTH) +
                          static_cast<std::uint32_t>(FL::REC_HEADER_SIZE);
    FL::WriteU32(buffer.data() + FL::REC_TOTAL_SIZE, total);
    if (WriteBytes(buffer.data(), total) != DB_OK) return DB_ERR_WRITE_FAILED;
  }
  return DB_OK;
}

// ---- Record conversions ------------------------------------------------------------------

std::int32_t CDesktopDb::AddFileRecord(const std::uint8_t* buffer, std::size_t size) {
  CSyncRecord record;
  std::int32_t rc = FileRecordToRecord(buffer, size, record);
  if (rc != DB_OK) return rc;
  if (SyncType() == SyncType::SLOW) record.SetPending(true);
  return InsertRecord(record);
}

std::int32_t CDesktopDb::FileRecordToRecord(const std::uint8_t* buffer, std::size_t size,
                                            CSyncRecord& record) {
  if (buffer == nullptr) return DB_ERR_NULL_BUFFER;
  if (size < FL::REC_HEADER_SIZE) return DB_ERR_BAD_RECORD_HEADER;
  record.Clear();
  record.SetId(static_cast<std::int32_t>(FL::ReadU32(buffer + FL::REC_ID)));
  record.SetCategory(static_cast<std::int32_t>(FL::ReadU32(buffer + FL::REC_CATEGORY)));
  // The data follows the record header; its length never reaches past the
  // bytes of the record.
  std::size_t length = std::min<std::size_t>(FL::ReadU32(buffer + FL::REC_LENGTH), size - FL::REC_HEADER_SIZE);
  if (length > 0) {
    std::int32_t rc = record.SetBody(static_cast<std::int32_t>(length), buffer + FL::REC_HEADER_SIZE);
    if (rc != DB_OK) return rc;
  }
  record.SetIndex(-1);
  record.ResetStatus();
  std::uint16_t attributes = FL::ReadU16(buffer + FL::REC_ATTRIBUTES);
  record.SetModified((attributes & FL::REC_ATTR_MODIFIED) != 0);
  record.SetDeleted((attributes & FL::REC_ATTR_DELETED) != 0);
  record.SetArchived((attributes & FL::REC_ATTR_ARCHIVED) != 0);
  record.SetNew((attributes & FL::REC_ATTR_NEW) != 0);
  record.SetPrivate((attributes & FL::REC_ATTR_PRIVATE) != 0);
  return DB_OK;
}

std::int32_t CDesktopDb::RecordToFileRecord(const CSyncRecord& record, std::uint8_t* buffer,
                                            std::size_t size, bool withAttributes) {
  if (buffer == nullptr) return DB_ERR_NULL_BUFFER;
  if (size < FL::REC_HEADER_SIZE) return DB_ERR_BUFFER_TOO_SMALL;
  std::size_t room = std::min<std::size_t>(FL::ReadU32(buffer + FL::REC_TOTAL_SIZE), size);
  if (room < FL::REC_HEADER_SIZE) return DB_ERR_BUFFER_TOO_SMALL;
  std::int32_t length = record.GetLength();
  if (length < 0 || static_cast<std::size_t>(length) > room - FL::REC_HEADER_SIZE) {
    return DB_ERR_BUFFER_TOO_SMALL;
  }
  if (length > 0 && record.Body() != nullptr) {
    std::memcpy(buffer + FL::REC_HEADER_SIZE, record.Body(), static_cast<std::size_t>(length));
  }
  FL::WriteU32(buffer + FL::REC_LENGTH, static_cast<std::uint32_t>(length));
  // The private mark is the memo's own, not a change to synchronise: it is
  // kept in every mode, so that a secret memo stays secret on both sides.
  std::uint16_t attributes = record.GetPrivate() != 0 ? FL::REC_ATTR_PRIVATE : 0;
  if (withAttributes) {
    if (record.IsModified()) attributes |= FL::REC_ATTR_MODIFIED;
    if (record.IsDeleted()) attributes |= FL::REC_ATTR_DELETED;
    if (record.IsArchived()) attributes |= FL::REC_ATTR_ARCHIVED;
    if (record.IsNew()) attributes |= FL::REC_ATTR_NEW;
    if (record.GetPrivate() != 0) attributes |= FL::REC_ATTR_PRIVATE;
  }
  FL::WriteU16(buffer + FL::REC_ATTRIBUTES, attributes);
  FL::WriteU32(buffer + FL::REC_ID, static_cast<std::uint32_t>(record.GetId()));
  FL::WriteU32(buffer + FL::REC_CATEGORY, static_cast<std::uint32_t>(record.GetCategory()));
  FL::WriteU32(buffer + FL::REC_KIND, FL::REC_KIND_VALUE);
  FL::WriteU32(buffer + FL::REC_DATA_OFFSET, static_cast<std::uint32_t>(FL::REC_HEADER_SIZE));
  return DB_OK;
}

// ---- Records ------------------------------------------------------------------------------

std::int32_t CDesktopDb::GetRecordCount(std::int32_t& count) {
  count = RecordCount();
  return DB_OK;
}

std::int32_t CDesktopDb::GetRecordById(std::int32_t id, CSyncRecord& out, bool logErrors) {
  std::int32_t rc = CDbManager::GetRecordById(id, out, logErrors);
  if (rc == DB_OK) MutableRecordAt(IndexOfId(id))->SetPending(false);
  return rc;
}

std::int32_t CDesktopDb::InsertRecord(CSyncRecord& record) {
  // The table marks the manager dirty (OnTableChanged) once the record is in.
  return CDbManager::InsertRecord(record);
}

std::int32_t CDesktopDb::ModifyRecord(CSyncRecord& record) {
  std::int32_t slot = IndexOfId(record.GetId());
  if (slot < 0) return DB_ERR_RECORD_NOT_FOUND;
  return ModifyRecordAt(slot, record);
}

std::int32_t CDesktopDb::ModifyRecordAt(std::int32_t index, CSyncRecord& record) {
  if (RecordAt(index) == nullptr) return DB_ERR_RECORD_NOT_FOUND;
  // StoreAt replaces the stored record by a copy of every field of the given
  // one, keeps its index equal to its slot and the id index in step.
  std::int32_t rc = StoreAt(index, record);
  if (rc != DB_OK) return rc;
  MutableRecordAt(index)->ResetStatus();
  m_dirty = true;
  return DB_OK;
}

std::int32_t CDesktopDb::DeleteRecord(CSyncRecord& record) {
  std::int32_t slot = record.GetId() != 0 ? IndexOfId(record.GetId()) : record.GetIndex();
  if (RecordAt(slot) == nullptr) return DB_ERR_RECORD_NOT_FOUND;
  FreeSlot(slot);
  m_dirty = true;
  return DB_OK;
}

namespace {
std::size_t BodyHash(const CSyncRecord& record) {
  const auto* body = reinterpret_cast<const char*>(record.Body());
  const std::size_t length = record.GetLength() > 0 && body != nullptr ? static_cast<std::size_t>(record.GetLength()) : 0;
  return std::hash<std::string_view>{}(std::string_view(body, length));
}
}  // namespace

std::int32_t CDesktopDb::AdoptNewTwin(const CSyncRecord& handheld, CSyncRecord& out) {
  try {
    if (!m_twinsIndexed) {
      m_twinsIndexed = true;
      for (std::int32_t slot = 0; slot < HighWater(); ++slot) {
        const CSyncRecord* record = RecordAt(slot);
        if (record != nullptr && record->IsPending() && !record->IsDeleted() &&
            (record->GetId() == 0 || record->IsNew())) {
          m_twins.emplace(BodyHash(*record), slot);
        }
      }
    }
    if (m_twins.empty()) return DB_ERR_NOT_FOUND;
    auto [first, last] = m_twins.equal_range(BodyHash(handheld));
    for (auto it = first; it != last; ++it) {
      const std::int32_t slot = it->second;
      const CSyncRecord* record = RecordAt(slot);
      if (record == nullptr || !record->IsPending() || record->Compare(handheld) != CSyncRecord::CMP_EQUAL) continue;
      m_twins.erase(it);
      CSyncRecord adopted(*record);
      adopted.SetId(handheld.GetId());
      std::int32_t rc = ModifyRecordAt(slot, adopted);
      if (rc != DB_OK) return rc;
      CSyncRecord* stored = MutableRecordAt(slot);
      stored->SetPending(false);
      stored->SetNew(false);
      stored->SetModified(false);
      return CopyOut(*stored, out);
    }
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  return DB_ERR_NOT_FOUND;
}

std::int32_t CDesktopDb::FirstNew(CSyncRecord& out) {
  for (std::int32_t slot = 0; slot < HighWater(); ++slot) {
    const CSyncRecord* record = RecordAt(slot);
    if (record != nullptr && record->IsNew()) return CopyOut(*record, out);
  }
  return DB_ERR_NOT_FOUND;
}

std::int32_t CDesktopDb::PurgeDeleted() {
  for (std::int32_t slot = 0; slot < HighWater(); ++slot) {
    const CSyncRecord* record = RecordAt(slot);
    if (record != nullptr && record->IsDeleted()) FreeSlot(slot);
  }
  m_dirty = true;
  return DB_OK;
}

std::int32_t CDesktopDb::PurgeCategory(std::int32_t category, bool move) {
  if (category < 0 || category >= CATEGORY_SLOTS) return CAT_ERR_BAD_INDEX;
  if (move) return ChangeCategory(category, 0);
  for (std::int32_t slot = 0; slot < HighWater(); ++slot) {
    const CSyncRecord* record = RecordAt(slot);
    if (record != nullptr && record->GetCategory() == category) FreeSlot(slot);
  }
  m_dirty = true;
  return DB_OK;
}

std::int32_t CDesktopDb::ChangeCategory(std::int32_t from, std::int32_t to) {
  if (from < 0 || from >= CATEGORY_SLOTS || to < 0 || to >= CATEGORY_SLOTS) return CAT_ERR_BAD_INDEX;
  for (std::int32_t slot = 0; slot < HighWater(); ++slot) {
    CSyncRecord* record = MutableRecordAt(slot);
    if (record != nullptr && record->GetCategory() == from) {
      record->SetCategory(to);
      record->SetModified(true);
    }
  }
  m_dirty = true;
  return DB_OK;
}

std::int32_t CDesktopDb::RemapCategories(const std::int32_t* map) {
  if (map == nullptr) return DB_ERR_NULL_BUFFER;
  m_dirty = true;
  for (std::int32_t slot = 0; slot < HighWater(); ++slot) {
    CSyncRecord* record = MutableRecordAt(slot);
    if (record == nullptr) continue;
    std::int32_t category = record->GetCategory();
    // Only the 16 entries of the map exist.
    if (category < 0 || category >= CATEGORY_SLOTS) continue;
    std::int32_t target = map[category];
    if (target == -1) continue;
    record->SetCategory(target);
    record->SetModified(true);
  }
  return DB_OK;
}

// ---- Blocks -----------------------------------------------------------------------------------

std::size_t CDesktopDb::CategoryBlockSize() const { return HasCategoryBlock() ? FL::CAT_BLOCK_SIZE : 0; }

void CDesktopDb::PutBlockName(std::vector<std::uint8_t>& block) const {
  std::size_t n = std::min(m_dbName.size(), FL::BLK_NAME_FIELD_SIZE - 1);
  std::memset(block.data() + FL::BLK_NAME, 0, FL::BLK_NAME_FIELD_SIZE);
  std::memcpy(block.data() + FL::BLK_NAME, m_dbName.data(), n);
}

std::int32_t CDesktopDb::GetBlock(const std::vector<std::uint8_t>& block, std::int32_t missing,
                                  DbBlockInfo& info) const {
  if (block.empty()) return missing;
  std::memset(info.name, 0, sizeof(info.name));
  if (block.size() >= FL::BLK_NAME + FL::BLK_NAME_FIELD_SIZE) {
    std::memcpy(info.name, block.data() + FL::BLK_NAME, sizeof(info.name) - 1);
  }
  FileBlockView view = ViewFileBlock(block.data(), block.size());
  info.dataLength = static_cast<std::uint16_t>(std::min<std::size_t>(view.length, 0xFFFF));
  if (info.bufferSize < view.length) return DB_ERR_BUFFER_TOO_SMALL;
  if (info.data == nullptr) return DB_ERR_NULL_BUFFER;
  info.reserved = FL::ReadU32(block.data() + FL::BLK_RESERVED_VALUE);
  if (view.length > 0) std::memcpy(info.data, block.data() + view.dataOffset, view.length);
  return DB_OK;
}

std::int32_t CDesktopDb::SetBlock(std::vector<std::uint8_t>& block, const DbBlockInfo& info) {
  if (info.dataLength > 0 && info.data == nullptr) return DB_ERR_NULL_BUFFER;
  m_dirty = true;
  std::vector<std::uint8_t> fresh;
  try {
    fresh.assign(FL::BLK_HEADER_SIZE + info.dataLength, 0);
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  FL::WriteU32(fresh.data() + FL::BLK_TOTAL_SIZE, static_cast<std::uint32_t>(fresh.size()));
  FL::WriteU16(fresh.data() + FL::BLK_KIND, FL::BLK_KIND_VALUE);
  FL::WriteU32(fresh.data() + FL::BLK_DATA_OFFSET, static_cast<std::uint32_t>(FL::BLK_HEADER_SIZE));
  std::size_t nameLength = ::strnlen(info.name, FL::BLK_NAME_FIELD_SIZE - 1);
  std::memcpy(fresh.data() + FL::BLK_NAME, info.name, nameLength);
  FL::WriteU32(fresh.data() + FL::BLK_CAPACITY, info.dataLength);
  FL::WriteU32(fresh.data() + FL::BLK_LENGTH, info.dataLength);
  FL::WriteU32(fresh.data() + FL::BLK_RESERVED_VALUE, info.reserved);
  if (info.dataLength > 0) std::memcpy(fresh.data() + FL::BLK_HEADER_SIZE, info.data, info.dataLength);
  block.swap(fresh);
  return DB_OK;
}

std::int32_t CDesktopDb::GetSortInfo(DbBlockInfo& info) {
  return GetBlock(m_sortInfo, DB_ERR_NO_SORT_INFO_BLOCK, info);
}
std::int32_t CDesktopDb::SetSortInfo(const DbBlockInfo& info) { return SetBlock(m_sortInfo, info); }
std::int32_t CDesktopDb::GetAppInfo(DbBlockInfo& info) {
  return GetBlock(m_appInfo, DB_ERR_NO_APP_INFO_BLOCK, info);
}
std::int32_t CDesktopDb::SetAppInfo(const DbBlockInfo& info) { return SetBlock(m_appInfo, info); }

bool CDesktopDb::HasAppInfoExtra() {
  if (m_appInfo.empty()) return false;
  std::size_t length = ViewFileBlock(m_appInfo.data(), m_appInfo.size()).length;
  if (length == 0) return false;
  return !HasCategoryBlock() || length >= FL::CAT_BLOCK_SIZE + 1;
}

std::uint32_t CDesktopDb::AppInfoExtraSize() {
  if (m_appInfo.empty()) return 0;
  std::size_t length = ViewFileBlock(m_appInfo.data(), m_appInfo.size()).length;
  std::size_t skip = CategoryBlockSize();
  return length > skip ? static_cast<std::uint32_t>(length - skip) : 0;
}

const std::uint8_t* CDesktopDb::AppInfoExtraPtr() {
  if (AppInfoExtraSize() == 0) return nullptr;
  return m_appInfo.data() + ViewFileBlock(m_appInfo.data(), m_appInfo.size()).dataOffset + CategoryBlockSize();
}

std::int32_t CDesktopDb::GetAppInfoExtra(std::uint8_t* buffer, std::uint32_t* size) {
  if (size == nullptr) return DB_ERR_NULL_ARGUMENT;
  std::uint32_t n = AppInfoExtraSize();
  if (*size < n) {
    *size = n;
    return DB_ERR_BUFFER_TOO_SMALL;
  }
  if (buffer == nullptr) return DB_ERR_NULL_BUFFER;
  if (n > 0) std::memcpy(buffer, AppInfoExtraPtr(), n);
  *size = n;
  return DB_OK;
}

std::int32_t CDesktopDb::ReserveAppInfo(std::uint32_t room) {
  std::size_t total = FL::BLK_HEADER_SIZE + static_cast<std::size_t>(room);
  if (!m_appInfo.empty() && m_appInfo.size() >= total) return DB_OK;
  std::vector<std::uint8_t> fresh;
  try {
    fresh.assign(total, 0);
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  if (!m_appInfo.empty()) {
    // The new block keeps the old block's header and, for a category
    // database, its category block.
    std::size_t keep = HasCategoryBlock() ? FL::CAT_APPINFO_BLOCK_SIZE : FL::BLK_HEADER_SIZE;
    keep = std::min({keep, m_appInfo.size(), total});
    std::memcpy(fresh.data(), m_appInfo.data(), keep);
  } else {
    FL::WriteU16(fresh.data() + FL::BLK_KIND, FL::BLK_KIND_VALUE);
    PutBlockName(fresh);
  }
  // The data area starts right after the block header.
  FL::WriteU32(fresh.data() + FL::BLK_DATA_OFFSET, static_cast<std::uint32_t>(FL::BLK_HEADER_SIZE));
  FL::WriteU32(fresh.data() + FL::BLK_TOTAL_SIZE, static_cast<std::uint32_t>(total));
  FL::WriteU32(fresh.data() + FL::BLK_CAPACITY, room);
  if (FL::ReadU32(fresh.data() + FL::BLK_LENGTH) > room) FL::WriteU32(fresh.data() + FL::BLK_LENGTH, room);
  m_appInfo.swap(fresh);
  m_dirty = true;
  return DB_OK;
}

std::int32_t CDesktopDb::SetAppInfoExtra(std::uint32_t length, const std::uint8_t* bytes) {
  if (length > 0 && bytes == nullptr) return DB_ERR_NULL_BUFFER;
  std::size_t skip = CategoryBlockSize();
  if (length > FL::REC_MAX_SIZE) return DB_ERR_TOO_LONG;
  std::int32_t rc = ReserveAppInfo(static_cast<std::uint32_t>(skip + length));
  if (rc != DB_OK) return rc;
  FileBlockView view = ViewFileBlock(m_appInfo.data(), m_appInfo.size());
  if (view.capacity < skip || length > view.capacity - skip) return DB_ERR_TOO_LONG;
  std::uint8_t* data = m_appInfo.data() + view.dataOffset;
  std::memset(data + skip, 0, view.capacity - skip);
  if (length > 0) std::memcpy(data + skip, bytes, length);
  FL::WriteU32(m_appInfo.data() + FL::BLK_LENGTH, static_cast<std::uint32_t>(skip + length));
  m_dirty = true;
  return DB_OK;
}

std::int32_t CDesktopDb::CategoriesFromAppInfo() {
  if (!HasCategoryBlock()) return DB_OK;
  CategoryTableOwner().reset();
  if (m_appInfo.empty()) return DB_ERR_NO_APP_INFO;
  FileBlockView view = ViewFileBlock(m_appInfo.data(), m_appInfo.size());
  if (view.length == 0) return DB_ERR_NO_APP_INFO;
  try {
    auto table = std::make_unique<CCategoryList>();
    // A damaged category block leaves the categories read before the damage.
    (void)table->ReadCategoryBlock(m_appInfo.data() + view.dataOffset, view.length);
    CategoryTableOwner() = std::move(table);
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  return DB_OK;
}

std::int32_t CDesktopDb::CategoriesToAppInfo() {
  CCategoryList* categories = CategoryTable();
  if (!HasCategoryBlock() || categories == nullptr || !categories->IsChanged()) return DB_OK;
  if (m_appInfo.empty() ||
      ViewFileBlock(m_appInfo.data(), m_appInfo.size()).capacity < FL::CAT_BLOCK_SIZE) {
    std::int32_t rc = ReserveAppInfo(static_cast<std::uint32_t>(FL::CAT_BLOCK_SIZE));
    if (rc != DB_OK) return rc;
  }
  FileBlockView view = ViewFileBlock(m_appInfo.data(), m_appInfo.size());
  std::int32_t room = static_cast<std::int32_t>(std::min<std::size_t>(view.capacity, 0x7FFFFFFF));
  std::int32_t rc = categories->WriteCategoryBlock(m_appInfo.data() + view.dataOffset, &room);
  if (rc != DB_OK) return rc;
  // A length that cannot hold the category block would cut it off on the next
  // load; application bytes after it are kept.
  if (view.length < FL::CAT_BLOCK_SIZE) {
    FL::WriteU32(m_appInfo.data() + FL::BLK_LENGTH, static_cast<std::uint32_t>(FL::CAT_BLOCK_SIZE));
  }
  m_dirty = true;
  return DB_OK;
}

// ---- Header ---------------------------------------------------------------------------------

std::int32_t CDesktopDb::CreateEmptyHeader() {
  try {
    m_header.assign(FL::HDR_SIZE, 0);
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  FL::WriteU32(m_header.data() + FL::HDR_SIZE_FIELD, static_cast<std::uint32_t>(FL::HDR_SIZE));
  return DB_OK;
}

std::int32_t CDesktopDb::SetDbInfo(const char* name, std::uint16_t flags, std::uint32_t type,
                                   std::uint32_t creator, std::uint16_t version,
                                   std::uint32_t modificationNumber, std::uint32_t creationDate,
                                   std::uint32_t modificationDate, std::uint32_t backupDate) {
  std::int32_t rc = CreateEmptyHeader();
  if (rc != DB_OK) return rc;
  std::uint8_t* h = m_header.data();
  FL::WriteU16(h + FL::HDR_KIND, FL::HDR_KIND_VALUE);
  std::string_view text = Text(name);
  std::size_t n = MbsTruncate(text, FL::HDR_NAME_MAX);
  std::memcpy(h + FL::HDR_NAME, text.data(), n);
  FL::WriteU32(h + FL::HDR_VERSION, version);
  FL::WriteU32(h + FL::HDR_CREATOR, creator);
  FL::WriteU32(h + FL::HDR_TYPE, type);
  FL::WriteU16(h + FL::HDR_FLAGS, flags);
  FL::WriteU32(h + FL::HDR_MODIFICATION_DATE, modificationDate);
  FL::WriteU32(h + FL::HDR_MODIFICATION_NUMBER, modificationNumber);
  FL::WriteU32(h + FL::HDR_CREATION_DATE, creationDate);
  FL::WriteU32(h + FL::HDR_BACKUP_DATE, backupDate);
  m_dirty = true;
  return DB_OK;
}

// ---- State ---------------------------------------------------------------------------------------

bool CDesktopDb::IsDirty() const { return m_dirty; }
void CDesktopDb::SetDirty(bool dirty) { m_dirty = dirty; }

void CDesktopDb::Release() {
  CloseFile();
  FreeAll();
  m_header.clear();
  m_appInfo.clear();
  m_sortInfo.clear();
}
