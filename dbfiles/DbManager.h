#pragma once
// CDbManager: the common layer behind which the conduit holds each database of
// a HotSync, the handheld one and the desktop one, so that the synchronizer can
// compare and change both sides with the same calls.
//
// A manager owns a table of record slots (each empty or owning one
// CSyncRecord), an optional category table, the sync type and one walk over
// the table.  The virtual operations below are in their fixed slot order.
// Operations a manager does not provide return DB_ERR_NOT_SUPPORTED.  Every
// operation that hands out a record copies it into a record the caller owns.
//
// Table invariants (kept by every operation, and by the protected helpers that
// derived managers must use to change the table):
//  - a stored record's index is its slot;
//  - the record count is the number of occupied slots;
//  - the high-water mark is one past the highest slot ever filled (it does not
//    go down when records are deleted, only when the table is freed or rebuilt);
//  - an index from record id to the occupied slots holding that id is kept in
//    step with every change, so lookups by id never scan the table.  A derived
//    manager must never change a stored record's id through MutableRecordAt(); it
//    replaces the record with StoreAt() instead.

#include <cstdint>
#include <memory>
#include <vector>

#include "dbfiles/CategoryList.h"
#include "dbfiles/DbBlockInfo.h"
#include "dbfiles/IdSlotIndex.h"
#include "dbfiles/SyncRecord.h"

class ISyncLog;

class CDbManager {
 public:
  // Walk modes.  A walk mode outside 0 to WALK_MODE_MAX is refused with
  // DB_ERR_BAD_ITERATION; WALK_NONE (no walk started) finds nothing.
  static constexpr std::int32_t WALK_NONE = 0;
  static constexpr std::int32_t WALK_ALL = 1;
  static constexpr std::int32_t WALK_CHANGED = 2;  // sync status not 0
  static constexpr std::int32_t WALK_PENDING = 3;  // pending mark set
  static constexpr std::int32_t WALK_MODE_MAX = 9;

  // Reorder kinds.
  static constexpr std::int32_t REORDER_BY_ID = 1;
  static constexpr std::int32_t REORDER_CHANGED_FIRST = 2;
  static constexpr std::int32_t REORDER_PENDING_FIRST = 3;
  static constexpr std::int32_t REORDER_BY_CATEGORY = 4;
  static constexpr std::int32_t REORDER_BY_CATEGORY_TOO = 5;  // same as 4

  // Database flags.  The conduit passes DB_FLAGS_CONDUIT.
  static constexpr std::int32_t DB_FLAG_CATEGORY_BLOCK = 0x1;  // with 0x2: app-info starts with categories
  static constexpr std::int32_t DB_FLAG_USES_CATEGORIES = 0x2;
  static constexpr std::int32_t DB_FLAG_EXTRA = 0x4;           // carried, no meaning
  static constexpr std::int32_t DB_FLAGS_CONDUIT = DB_FLAG_CATEGORY_BLOCK | DB_FLAG_USES_CATEGORIES;

  // The table grows by this many slots whenever it is full.
  static constexpr std::int32_t TABLE_GROWTH = 2000;
  // Number of category slots (category indexes 0 to 15).
  static constexpr std::int32_t CATEGORY_SLOTS = 16;

  CDbManager(ISyncLog* log, std::int32_t dbFlags, std::int32_t syncType);
  CDbManager(const CDbManager&) = delete;
  CDbManager& operator=(const CDbManager&) = delete;
  virtual ~CDbManager();

  // ---- Operations in slot order -------------------------------------------
  // The owned category table, or nullptr.
  virtual CCategoryList* CategoryTable();
  // Opens the database's storage: 0 read an existing file, 1 write an existing
  // file, 2 read and write (create when missing), 3 create for reading and
  // writing.
  virtual std::int32_t OpenFile(std::int32_t mode) = 0;
  // Opens according to the sync type.
  virtual std::int32_t Open() = 0;
  virtual std::int32_t Close(std::int32_t flag) = 0;
  // Database flags 0x1 and 0x2 both set.
  virtual bool HasCategoryBlock() const;
  virtual std::int32_t GetRecordCount(std::int32_t& count);
  // The first occupied slot holding a record with that id, or -1.
  virtual std::int32_t IndexOfId(std::int32_t id) const;
  // Copies the record with that id out; DB_ERR_NOT_FOUND when absent.
  virtual std::int32_t GetRecordById(std::int32_t id, CSyncRecord& out, bool logErrors);
  // Walks: First* start a walk and return its first record, NextRecord the
  // next; DB_ERR_NOT_FOUND past the end.
  virtual std::int32_t FirstRecord(CSyncRecord& out);
  virtual std::int32_t NextRecord(CSyncRecord& out);
  virtual std::int32_t FirstPending(CSyncRecord& out);
  // Moves the changed records to the front, then walks the changed records.
  virtual std::int32_t FirstModified(CSyncRecord& out);
  virtual std::int32_t PurgeCategory(std::int32_t category, bool move);
  virtual std::int32_t ChangeCategory(std::int32_t from, std::int32_t to);
  // ResetStatus on the caller's record, then InsertRecord.
  virtual std::int32_t AddRecord(CSyncRecord& record);
  // Stores a copy in the first empty slot (growing the table when it is full);
  // the copy's and the caller's index become that slot.
  virtual std::int32_t InsertRecord(CSyncRecord& record);
  virtual std::int32_t ModifyRecord(CSyncRecord& record);
  virtual std::int32_t DeleteRecord(CSyncRecord& record);
  virtual std::int32_t ModifyRecordAt(std::int32_t index, CSyncRecord& record);
  virtual void SetSyncType(std::int32_t syncType);
  virtual std::int32_t FirstNew(CSyncRecord& out);
  virtual std::int32_t PurgeDeleted();
  // REORDER_* kinds; others DB_ERR_NOT_SUPPORTED.
  virtual std::int32_t Reorder(std::int32_t kind);
  virtual std::int32_t Load() = 0;
  virtual std::int32_t Store() = 0;
  // When the database uses categories: Load, then CategoriesFromAppInfo.
  virtual std::int32_t LoadCategories();
  // When the database uses categories, has the category block and a changed
  // category table: CategoriesToAppInfo; else 0.
  virtual std::int32_t StoreCategories();
  // map[c] != -1 moves the records of category c to map[c].  `map` holds 16.
  virtual std::int32_t RemapCategories(const std::int32_t* map);
  virtual std::int32_t GetSortInfo(DbBlockInfo& info);
  virtual std::int32_t SetSortInfo(const DbBlockInfo& info);
  virtual std::int32_t GetAppInfo(DbBlockInfo& info);
  virtual std::int32_t SetAppInfo(const DbBlockInfo& info);
  // Application-specific bytes after the category block of the app-info data.
  virtual bool HasAppInfoExtra();
  virtual std::int32_t SetAppInfoExtra(std::uint32_t length, const std::uint8_t* bytes);
  virtual std::int32_t GetAppInfoExtra(std::uint8_t* buffer, std::uint32_t* size);
  virtual const std::uint8_t* AppInfoExtraPtr();
  virtual std::uint32_t AppInfoExtraSize();
  virtual std::int32_t SetDbInfo(const char* name, std::uint16_t flags, std::uint32_t type,
                                 std::uint32_t creator, std::uint16_t version,
                                 std::uint32_t modificationNumber, std::uint32_t creationDate,
                                 std::uint32_t modificationDate, std::uint32_t backupDate);
  // The ids of the occupied slots in slot order.  *count is the capacity of
  // `ids` on entry and the number written on return; a capacity below the
  // record count gives DB_ERR_BUFFER_TOO_SMALL with the record count in *count.
  virtual std::int32_t GetAllIds(std::int32_t* ids, std::int32_t* count);
  // Rebuilds the table so that slot i holds the record with id ids[i] (-1 leaves
  // slot i empty).  The table is unchanged on failure.
  virtual std::int32_t ReorderByIds(const std::int32_t* ids, std::int32_t count);
  virtual bool UsesCategories() const;
  virtual void SetUsesCategories(bool on);
  virtual std::int32_t CategoriesFromAppInfo();
  virtual std::int32_t CategoriesToAppInfo();
  // Frees every record and the table.
  virtual void FreeAll();
  // Makes the table `slots` slots large (never smaller than the high-water
  // mark); DB_ERR_NO_MEMORY leaves it as it was.
  virtual std::int32_t Grow(std::int32_t slots);
  // The n-th occupied slot's record (n from 0); DB_ERR_NOT_FOUND.
  virtual std::int32_t GetByPosition(std::int32_t n, CSyncRecord& out);
  virtual std::int32_t FindByAlternateIndex(std::int32_t alternateIndex, CSyncRecord& out);
  virtual std::int32_t FindByIdAndAlternateIndex(std::int32_t id, std::int32_t alternateIndex,
                                                 CSyncRecord& out);
  // Frees every record, deletes the category table and ends the walk.  The log,
  // the database flags and the sync type stay.
  virtual void Reset();

  // ---- Plain accessors --------------------------------------------------------
  std::int32_t SyncType() const { return m_syncType; }
  std::int32_t DbFlags() const { return m_dbFlags; }
  void SetDbFlags(std::int32_t flags) { m_dbFlags = flags; }
  ISyncLog* Log() const { return m_log; }
  std::int32_t RecordCount() const { return m_recordCount; }
  std::int32_t Capacity() const { return static_cast<std::int32_t>(m_slots.size()); }
  std::int32_t HighWater() const { return m_highWater; }
  // The stored record of a slot (nullptr for an empty or out-of-range slot), for
  // reading only.
  const CSyncRecord* RecordAt(std::int32_t slot) const;

 protected:
  // ---- Table access for derived managers --------------------------------------
  // The stored record of a slot for changes other than its id, or nullptr.
  CSyncRecord* MutableRecordAt(std::int32_t slot);
  // Stores a copy of `record` in `slot`, replacing what was there; the table
  // grows to cover the slot.  The copy's index becomes the slot.  0 or
  // DB_ERR_NO_MEMORY (table unchanged), DB_ERR_BAD_CATEGORY_INDEX for a
  // negative slot.
  std::int32_t StoreAt(std::int32_t slot, const CSyncRecord& record);
  // Frees the record of a slot and empties it (nothing for an empty slot).
  void FreeSlot(std::int32_t slot);
  // Exchanges two slots (either may be empty); moved records take their new
  // slot as index.
  void SwapSlots(std::int32_t a, std::int32_t b);

  // The current walk.
  std::int32_t WalkMode() const { return m_walkMode; }
  std::int32_t WalkPosition() const { return m_walkPosition; }
  void SetWalk(std::int32_t mode, std::int32_t position) {
    m_walkMode = mode;
    m_walkPosition = position;
  }

  // The category table (owned); replaced or dropped by derived managers.
  std::unique_ptr<CCategoryList>& CategoryTableOwner() { return m_categories; }

  // Called after every change of the table or of record contents (InsertRecord
  // and the desktop operations that change records); the desktop manager marks
  // itself dirty here.
  virtual void OnTableChanged() {}

  // Copies a stored record out into `out`: 0 or DB_ERR_NO_MEMORY.
  static std::int32_t CopyOut(const CSyncRecord& stored, CSyncRecord& out);

 private:
  using Slot = std::unique_ptr<CSyncRecord>;

  void IndexAdd(std::int32_t id, std::int32_t slot);
  void IndexRemove(std::int32_t id, std::int32_t slot);
  // First empty slot, growing the table when every slot is taken; -1 with
  // `rc` set when growing fails.
  std::int32_t FirstEmptySlot(std::int32_t& rc);
  // The changed-first and pending-first orders: each occupied slot holding a
  // non-matching record is exchanged with the first later slot holding a
  // matching one, so the matching records end at the front in their order.
  void MoveMatchingToFront(bool (*matches)(const CSyncRecord&));
  // Ascending order by a key, exactly as the slot-by-slot exchange sort of the
  // table orders it (including the order of equal keys).  0 or
  // DB_ERR_NO_MEMORY (table unchanged).
  std::int32_t SortByKey(std::int32_t (*key)(const CSyncRecord&));
  std::int32_t Walk(CSyncRecord& out);

  ISyncLog* m_log;
  std::int32_t m_dbFlags;
  std::int32_t m_syncType;
  std::unique_ptr<CCategoryList> m_categories;
  std::vector<Slot> m_slots;
  std::int32_t m_recordCount = 0;
  std::int32_t m_highWater = 0;
  // Every slot below this one is occupied: inserts look for a free slot from
  // here instead of from slot 0.
  std::int32_t m_firstFree = 0;
  std::int32_t m_walkMode = WALK_NONE;
  std::int32_t m_walkPosition = 0;
  // id -> occupied slots holding that id.
  CIdSlotIndex m_idIndex;
};
