#pragma once
// CSyncEngine: one HotSync of the memo databases.  OpenConduit builds it from
// the HotSync Manager's sync properties, calls Synchronize once and destroys
// it.  For every handheld database named in the properties it opens the
// handheld database, the desktop record file and the backup file, runs the
// flow of the sync type (fast, slow, handheld overwrites desktop, desktop
// overwrites handheld), merges the category tables, reconciles the records of
// both sides through the decision tables (SyncTables.h), archives records into
// per-category ".ARC" files and writes both sides back.  Problems go to the
// HotSync log.
//
// The virtual operations are in their fixed slot order.  They are public so
// that a host or a test can drive single steps of a HotSync (after
// PrepareDatabaseEntry and OpenAll) exactly as Synchronize drives them.
//
// Guarantees beyond the plain flow:
//  - when a flow fails before its store, nothing is stored for that database:
//    the desktop file stays byte for byte as it was, the handheld database is
//    dropped unwritten, and the archives of that turn are dropped (so a record
//    is never archived twice by a HotSync that is repeated);
//  - the new desktop file is written and flushed before the handheld stores,
//    and put in place after it, so a full disk fails the HotSync before
//    either side changed;
//  - the archives of a turn are written before the handheld stores (which
//    purges its deleted and archived records), and are never taken back once
//    the handheld may have purged: a record may be archived twice, never
//    nowhere;
//  - desktop overwrites handheld opens and reads the desktop file before the
//    handheld database is deleted and created again, so a missing or damaged
//    desktop file never empties the handheld.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "dbfiles/ArchiveDb.h"
#include "dbfiles/BackupDb.h"
#include "dbfiles/CategoryList.h"
#include "dbfiles/DesktopDb.h"
#include "dbfiles/ISyncLog.h"
#include "dbfiles/SyncRecord.h"
#include "platform/sync20/SyncBlocks.h"
#include "sync/SyncProperties.h"

class CHandheldDb;

class CSyncEngine {
 public:
  // Feature flags: bit 0 the database uses categories, bit 1 it has an
  // application-info block.  The conduit always passes FEATURES_CONDUIT.
  static constexpr std::int32_t FEATURE_CATEGORIES = 0x1;
  static constexpr std::int32_t FEATURE_APP_INFO = 0x2;
  static constexpr std::int32_t FEATURE_SORT_INFO = 0x4;  // never set
  static constexpr std::int32_t FEATURES_CONDUIT = FEATURE_CATEGORIES | FEATURE_APP_INFO;

  static constexpr std::int32_t ARCHIVE_SLOTS = 16;
  static constexpr std::int32_t CATEGORY_MAP_SIZE = 32;
  static constexpr std::size_t PRODUCT_ID_SIZE = 255;
  // Room for an application-info block copied from one side to the other.
  static constexpr std::uint16_t APP_INFO_BUFFER_SIZE = 65520;
  // Values of the first-sync indicator that mean something to the category merge.
  static constexpr std::int32_t FIRST_SYNC_MARK_HANDHELD = 1;
  static constexpr std::int32_t FIRST_SYNC_NO_DELETIONS = 2;

  // The ids of one side during the reconciliation of record counts, with an
  // index from id to the positions not yet taken (ids may repeat).
  struct IdPool {
    std::vector<std::int32_t> ids;
    std::vector<bool> taken;
    std::unordered_map<std::int32_t, std::vector<std::int32_t>> positions;  // in reverse order
    // Indexes `ids`; DB_ERR_NO_MEMORY.
    std::int32_t Build();
  };

  // Copies the sync properties and takes the HotSync's log (the conduit gives
  // its CSyncLog).  Without a log the HotSync runs unreported.
  CSyncEngine(const SyncProperties& properties, std::int32_t featureFlags, std::unique_ptr<ISyncLog> log);
  CSyncEngine(const CSyncEngine&) = delete;
  CSyncEngine& operator=(const CSyncEngine&) = delete;

  // ---- Operations in slot order --------------------------------------------------------
  // Destroys the managers and the archives (without storing them), unregisters
  // if still registered.
  virtual ~CSyncEngine();
  // The whole HotSync; returns its result code.
  virtual std::int32_t Synchronize();
  // Handheld overwrites desktop (sync types 2 and 5).
  virtual std::int32_t CopyHandheldToDesktop();
  // Desktop overwrites handheld (sync types 3, 4 and 7).
  virtual std::int32_t CopyDesktopToHandheld();
  virtual std::int32_t SlowSync();
  virtual std::int32_t FastSync();
  // Conflict resolutions of the record tables.
  virtual std::int32_t ResolveBothArchived(CSyncRecord& handheld, CSyncRecord& desktop);
  virtual std::int32_t ResolveHandheldModifiedDesktopArchived(CSyncRecord& handheld, CSyncRecord& desktop);
  virtual std::int32_t ResolveHandheldArchivedDesktopModified(CSyncRecord& handheld, CSyncRecord& desktop);
  // Afterwards each side holds both versions: the handheld version under the
  // old id, the desktop version under a new one.  Logs the duplicate notice.
  virtual std::int32_t DuplicateRecord(CSyncRecord& handheld, CSyncRecord& desktop);
  virtual std::int32_t DuplicateIfDifferent(CSyncRecord& handheld, CSyncRecord& desktop);
  // The category merge of a fast or slow HotSync.
  virtual std::int32_t SyncCategories();
  // Reads both application-info blocks, merges the categories and carries the
  // application-specific bytes across (fast and slow sync).
  virtual std::int32_t SyncAppInfo();
  // Unused slot: returns 0.
  virtual std::int32_t Reserved();
  // Handheld pass: one handheld record of a fast or slow HotSync.
  virtual std::int32_t SyncHandheldRecord(CSyncRecord& handheld);
  // Desktop pass: one desktop record of a fast or slow HotSync.
  virtual std::int32_t SyncDesktopRecord(CSyncRecord& desktop);
  // Adds the record to the archive of its category; its index and status are
  // kept.
  virtual std::int32_t ArchiveRecord(CSyncRecord& record);
  // Destroy the manager of one side (nothing stored).
  virtual std::int32_t DeleteDesktop();
  virtual std::int32_t DeleteHandheld();
  // Create and open the manager of one side for the current database entry.
  virtual std::int32_t CreateHandheld();
  virtual std::int32_t CreateDesktop();
  // First step of every flow: the category map is cleared and the three
  // managers are created and opened.  DB_ERR_SYNC_TYPE_CHANGED when a fast or
  // slow HotSync found one side missing and switched the sync type.
  virtual std::int32_t OpenAll();
  virtual std::int32_t DeleteBackup();
  virtual std::int32_t CreateBackup();
  // Creates the archive manager of a slot with the archive's file name.
  virtual std::int32_t CreateArchive(std::int32_t slot, const char* fileName);
  // Makes the database entry of the i-th database current.
  virtual std::int32_t PrepareDatabaseEntry(std::int32_t i);
  virtual std::int32_t Register();
  // Writes the log's end entry and unregisters.
  virtual std::int32_t Unregister(bool failed);
  // The six steps of the category merge.  `handheld` and `desktop` are the two
  // sides' category tables.
  virtual std::int32_t MarkCategoriesForFirstSync(CCategoryList& handheld, CCategoryList& desktop);
  // Drops the categories of `table` that were deleted on the other side; `side`
  // is the side `table` belongs to (ISyncLog::SIDE_*).
  virtual std::int32_t DropDeletedCategories(CCategoryList& table, CCategoryList& other, std::int32_t side);
  virtual std::int32_t AddDesktopCategories(CCategoryList& handheld, CCategoryList& desktop);
  virtual std::int32_t MergeHandheldCategories(CCategoryList& handheld, CCategoryList& desktop);
  virtual std::int32_t MapCategoryIndex(std::int32_t from, std::int32_t to);
  virtual std::int32_t MapCategory(const CPCategory& desktop, const CPCategory& handheld);
  // Performs the operations of an action word, lowest bit first, stopping at
  // the first that fails.  Either record may be an empty record (id -1, index
  // -1) when it has no counterpart.
  virtual std::int32_t ApplyActions(std::int32_t action, CSyncRecord& handheld, CSyncRecord& desktop);
  // Table lookups (0: nothing to do).
  virtual std::int32_t SlowSyncAction(std::int32_t key);
  virtual std::int32_t FastSyncAction(std::int32_t key);
  virtual std::int32_t FastDesktopAction(std::int32_t key);
  virtual std::int32_t SlowDesktopAction(std::int32_t key);
  virtual std::int32_t DesktopToHandheldAction(std::int32_t key);
  virtual std::int32_t HandheldToDesktopAction(std::int32_t key);
  // Takes the first position of `id` that is not taken yet; false when none.
  virtual bool TakeId(IdPool& pool, std::int32_t id);
  // Purges the deleted records of both sides; when the record counts then
  // differ, each side receives the records only the other side has.
  virtual std::int32_t PurgeAndReconcile();
  // The archive of a category index, created and opened on first use.
  virtual std::int32_t ArchiveFor(std::int32_t category, CArchiveDb*& archive);
  // Destroys the archives, storing each first when `store` (results ignored).
  virtual void FreeArchives(bool store);
  virtual std::int32_t CopyAppInfoToDesktop();
  virtual std::int32_t CopyAppInfoToHandheld();
  // Bodies (without their trailing zero bytes), categories or private flags differ.
  virtual bool RecordsDiffer(const CSyncRecord& a, const CSyncRecord& b);
  // The log given at construction: DB_OK, or DB_ERR_NO_MEMORY when the caller
  // could not make one.
  virtual std::int32_t CreateLog();

  // ---- State, for the host and for tests ------------------------------------------------
  std::int32_t CurrentSyncType() const { return m_properties.syncType; }
  const SyncProperties& Properties() const { return m_properties; }
  const DatabaseListEntry* DatabaseEntry() const { return m_entry; }
  CHandheldDb* Handheld() const { return m_handheld.get(); }
  CDesktopDb* Desktop() const { return m_desktop.get(); }
  CBackupDb* Backup() const { return m_backup.get(); }
  CArchiveDb* Archive(std::int32_t slot) const;
  ISyncLog* Log() const { return m_log.get(); }
  std::uint32_t ConduitHandle() const { return m_conduitHandle; }
  const std::array<std::int32_t, CATEGORY_MAP_SIZE>& CategoryMap() const { return m_categoryMap; }
  bool CategoriesRemapped() const { return m_categoriesRemapped != 0; }
  // True when a slow HotSync has the previous backup's records to compare with.
  bool HasBackupRecords() const { return m_backupUsable; }

 private:
  // The flow of the current database for the sync type (Synchronize's turn).
  std::int32_t SyncDatabase();
  // The walk over one side's records in a flow: `first` starts it.
  std::int32_t HandheldPass(bool slow);
  std::int32_t DesktopPass(bool slow);
  // Stores each archive of this turn; the first failure is returned.
  std::int32_t StoreArchives();
  // The bytes of a file before it is rewritten, to put it back.
  struct FileSnapshot {
    std::string path;
    bool existed = false;
    std::vector<std::uint8_t> bytes;
  };
  // Writes the desktop's new file, the archives, the handheld, puts the
  // desktop's file in place, then the backup (see the .cpp).
  std::int32_t StoreAll();
  std::int32_t SnapshotArchives(std::vector<FileSnapshot>& snapshots);
  void RestoreSnapshots(const std::vector<FileSnapshot>& snapshots);
  // Operations of single action bits.
  std::int32_t DeleteDesktopRecord(CSyncRecord& desktop);
  std::int32_t DeleteHandheldRecord(CSyncRecord& handheld);
  std::int32_t AddDesktopRecordToHandheld(CSyncRecord& desktop);
  std::int32_t AddHandheldRecordToDesktop(CSyncRecord& handheld);
  std::int32_t WriteHandheldOverDesktop(CSyncRecord& handheld, CSyncRecord& desktop);
  std::int32_t WriteDesktopOverHandheld(CSyncRecord& handheld, CSyncRecord& desktop);
  std::int32_t DeleteHandheldById(CSyncRecord& desktop);
  // DB_ERR_PASSWORD_MISMATCH (logged) when the two sides' memos are protected
  // by different passwords and the desktop holds memos.
  std::int32_t CheckPasswords();
  // Copies the application-specific bytes of the application-info block.
  std::int32_t SyncAppInfoExtra();
  // Copies a whole application-info block between two managers.
  std::int32_t CopyAppInfo(CDbManager& from, CDbManager& to);
  // The handheld's category table, read on demand (archives need its names).
  CCategoryList* HandheldCategories();
  // The current entry's database name (its field need not end in a NUL).
  std::string EntryName() const;
  bool IsSlow() const { return m_properties.syncType == 1; }

  SyncProperties m_properties;
  std::unique_ptr<CHandheldDb> m_handheld;
  std::unique_ptr<CDesktopDb> m_desktop;
  std::unique_ptr<CBackupDb> m_backup;
  std::array<std::unique_ptr<CArchiveDb>, ARCHIVE_SLOTS> m_archives;
  const DatabaseListEntry* m_entry = nullptr;
  DatabaseListEntry m_builtEntry{};
  std::int16_t m_databaseCount = 0;
  SyncSystemInfo m_systemInfo{};
  std::unique_ptr<std::uint8_t[]> m_productId;
  std::uint32_t m_conduitHandle = 0;
  std::int32_t m_featureFlags = FEATURES_CONDUIT;
  std::unique_ptr<ISyncLog> m_log;
  std::array<std::int32_t, CATEGORY_MAP_SIZE> m_categoryMap{};
  std::int32_t m_categoriesRemapped = 0;
  bool m_backupUsable = false;
};
