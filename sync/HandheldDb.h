#pragma once
// CHandheldDb: the synchronizer's view of the handheld database, over the sync
// library.  It opens or re-creates the database for the sync type, loads its
// records into the record table of CDbManager, writes, deletes and moves
// records on the handheld, reads and writes the application-info block with the
// category table, and clears the database's sync flags at the end.
//
// Records written through this manager go to the handheld only; the record
// table changes through Load, ModifyRecordAt and the on-demand reads of a fast
// HotSync (below).  Library statuses are returned unchanged, except "no such
// database" on open (DB_ERR_HANDHELD_DB_MISSING) and "no further record" at the
// end of a load.
//
// Fast HotSync: Load puts only the modified records into the table, each in the
// slot of its handheld index.  The all-records walk (FirstRecord, NextRecord)
// then reads every record missing from the table by index from the handheld,
// keeps a copy in the table and goes on after that record's index.

#include <cstdint>
#include <memory>

#include "dbfiles/DbManager.h"
#include "platform/sync20/SyncBlocks.h"

class CHandheldDb : public CDbManager {
 public:
  // Size of the record buffer and of the application-info buffer.
  static constexpr std::uint16_t BUFFER_SIZE = 65520;
  // Size of the category block at the start of the application-info data.
  static constexpr std::uint32_t CATEGORY_BLOCK_SIZE = 276;
  // Longest database name (bytes before the NUL).
  static constexpr std::uint32_t DB_NAME_MAX = 31;
  // Feature flag (the synchronizer passes 3): the database has an
  // application-info block.  Flags 0x1 and 0x2 together: it begins with the
  // category block (HasCategoryBlock).
  static constexpr std::int32_t FEATURE_APP_INFO = 0x2;
  // Database attribute bit 0: a resource database.
  static constexpr std::uint16_t DB_ATTR_RESOURCE = 0x0001;

  // OpenFile modes.
  static constexpr std::int32_t OPEN_READ = 0;
  static constexpr std::int32_t OPEN_WRITE = 1;
  static constexpr std::int32_t OPEN_READ_WRITE = 2;
  static constexpr std::int32_t OPEN_RECREATE = 3;  // delete, then create

  // Closed, no name, sync type 6.
  CHandheldDb();
  // `name` is read up to its NUL, at most 32 bytes; a name without a NUL in
  // its first 32 bytes is not taken (the database then has no name and does
  // not open).  `log` may be null.
  CHandheldDb(ISyncLog* log, std::int32_t featureFlags, const char* name, std::uint32_t creator,
              std::uint32_t type, std::uint16_t databaseFlags, std::uint16_t version,
              std::uint32_t cardNumber, std::int32_t syncType);
  // Closes the database without clearing its sync flags if it is still open.
  ~CHandheldDb() override;

  // ---- CDbManager operations in slot order -----------------------------------------
  // 0 read, 1 write, 2 read and write; 3 delete (result ignored) and create.  A
  // database that is open already is closed first (sync flags kept).  No such
  // database: DB_ERR_HANDHELD_DB_MISSING.  A failed create is logged.
  std::int32_t OpenFile(std::int32_t mode) override;
  // Sync types 0, 1, 2, 5: OpenFile(2); 3, 4, 7: OpenFile(3); 6: nothing;
  // others DB_ERR_BAD_SYNC_TYPE.
  std::int32_t Open() override;
  // `keepFlags` 0: clear the sync flags first.  Not open: DB_ERR_DB_NOT_OPEN.
  // Failures are logged; the clear-flags failure wins over the close status.
  std::int32_t Close(std::int32_t keepFlags) override;
  // The handheld's record count.
  std::int32_t GetRecordCount(std::int32_t& count) override;
  // Reads the record from the handheld.  On failure `out` is cleared and given
  // the id, and with `logErrors` the failure is logged.
  std::int32_t GetRecordById(std::int32_t id, CSyncRecord& out, bool logErrors) override;
  // With the on-demand reads of a fast HotSync (above).
  std::int32_t FirstRecord(CSyncRecord& out) override;
  std::int32_t NextRecord(CSyncRecord& out) override;
  // Not provided: DB_ERR_NOT_SUPPORTED.
  std::int32_t FirstPending(CSyncRecord& out) override;
  // Category above 15: CAT_ERR_BAD_INDEX.  `move`: records go to category 0;
  // else they are removed.
  std::int32_t PurgeCategory(std::int32_t category, bool move) override;
  std::int32_t ChangeCategory(std::int32_t from, std::int32_t to) override;
  // Resets the record's status, then writes it as ModifyRecord does.
  std::int32_t InsertRecord(CSyncRecord& record) override;
  // Writes the record to the handheld (an id of 0 or -1 makes a new record);
  // the record takes the written record's id and index.  Data larger than the
  // record buffer: DB_ERR_BUFFER_TOO_SMALL.
  std::int32_t ModifyRecord(CSyncRecord& record) override;
  // Removes the record with the record's id from the handheld.
  std::int32_t DeleteRecord(CSyncRecord& record) override;
  // Index -1: DB_ERR_RECORD_NOT_FOUND.  Writes the record (ModifyRecord) and
  // copies it into table slot `index`.
  std::int32_t ModifyRecordAt(std::int32_t index, CSyncRecord& record) override;
  // Removes the records marked deleted from the handheld; a failure is logged.
  std::int32_t PurgeDeleted() override;
  // Sync type 0: the modified records; 1, 2, 5: every record; others nothing.
  std::int32_t Load() override;
  // Sync types 0-4 and 7: Close clearing the sync flags; 5: Close keeping
  // them; 6: nothing.
  std::int32_t Store() override;
  // With an application-info block: CategoriesFromAppInfo; else 0.
  std::int32_t LoadCategories() override;
  // Writes the application-info block when it or the category table changed.
  std::int32_t StoreCategories() override;
  std::int32_t GetSortInfo(DbBlockInfo& info) override;
  std::int32_t SetSortInfo(const DbBlockInfo& info) override;
  // Reads the handheld's application-info block into this manager and copies
  // it into `info` (name, length, data).  A failed read frees the manager's copy.
  std::int32_t GetAppInfo(DbBlockInfo& info) override;
  // Writes `info`'s data as the handheld's application-info block; the
  // manager's copy is freed afterwards.
  std::int32_t SetAppInfo(const DbBlockInfo& info) override;
  // Bytes were read, and the database has no category block or they reach
  // past it.
  bool HasAppInfoExtra() override;
  // Replaces the bytes after the category block; length 0 removes them.
  // Missing data: DB_ERR_NULL_BUFFER; more than the buffer holds:
  // DB_ERR_TOO_LONG.
  std::int32_t SetAppInfoExtra(std::uint32_t length, const std::uint8_t* bytes) override;
  std::int32_t GetAppInfoExtra(std::uint8_t* buffer, std::uint32_t* size) override;
  // The bytes after the category block (all the bytes without one); nullptr
  // and 0 when there are none.
  const std::uint8_t* AppInfoExtraPtr() override;
  std::uint32_t AppInfoExtraSize() override;
  // The handheld's record ids in index order.  *count is the capacity of `ids`
  // on entry and the number read on return; a capacity below the record count
  // gives DB_ERR_BUFFER_TOO_SMALL with the count.
  std::int32_t GetAllIds(std::int32_t* ids, std::int32_t* count) override;
  // No category block: DB_ERR_NO_CATEGORY_BLOCK; no bytes: DB_ERR_NO_APP_INFO.
  std::int32_t CategoriesFromAppInfo() override;
  // Writes the category table into the first 276 bytes of the block.
  std::int32_t CategoriesToAppInfo() override;

  // ---- Handheld operations ------------------------------------------------------------
  // The modified records, in their index slots.
  virtual std::int32_t LoadModified();
  // Every record, in its index slot.
  virtual std::int32_t LoadAll();

  // Properties: refused while open (DB_ERR_DB_IS_OPEN).  A name of 32 bytes or
  // more: DB_ERR_TOO_LONG; no name: DB_ERR_NULL_ARGUMENT.
  std::int32_t SetName(const char* name);
  std::int32_t SetCreator(std::uint32_t creator);
  std::int32_t SetType(std::uint32_t type);
  std::int32_t SetDatabaseFlags(std::uint16_t flags);
  std::int32_t SetVersion(std::uint16_t version);
  std::int32_t SetCardNumber(std::uint32_t cardNumber);

  const char* Name() const { return m_name; }
  std::uint32_t Creator() const { return m_creator; }
  std::uint32_t Type() const { return m_type; }
  std::uint16_t DatabaseFlags() const { return m_databaseFlags; }
  std::uint16_t Version() const { return m_version; }
  std::uint32_t CardNumber() const { return m_cardNumber; }
  std::uint8_t Handle() const { return m_handle; }
  bool IsOpen() const { return m_handle != 0; }
  // After a failed HotSync: the open database is left to the sync library,
  // which drops it unwritten when the conduit unregisters, instead of being
  // closed (and written back) when the manager is destroyed.
  void Abandon() { m_abandoned = true; }
  bool IsRecordDb() const { return (m_databaseFlags & DB_ATTR_RESOURCE) == 0; }
  // The database has an application-info block (feature flag).
  bool HasAppInfoBlock() const { return (DbFlags() & FEATURE_APP_INFO) != 0; }
  bool AppInfoChanged() const { return m_appInfoChanged; }
  // Bytes of the application-info block held (0 when none was read).
  std::uint16_t AppInfoLength() const { return m_appInfo ? m_appInfoBlock.dataLength : 0; }

 private:
  // The record buffer, allocated on first use and all zero before each call.
  std::int32_t PrepareRecordBlock();
  // Reads the record at `index` from the handheld into `out`.
  std::int32_t ReadByIndex(std::int32_t index, CSyncRecord& out);
  // Logs a read failure for a record named by its index.
  void LogReadFailedAt(std::int32_t error, std::int32_t index);
  // Reads the application-info block into the manager's buffer.
  std::int32_t ReadAppInfo();
  // The manager's application-info buffer: read when nothing is held yet; a
  // database without a block starts with an empty one.
  std::int32_t EnsureAppInfo();
  void FreeAppInfo();
  std::int32_t WriteInfoBlock(const DbBlockInfo& info, bool sortInfo);
  std::int32_t ReadInfoBlock(DbBlockInfo& info, bool sortInfo);
  std::uint32_t CategoryPart() const { return HasCategoryBlock() ? CATEGORY_BLOCK_SIZE : 0; }

  std::uint8_t m_handle = 0;
  bool m_abandoned = false;
  SyncRawRecord m_block;
  std::unique_ptr<std::uint8_t[]> m_recordBuffer;
  // Bytes of the record buffer that may be non-zero.
  std::uint32_t m_recordBufferUsed = 0;
  char m_name[32] = {};
  std::uint32_t m_creator = 0;
  std::uint32_t m_type = 0;
  std::uint16_t m_databaseFlags = 0;
  std::uint16_t m_version = 0;
  std::uint32_t m_cardNumber = 0;
  SyncInfoBlock m_appInfoBlock;
  std::unique_ptr<std::uint8_t[]> m_appInfo;
  SyncInfoBlock m_sortInfoBlock;
  std::unique_ptr<std::uint8_t[]> m_sortInfo;
  bool m_appInfoChanged = false;
  // The table holds only the modified records (fast HotSync): the all-records
  // walk reads the others on demand.
  bool m_partialTable = false;
  // The handheld's record count when the current all-records walk started.
  std::int32_t m_walkCount = 0;
};
