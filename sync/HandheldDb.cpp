#include "sync/HandheldDb.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "dbfiles/ISyncLog.h"
#include "dbfiles/ResultCodes.h"
#include "dbfiles/SyncType.h"
#include "platform/sync20/SyncLibrary.h"
#include "platform/sync20/SyncStatus.h"

namespace {

constexpr std::size_t NAME_FIELD = 32;
constexpr std::int32_t CATEGORY_MAX = 15;
constexpr std::size_t DESCRIPTION_SIZE = 256;

std::unique_ptr<std::uint8_t[]> NewBuffer() {
  return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[CHandheldDb::BUFFER_SIZE]());
}

bool IsCategory(std::int32_t category) { return category >= 0 && category <= CATEGORY_MAX; }

std::int32_t FromBigEndian(const std::uint8_t* p) {
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
                                   (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]));
}

}  // namespace

CHandheldDb::CHandheldDb() : CDbManager(nullptr, DB_FLAGS_CONDUIT, SyncType::DO_NOTHING) {}

CHandheldDb::CHandheldDb(ISyncLog* log, std::int32_t featureFlags, const char* name, std::uint32_t creator,
                         std::uint32_t type, std::uint16_t databaseFlags, std::uint16_t version,
                         std::uint32_t cardNumber, std::int32_t syncType)
    : CDbManager(log, featureFlags, syncType),
      m_creator(creator),
      m_type(type),
      m_databaseFlags(databaseFlags),
      m_version(version),
      m_cardNumber(cardNumber) {
  (void)SetName(name);
}

CHandheldDb::~CHandheldDb() {
  if (IsOpen() && !m_abandoned) (void)Close(1);
}

// ---- Properties ---------------------------------------------------------------------

std::int32_t CHandheldDb::SetName(const char* name) {
  if (IsOpen()) return DB_ERR_DB_IS_OPEN;
  if (name == nullptr) return DB_ERR_NULL_ARGUMENT;
  const void* end = std::memchr(name, 0, NAME_FIELD);
  const std::size_t length = end == nullptr ? NAME_FIELD : static_cast<std::size_t>(static_cast<const char*>(end) - name);
  if (length > DB_NAME_MAX) return DB_ERR_TOO_LONG;
  std::memset(m_name, 0, sizeof m_name);
  std::memcpy(m_name, name, length);
  return DB_OK;
}

std::int32_t CHandheldDb::SetCreator(std::uint32_t creator) {
  if (IsOpen()) return DB_ERR_DB_IS_OPEN;
  m_creator = creator;
  return DB_OK;
}

std::int32_t CHandheldDb::SetType(std::uint32_t type) {
  if (IsOpen()) return DB_ERR_DB_IS_OPEN;
  m_type = type;
  return DB_OK;
}

std::int32_t CHandheldDb::SetDatabaseFlags(std::uint16_t flags) {
  if (IsOpen()) return DB_ERR_DB_IS_OPEN;
  m_databaseFlags = flags;
  return DB_OK;
}

std::int32_t CHandheldDb::SetVersion(std::uint16_t version) {
  if (IsOpen()) return DB_ERR_DB_IS_OPEN;
  m_version = version;
  return DB_OK;
}

std::int32_t CHandheldDb::SetCardNumber(std::uint32_t cardNumber) {
  if (IsOpen()) return DB_ERR_DB_IS_OPEN;
  m_cardNumber = cardNumber;
  return DB_OK;
}

// ---- Helpers ----------------------------------------------------------------------------

std::int32_t CHandheldDb::PrepareRecordBlock() {
  if (!m_recordBuffer) {
    m_recordBuffer = NewBuffer();
    if (!m_recordBuffer) return DB_ERR_NO_MEMORY;
    m_recordBufferUsed = 0;
  }
  // Only the bytes that earlier calls may have filled need clearing for the
  // whole buffer to be zero.
  if (m_recordBufferUsed > 0) std::memset(m_recordBuffer.get(), 0, m_recordBufferUsed);
  m_recordBufferUsed = 0;
  m_block = SyncRawRecord();
  m_block.handle = m_handle;
  m_block.bufferSize = BUFFER_SIZE;
  m_block.buffer = m_recordBuffer.get();
  return DB_OK;
}

std::int32_t CHandheldDb::ReadByIndex(std::int32_t index, CSyncRecord& out) {
  std::int32_t rc = PrepareRecordBlock();
  if (rc != DB_OK) return rc;
  m_block.index = static_cast<std::uint16_t>(index);
  rc = SyncReadRecordByIndex(&m_block);
  m_recordBufferUsed = std::min<std::uint32_t>(m_block.recordSize, BUFFER_SIZE);
  if (rc != DB_OK) return rc;
  return out.FromRaw(m_block);
}

void CHandheldDb::LogReadFailedAt(std::int32_t error, std::int32_t index) {
  if (Log() == nullptr) return;
  CSyncRecord record;
  record.SetIndex(index);
  Log()->LogReadFailed(error, record, ISyncLog::SIDE_HANDHELD);
}

// ---- Opening and closing --------------------------------------------------------------------

std::int32_t CHandheldDb::OpenFile(std::int32_t mode) {
  if (IsOpen()) (void)Close(1);
  FreeAppInfo();
  m_sortInfo.reset();
  m_appInfoChanged = false;
  std::uint8_t libraryMode = 0;
  switch (mode) {
    case OPEN_READ: libraryMode = SYNC_MODE_READ; break;
    case OPEN_WRITE: libraryMode = SYNC_MODE_WRITE; break;
    case OPEN_READ_WRITE: libraryMode = SYNC_MODE_READ_WRITE; break;
    case OPEN_RECREATE: {
      // The database may well be missing; only the create counts.
      (void)SyncDeleteDB(m_name, static_cast<std::int32_t>(m_cardNumber));
      SyncCreateDbBlock create;
      create.creator = m_creator;
      create.flags = m_databaseFlags;
      create.cardNumber = static_cast<std::uint8_t>(m_cardNumber);
      std::memcpy(create.name, m_name, sizeof create.name);
      create.type = m_type;
      create.version = m_version;
      const std::int32_t rc = SyncCreateDB(&create);
      if (rc != DB_OK) {
        if (Log() != nullptr) {
          char description[DESCRIPTION_SIZE] = {};
          Log()->DescribeDatabase(description, sizeof description, m_name, m_creator, m_type, m_databaseFlags, m_version);
          Log()->LogCreateFailed(rc, description, ISyncLog::SIDE_HANDHELD);
        }
        return rc;
      }
      m_handle = create.handle;
      return DB_OK;
    }
    default: return DB_ERR_NOT_SUPPORTED;
  }
  std::uint8_t handle = 0;
  const std::int32_t rc = SyncOpenDB(m_name, static_cast<std::int32_t>(m_cardNumber), &handle, libraryMode);
  if (rc == SyncStatus::SYNC_ERR_NOT_FOUND) return DB_ERR_HANDHELD_DB_MISSING;
  if (rc != DB_OK) return rc;
  m_handle = handle;
  return DB_OK;
}

std::int32_t CHandheldDb::Open() {
  switch (SyncType()) {
    case SyncType::FAST:
    case SyncType::SLOW:
    case SyncType::HANDHELD_OVERWRITES:
    case SyncType::HANDHELD_OVERWRITES_KEEP: return OpenFile(OPEN_READ_WRITE);
    case SyncType::DESKTOP_OVERWRITES:
    case SyncType::DESKTOP_OVERWRITES_4:
    case SyncType::DESKTOP_OVERWRITES_7: return OpenFile(OPEN_RECREATE);
    case SyncType::DO_NOTHING: return DB_OK;
    default: return DB_ERR_BAD_SYNC_TYPE;
  }
}

std::int32_t CHandheldDb::Close(std::int32_t keepFlags) {
  if (!IsOpen()) return DB_ERR_DB_NOT_OPEN;
  std::int32_t cleared = DB_OK;
  if (keepFlags == 0) {
    cleared = SyncResetSyncFlags(m_handle);
    if (cleared != DB_OK && Log() != nullptr) Log()->LogClearFlagsFailed(cleared, ISyncLog::SIDE_HANDHELD);
  }
  const std::int32_t closed = SyncCloseDB(m_handle);
  if (closed != DB_OK && Log() != nullptr) Log()->LogCloseFailed(closed, ISyncLog::SIDE_HANDHELD);
  m_handle = 0;
  return cleared != DB_OK ? cleared : closed;
}

std::int32_t CHandheldDb::Store() {
  switch (SyncType()) {
    case SyncType::FAST:
    case SyncType::SLOW:
    case SyncType::HANDHELD_OVERWRITES:
    case SyncType::DESKTOP_OVERWRITES:
    case SyncType::DESKTOP_OVERWRITES_4:
    case SyncType::DESKTOP_OVERWRITES_7: return Close(0);
    case SyncType::HANDHELD_OVERWRITES_KEEP: return Close(1);
    case SyncType::DO_NOTHING: return DB_OK;
    default: return DB_ERR_BAD_SYNC_TYPE;
  }
}

// ---- Records ----------------------------------------------------------------------------------

std::int32_t CHandheldDb::GetRecordCount(std::int32_t& count) {
  if (!IsOpen()) return DB_ERR_DB_NOT_OPEN;
  std::uint16_t n = 0;
  const std::int32_t rc = SyncGetDBRecordCount(m_handle, &n);
  if (rc != DB_OK) return rc;
  count = n;
  return DB_OK;
}

std::int32_t CHandheldDb::GetRecordById(std::int32_t id, CSyncRecord& out, bool logErrors) {
  std::int32_t rc = IsOpen() ? PrepareRecordBlock() : DB_ERR_DB_NOT_OPEN;
  if (rc == DB_OK) {
    m_block.id = static_cast<std::uint32_t>(id);
    rc = SyncReadRecordById(&m_block);
    m_recordBufferUsed = std::min<std::uint32_t>(m_block.recordSize, BUFFER_SIZE);
    if (rc == DB_OK) rc = out.FromRaw(m_block);
  }
  if (rc != DB_OK) {
    out.Clear();
    out.SetId(id);
    if (logErrors && Log() != nullptr) Log()->LogReadFailed(rc, out, ISyncLog::SIDE_HANDHELD);
  }
  return rc;
}

std::int32_t CHandheldDb::FirstRecord(CSyncRecord& out) {
  if (m_partialTable) {
    std::int32_t count = 0;
    const std::int32_t rc = GetRecordCount(count);
    if (rc != DB_OK) return rc;
    m_walkCount = count;
  }
  SetWalk(WALK_ALL, 0);
  return NextRecord(out);
}

std::int32_t CHandheldDb::NextRecord(CSyncRecord& out) {
  if (!m_partialTable || WalkMode() != WALK_ALL) return CDbManager::NextRecord(out);
  const std::int32_t end = std::max(m_walkCount, HighWater());
  for (std::int32_t slot = std::max(WalkPosition(), 0); slot < end; ++slot) {
    if (const CSyncRecord* stored = static_cast<const CDbManager*>(this)->RecordAt(slot)) {
      SetWalk(WALK_ALL, slot + 1);
      return CopyOut(*stored, out);
    }
    if (slot >= m_walkCount) continue;
    // A record the fast load did not take: read it now and keep it.
    CSyncRecord record;
    std::int32_t rc = ReadByIndex(slot, record);
    if (rc == SyncStatus::SYNC_ERR_NOT_FOUND) break;  // the handheld holds fewer records than when the walk began
    if (rc != DB_OK) {
      SetWalk(WALK_ALL, slot + 1);
      LogReadFailedAt(rc, slot);
      return rc;
    }
    rc = StoreAt(slot, record);
    if (rc != DB_OK) return rc;
    SetWalk(WALK_ALL, slot + 1);
    return CopyOut(*static_cast<const CDbManager*>(this)->RecordAt(slot), out);
  }
  SetWalk(WALK_ALL, end);
  return DB_ERR_NOT_FOUND;
}

std::int32_t CHandheldDb::FirstPending(CSyncRecord&) { return DB_ERR_NOT_SUPPORTED; }

std::int32_t CHandheldDb::PurgeCategory(std::int32_t category, bool move) {
  if (!IsCategory(category)) return CAT_ERR_BAD_INDEX;
  if (!IsOpen()) return DB_ERR_DB_NOT_OPEN;
  if (move) return SyncChangeCategory(m_handle, static_cast<std::uint8_t>(category), 0);
  return SyncPurgeAllRecsInCategory(m_handle, static_cast<std::int16_t>(category));
}

std::int32_t CHandheldDb::ChangeCategory(std::int32_t from, std::int32_t to) {
  if (!IsCategory(from) || !IsCategory(to)) return CAT_ERR_BAD_INDEX;
  if (!IsOpen()) return DB_ERR_DB_NOT_OPEN;
  return SyncChangeCategory(m_handle, static_cast<std::uint8_t>(from), static_cast<std::uint8_t>(to));
}

std::int32_t CHandheldDb::InsertRecord(CSyncRecord& record) {
  record.ResetStatus();
  return ModifyRecord(record);
}

std::int32_t CHandheldDb::ModifyRecord(CSyncRecord& record) {
  if (!IsOpen()) return DB_ERR_DB_NOT_OPEN;
  std::int32_t rc = PrepareRecordBlock();
  if (rc != DB_OK) return rc;
  rc = record.ToRaw(m_block);
  if (rc != DB_OK) return rc;
  m_recordBufferUsed = m_block.recordSize;
  m_block.handle = m_handle;
  // A record that never had an id is new to the handheld.
  if (record.GetId() == -1) m_block.id = 0;
  rc = IsRecordDb() ? SyncWriteRec(&m_block) : SyncWriteResourceRec(&m_block);
  if (rc != DB_OK) return rc;
  record.SetIndex(m_block.index);
  record.SetId(static_cast<std::int32_t>(m_block.id));
  return DB_OK;
}

std::int32_t CHandheldDb::DeleteRecord(CSyncRecord& record) {
  if (!IsOpen()) return DB_ERR_DB_NOT_OPEN;
  std::int32_t rc = PrepareRecordBlock();
  if (rc != DB_OK) return rc;
  record.ToRawHeader(m_block);
  m_block.handle = m_handle;
  return IsRecordDb() ? SyncDeleteRec(&m_block) : SyncDeleteResourceRec(&m_block);
}

std::int32_t CHandheldDb::ModifyRecordAt(std::int32_t index, CSyncRecord& record) {
  if (index < 0) return DB_ERR_RECORD_NOT_FOUND;
  record.SetIndex(index);
  const std::int32_t rc = ModifyRecord(record);
  if (rc != DB_OK) return rc;
  return StoreAt(index, record);
}

std::int32_t CHandheldDb::PurgeDeleted() {
  if (!IsOpen()) return DB_ERR_DB_NOT_OPEN;
  const std::int32_t rc = SyncPurgeDeletedRecs(m_handle);
  if (rc != DB_OK && Log() != nullptr) Log()->LogPurgeFailed(rc, ISyncLog::SIDE_HANDHELD);
  return rc;
}

// ---- Loading ----------------------------------------------------------------------------------

std::int32_t CHandheldDb::Load() {
  switch (SyncType()) {
    case SyncType::FAST: return LoadModified();
    case SyncType::SLOW:
    case SyncType::HANDHELD_OVERWRITES:
    case SyncType::HANDHELD_OVERWRITES_KEEP: return LoadAll();
    default: return DB_OK;
  }
}

std::int32_t CHandheldDb::LoadModified() {
  FreeAll();
  m_partialTable = true;
  std::int32_t count = 0;
  std::int32_t rc = GetRecordCount(count);
  if (rc != DB_OK) return rc;
  rc = Grow(2 * count);
  if (rc != DB_OK) return rc;
  std::int32_t last = 0;
  for (;;) {
    rc = PrepareRecordBlock();
    if (rc != DB_OK) return rc;
    m_block.index = static_cast<std::uint16_t>(last);
    rc = SyncReadNextModifiedRec(&m_block);
    m_recordBufferUsed = std::min<std::uint32_t>(m_block.recordSize, BUFFER_SIZE);
    if (rc == SyncStatus::SYNC_ERR_NOT_FOUND) return DB_OK;
    if (rc != DB_OK) {
      LogReadFailedAt(rc, last);
      return rc;
    }
    CSyncRecord record;
    rc = record.FromRaw(m_block);
    if (rc != DB_OK) {
      LogReadFailedAt(rc, m_block.index);
      return rc;
    }
    last = m_block.index;
    rc = StoreAt(last, record);
    if (rc != DB_OK) return rc;
  }
}

std::int32_t CHandheldDb::LoadAll() {
  FreeAll();
  m_partialTable = false;
  std::int32_t count = 0;
  std::int32_t rc = GetRecordCount(count);
  if (rc != DB_OK) return rc;
  rc = Grow(2 * count);
  if (rc != DB_OK) return rc;
  for (std::int32_t index = 0; index < count; ++index) {
    CSyncRecord record;
    rc = ReadByIndex(index, record);
    if (rc == SyncStatus::SYNC_ERR_NOT_FOUND) return DB_OK;
    if (rc != DB_OK) {
      LogReadFailedAt(rc, index);
      return rc;
    }
    rc = StoreAt(index, record);
    if (rc != DB_OK) return rc;
  }
  return DB_OK;
}

// ---- Application and sort information ------------------------------------------------------

void CHandheldDb::FreeAppInfo() {
  m_appInfo.reset();
  m_appInfoBlock = SyncInfoBlock();
}

std::int32_t CHandheldDb::ReadAppInfo() {
  if (!IsOpen()) return DB_ERR_DB_NOT_OPEN;
  if (!m_appInfo) {
    m_appInfo = NewBuffer();
    if (!m_appInfo) return DB_ERR_NO_MEMORY;
  }
  m_appInfoBlock = SyncInfoBlock();
  m_appInfoBlock.bufferSize = BUFFER_SIZE;
  m_appInfoBlock.buffer = m_appInfo.get();
  const std::int32_t rc = SyncReadDBAppInfoBlock(m_handle, &m_appInfoBlock);
  if (rc != DB_OK) FreeAppInfo();
  return rc;
}

std::int32_t CHandheldDb::EnsureAppInfo() {
  if (m_appInfo) return DB_OK;
  const std::int32_t rc = ReadAppInfo();
  if (rc != SyncStatus::SYNC_ERR_NOT_FOUND) return rc;
  // The database has no block yet: start an empty one.
  m_appInfo = NewBuffer();
  if (!m_appInfo) return DB_ERR_NO_MEMORY;
  m_appInfoBlock = SyncInfoBlock();
  std::memcpy(m_appInfoBlock.name, m_name, sizeof m_appInfoBlock.name);
  m_appInfoBlock.bufferSize = BUFFER_SIZE;
  m_appInfoBlock.buffer = m_appInfo.get();
  return DB_OK;
}

std::int32_t CHandheldDb::ReadInfoBlock(DbBlockInfo& info, bool sortInfo) {
  std::int32_t rc = DB_OK;
  if (sortInfo) {
    if (!IsOpen()) return DB_ERR_DB_NOT_OPEN;
    if (!m_sortInfo) m_sortInfo = NewBuffer();
    if (!m_sortInfo) return DB_ERR_NO_MEMORY;
    m_sortInfoBlock = SyncInfoBlock();
    m_sortInfoBlock.bufferSize = BUFFER_SIZE;
    m_sortInfoBlock.buffer = m_sortInfo.get();
    rc = SyncReadDBSortInfoBlock(m_handle, &m_sortInfoBlock);
    if (rc != DB_OK) m_sortInfo.reset();
  } else {
    rc = ReadAppInfo();
  }
  if (rc != DB_OK) return rc;
  const SyncInfoBlock& block = sortInfo ? m_sortInfoBlock : m_appInfoBlock;
  std::memcpy(info.name, block.name, sizeof info.name);
  info.name[sizeof info.name - 1] = '\0';
  info.dataLength = block.dataLength;
  if (info.bufferSize < block.dataLength) return DB_ERR_BUFFER_TOO_SMALL;
  if (info.data == nullptr) return DB_ERR_NULL_BUFFER;
  info.reserved = block.reserved;
  if (block.dataLength > 0) std::memcpy(info.data, block.buffer, block.dataLength);
  return DB_OK;
}

std::int32_t CHandheldDb::WriteInfoBlock(const DbBlockInfo& info, bool sortInfo) {
  if (!IsOpen()) return DB_ERR_DB_NOT_OPEN;
  if (info.dataLength > 0 && info.data == nullptr) return DB_ERR_NULL_BUFFER;
  if (info.dataLength > BUFFER_SIZE) return DB_ERR_TOO_LONG;
  std::unique_ptr<std::uint8_t[]>& buffer = sortInfo ? m_sortInfo : m_appInfo;
  SyncInfoBlock& block = sortInfo ? m_sortInfoBlock : m_appInfoBlock;
  if (!buffer) {
    buffer = NewBuffer();
    if (!buffer) return DB_ERR_NO_MEMORY;
  }
  if (info.dataLength > 0 && info.data != buffer.get()) std::memmove(buffer.get(), info.data, info.dataLength);
  block = SyncInfoBlock();
  std::memcpy(block.name, m_name, sizeof block.name);
  block.bufferSize = BUFFER_SIZE;
  block.dataLength = info.dataLength;
  block.buffer = buffer.get();
  block.reserved = info.reserved;
  const std::int32_t rc =
      sortInfo ? SyncWriteDBSortInfoBlock(m_handle, &block) : SyncWriteDBAppInfoBlock(m_handle, &block);
  // What was written is read again when it is needed next.
  buffer.reset();
  block = SyncInfoBlock();
  if (!sortInfo && rc == DB_OK) m_appInfoChanged = false;
  return rc;
}

std::int32_t CHandheldDb::GetSortInfo(DbBlockInfo& info) { return ReadInfoBlock(info, true); }
std::int32_t CHandheldDb::SetSortInfo(const DbBlockInfo& info) { return WriteInfoBlock(info, true); }
std::int32_t CHandheldDb::GetAppInfo(DbBlockInfo& info) { return ReadInfoBlock(info, false); }
std::int32_t CHandheldDb::SetAppInfo(const DbBlockInfo& info) { return WriteInfoBlock(info, false); }

bool CHandheldDb::HasAppInfoExtra() {
  const std::uint16_t length = AppInfoLength();
  if (length == 0) return false;
  return !HasCategoryBlock() || length >= CATEGORY_BLOCK_SIZE + 1;
}

std::int32_t CHandheldDb::SetAppInfoExtra(std::uint32_t length, const std::uint8_t* bytes) {
  const std::uint32_t part = CategoryPart();
  if (length > 0 && bytes == nullptr) return DB_ERR_NULL_BUFFER;
  if (length > BUFFER_SIZE - part) return DB_ERR_TOO_LONG;
  // The category part must be the handheld's own when the block is written back.
  const std::int32_t rc = EnsureAppInfo();
  if (rc != DB_OK) return rc;
  std::memset(m_appInfo.get() + part, 0, BUFFER_SIZE - part);
  if (length > 0) std::memcpy(m_appInfo.get() + part, bytes, length);
  m_appInfoBlock.dataLength = static_cast<std::uint16_t>(part + length);
  m_appInfoChanged = true;
  return DB_OK;
}

std::uint32_t CHandheldDb::AppInfoExtraSize() {
  const std::uint32_t length = AppInfoLength();
  const std::uint32_t part = CategoryPart();
  return length > part ? length - part : 0;
}

const std::uint8_t* CHandheldDb::AppInfoExtraPtr() {
  if (AppInfoExtraSize() == 0) return nullptr;
  return m_appInfo.get() + CategoryPart();
}

std::int32_t CHandheldDb::GetAppInfoExtra(std::uint8_t* buffer, std::uint32_t* size) {
  if (size == nullptr) return DB_ERR_NULL_ARGUMENT;
  const std::uint32_t n = AppInfoExtraSize();
  if (*size < n) {
    *size = n;
    return DB_ERR_BUFFER_TOO_SMALL;
  }
  if (buffer == nullptr) return DB_ERR_NULL_BUFFER;
  if (n > 0) std::memcpy(buffer, AppInfoExtraPtr(), n);
  *size = n;
  return DB_OK;
}

std::int32_t CHandheldDb::GetAllIds(std::int32_t* ids, std::int32_t* count) {
  if (count == nullptr) return DB_ERR_NULL_ARGUMENT;
  std::int32_t total = 0;
  std::int32_t rc = GetRecordCount(total);
  if (rc != DB_OK) return rc;
  if (*count < total) {
    *count = total;
    return DB_ERR_BUFFER_TOO_SMALL;
  }
  if (ids == nullptr) return DB_ERR_NULL_BUFFER;
  SyncPositionBlock position;
  position.handle = m_handle;
  position.firstPosition = 0;
  position.maxEntries = static_cast<std::uint16_t>(total);
  position.entries = static_cast<std::uint16_t>(std::min<std::int32_t>(*count, 0xFFFF));
  position.buffer = reinterpret_cast<std::uint8_t*>(ids);
  rc = SyncReadPositionXMap(&position);
  if (rc != DB_OK) return rc;
  // The ids arrive most significant byte first.
  for (std::int32_t i = 0; i < position.entries; ++i) {
    ids[i] = FromBigEndian(position.buffer + 4 * static_cast<std::size_t>(i));
  }
  *count = position.entries;
  return DB_OK;
}

// ---- Categories ---------------------------------------------------------------------------

std::int32_t CHandheldDb::LoadCategories() {
  if (!HasAppInfoBlock()) return DB_OK;
  return CategoriesFromAppInfo();
}

std::int32_t CHandheldDb::StoreCategories() {
  if (!HasAppInfoBlock()) return DB_OK;
  const CCategoryList* categories = CategoryTable();
  const bool categoriesChanged = UsesCategories() && categories != nullptr && categories->IsChanged();
  if (!m_appInfoChanged && !categoriesChanged) return DB_OK;
  std::int32_t rc = HasCategoryBlock() ? CategoriesToAppInfo() : EnsureAppInfo();
  if (rc != DB_OK) return rc;
  DbBlockInfo info;
  std::memcpy(info.name, m_name, sizeof info.name);
  info.bufferSize = BUFFER_SIZE;
  info.dataLength = m_appInfoBlock.dataLength;
  info.data = m_appInfo.get();
  info.reserved = m_appInfoBlock.reserved;
  return SetAppInfo(info);
}

std::int32_t CHandheldDb::CategoriesFromAppInfo() {
  if (!HasCategoryBlock()) return DB_ERR_NO_CATEGORY_BLOCK;
  CategoryTableOwner().reset();
  if (!m_appInfo) {
    const std::int32_t rc = ReadAppInfo();
    if (rc == SyncStatus::SYNC_ERR_NOT_FOUND) return DB_ERR_NO_APP_INFO;
    if (rc != DB_OK) return rc;
  }
  if (m_appInfoBlock.dataLength == 0) return DB_ERR_NO_APP_INFO;
  std::unique_ptr<CCategoryList> table(new (std::nothrow) CCategoryList());
  if (!table) return DB_ERR_NO_MEMORY;
  // A damaged category block leaves the categories read before the damage.
  (void)table->ReadCategoryBlock(m_appInfo.get(), m_appInfoBlock.dataLength);
  CategoryTableOwner() = std::move(table);
  return DB_OK;
}

std::int32_t CHandheldDb::CategoriesToAppInfo() {
  if (!HasCategoryBlock()) return DB_ERR_NO_CATEGORY_BLOCK;
  std::int32_t rc = EnsureAppInfo();
  if (rc != DB_OK) return rc;
  const CCategoryList* categories = CategoryTable();
  if (categories == nullptr) return DB_OK;
  std::int32_t written = BUFFER_SIZE;
  rc = categories->WriteCategoryBlock(m_appInfo.get(), &written);
  if (rc != DB_OK) return rc;
  // A block shorter than the category block grows to hold all of it.
  if (m_appInfoBlock.dataLength < written) m_appInfoBlock.dataLength = static_cast<std::uint16_t>(written);
  return DB_OK;
}
