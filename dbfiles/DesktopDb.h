#pragma once
// CDesktopDb: the manager of the desktop record file.  It holds the file's
// header, application-info and sort-info blocks and records in memory, opens the
// file according to the sync type, loads it at the start of a HotSync and
// writes it back whole at the end.  CArchiveDb and CBackupDb derive from it.
//
// Writing never truncates the user's file first: StoreFile writes the whole
// database into a temporary file in the same folder, flushes it to the disk,
// gives it the old file's permissions and renames it over the old file, then
// flushes the folder.  On any failure the temporary file is removed and the old
// file stays as it was, byte for byte.  Every file operation goes through the
// current file environment (Files::Env()), where a test can make any of them
// fail.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "dbfiles/DbManager.h"

class CAtomicFileWriter;

class CDesktopDb : public CDbManager {
 public:
  // File name used when the manager is given a folder but no file name.
  static constexpr const char* DEFAULT_FILE_NAME = "QuilletDB.DAT";
  // Longest database name kept (bytes before the NUL).
  static constexpr std::size_t DB_NAME_MAX = 31;
  // Permission bits of a file the manager creates (memo, archive and backup
  // files hold memos).
  static constexpr int NEW_FILE_MODE = 0600;

  // OpenFile modes.
  static constexpr std::int32_t OPEN_READ = 0;        // an existing file, for reading
  static constexpr std::int32_t OPEN_WRITE = 1;       // an existing file, for writing
  static constexpr std::int32_t OPEN_READ_WRITE = 2;  // reading and writing, created when missing
  static constexpr std::int32_t OPEN_CREATE = 3;      // a file whose content StoreFile replaces

  // No path, sync type 6 (do nothing).
  CDesktopDb();
  // The path is `directory`, a separator and `fileName` (DEFAULT_FILE_NAME when
  // empty); without a directory the file name alone.  `dbName` is cut to 31
  // bytes.  `log` may be null (nothing is logged then).
  CDesktopDb(ISyncLog* log, std::int32_t dbFlags, const char* dbName, const char* fileName,
             const char* directory, std::int32_t syncType);
  ~CDesktopDb() override;

  // ---- CDbManager operations --------------------------------------------------
  // Closes any open file, then opens the path without sharing: OPEN_READ,
  // OPEN_WRITE and OPEN_READ_WRITE as named.  OPEN_CREATE opens nothing and
  // leaves the file as it is (created or not) until StoreFile replaces it
  // whole; inside StoreFile it opens the temporary file that replaces it.
  // Failure: DB_ERR_OPEN_FAILED.
  std::int32_t OpenFile(std::int32_t mode) override;
  // Open per sync type (OpenPerSyncType).
  std::int32_t Open() override;
  // Closes the file if one is open; the flag has no effect.  0.
  std::int32_t Close(std::int32_t flag) override;
  std::int32_t GetRecordCount(std::int32_t& count) override;
  // Also clears the stored record's pending mark.
  std::int32_t GetRecordById(std::int32_t id, CSyncRecord& out, bool logErrors) override;
  // Category above 15: CAT_ERR_BAD_INDEX.  With `move` the records go to
  // category 0 (ChangeCategory), else they are deleted.
  std::int32_t PurgeCategory(std::int32_t category, bool move) override;
  // Either index above 15: CAT_ERR_BAD_INDEX.  Records of `from` move to `to`
  // and are marked modified.
  std::int32_t ChangeCategory(std::int32_t from, std::int32_t to) override;
  std::int32_t InsertRecord(CSyncRecord& record) override;
  // The stored record with the record's id takes every field of it (its index
  // stays its slot) and has its status and marks cleared.
  std::int32_t ModifyRecord(CSyncRecord& record) override;
  // Deletes the record with the record's id (its index when the id is 0).
  std::int32_t DeleteRecord(CSyncRecord& record) override;
  // As ModifyRecord for the record in slot `index`; its id may change.
  std::int32_t ModifyRecordAt(std::int32_t index, CSyncRecord& record) override;
  std::int32_t FirstNew(CSyncRecord& out) override;
  std::int32_t PurgeDeleted() override;
  // The first call only: fast and slow HotSyncs (0, 1) and the
  // desktop-overwrites types (3, 4, 7) load the open file; others do nothing.
  // Fast or slow with no file: DB_ERR_DESKTOP_FILE_MISSING (only when the file
  // does not exist; one that exists but could not be opened stays
  // DB_ERR_FILE_NOT_OPEN).
  std::int32_t Load() override;
  // Ends the first open, resets every changed record's status and, for sync
  // types 0, 1, 2, 3 and 5, writes the file (StoreFile); a failure is logged
  // (LogSaveFailed) and returned.
  std::int32_t Store() override;
  // map[c] != -1 moves the records of category c (0 to 15) to map[c] and marks
  // them modified; records of other categories are left alone.
  std::int32_t RemapCategories(const std::int32_t* map) override;
  std::int32_t GetSortInfo(DbBlockInfo& info) override;
  std::int32_t SetSortInfo(const DbBlockInfo& info) override;
  std::int32_t GetAppInfo(DbBlockInfo& info) override;
  std::int32_t SetAppInfo(const DbBlockInfo& info) override;
  bool HasAppInfoExtra() override;
  std::int32_t SetAppInfoExtra(std::uint32_t length, const std::uint8_t* bytes) override;
  std::int32_t GetAppInfoExtra(std::uint8_t* buffer, std::uint32_t* size) override;
  const std::uint8_t* AppInfoExtraPtr() override;
  std::uint32_t AppInfoExtraSize() override;
  std::int32_t SetDbInfo(const char* name, std::uint16_t flags, std::uint32_t type,
                         std::uint32_t creator, std::uint16_t version,
                         std::uint32_t modificationNumber, std::uint32_t creationDate,
                         std::uint32_t modificationDate, std::uint32_t backupDate) override;
  std::int32_t CategoriesFromAppInfo() override;
  std::int32_t CategoriesToAppInfo() override;

  // ---- Desktop operations in slot order ---------------------------------------
  // Converts a file record (`size` bytes: the 40-byte record header and its
  // data) and inserts it; during a slow HotSync the record is marked pending.
  virtual std::int32_t AddFileRecord(const std::uint8_t* buffer, std::size_t size);
  virtual bool IsDirty() const;
  virtual void SetDirty(bool dirty);
  // Makes the application-info block's data area hold at least `room` bytes
  // (see the .cpp for what a new block keeps of the old one).
  virtual std::int32_t ReserveAppInfo(std::uint32_t room);
  // Closes the open file; a temporary file that was not renamed into place is
  // removed.
  virtual void CloseFile();
  // Before the first Store: 0 and 1 read the file (a file that does not exist:
  // DB_ERR_DESKTOP_FILE_MISSING), 3, 4 and 7 read it, 2 and 5 open it for
  // rewriting (created when missing) and mark the manager dirty.  After it: 0,
  // 1, 2, 3 and 5 open for rewriting and mark dirty, 4 and 7 read.  6 opens
  // nothing; other types DB_ERR_BAD_SYNC_TYPE.
  virtual std::int32_t OpenPerSyncType();
  // Writes the whole database when the manager is dirty or its category table
  // changed: header (count and block sizes recomputed), app-info block,
  // sort-info block, then every record in slot order with its attribute word
  // clear but for the private mark.  A database without header gets one when
  // it holds records or blocks; one that holds nothing makes the file empty.
  // Through a
  // temporary file and a rename (see above); DB_ERR_WRITE_FAILED, or
  // DB_ERR_BUFFER_TOO_SMALL for a record larger than a file record can be.
  virtual std::int32_t StoreFile();
  // Reads the open file: header, blocks and the counted records (each added
  // with AddFileRecord); bytes after them are ignored.  An empty file is an
  // empty database.  A record whose total size is below 40 or above 65,520
  // bytes stops the load with DB_ERR_BAD_RECORD_HEADER.  On failure the
  // records and blocks read so far stay.  The file is closed in every case.
  virtual std::int32_t LoadFile();
  // Reads up to n bytes; `got` receives the count.  A failed read call
  // DB_ERR_READ_FAILED, no bytes DB_ERR_END_OF_FILE, fewer than n
  // DB_ERR_SHORT_READ; no open file DB_ERR_FILE_NOT_OPEN.
  std::int32_t ReadUpTo(std::uint8_t* buffer, std::uint32_t n, std::uint32_t& got);
  std::int32_t ReadExactly(std::uint8_t* buffer, std::uint32_t n);
  // Copies `source` onto `target` through a temporary file beside the target
  // and a rename (the target keeps its permissions).  With `failIfExists` an
  // existing target is not replaced.  True on success; a failure leaves the
  // target as it was.
  virtual bool CopyFile(const std::string& source, const std::string& target, bool failIfExists);
  // A zeroed 84-byte header with its size field set.
  virtual std::int32_t CreateEmptyHeader();
  // Closes the file and frees the records, the header and both blocks.
  virtual void Release();
  virtual std::int32_t FileRecordToRecord(const std::uint8_t* buffer, std::size_t size,
                                          CSyncRecord& record);
  // Builds a file record in `buffer` (`size` bytes).  The room for the record
  // is the smaller of `size` and the value at offset 0 of the buffer; data that
  // does not fit gives DB_ERR_BUFFER_TOO_SMALL.  With `withAttributes` the
  // record's flags go into the attribute word, else only its private mark.
  virtual std::int32_t RecordToFileRecord(const CSyncRecord& record, std::uint8_t* buffer,
                                          std::size_t size, bool withAttributes);
  // Writes all n bytes to the open file; anything less is DB_ERR_WRITE_FAILED.
  std::int32_t WriteBytes(const std::uint8_t* buffer, std::uint32_t n);
  // ResetStatus on every changed record; the manager becomes dirty (Store then
  // always writes the file).
  virtual void ClearChangedStatus();

  // A desktop record made on the desktop (no id yet, or marked new) that the
  // slow HotSync has not looked at, and whose body, category and private mark
  // equal those of `handheld`: the copy of it that an interrupted HotSync
  // already gave the handheld.  It takes the handheld record's id, its marks
  // are cleared and a copy goes to `out`.  DB_ERR_NOT_FOUND when there is
  // none; DB_ERR_NO_MEMORY.
  virtual std::int32_t AdoptNewTwin(const CSyncRecord& handheld, CSyncRecord& out);

  // ---- Two-step store ----------------------------------------------------------------
  // While held, StoreFile writes the whole new file beside the old one and
  // flushes it to the disk, but leaves it unplaced: CommitHeld puts it in
  // place; closing the manager (or a failure) drops it and the old file stays.
  // The synchronizer writes the desktop this way before it lets the handheld
  // commit, so that a full disk fails the HotSync before either side changed.
  void HoldCommit(bool on) { m_holdCommit = on; }
  // Puts a held file in place (0 when none is held); a failure is logged
  // (LogSaveFailed) and returned as DB_ERR_WRITE_FAILED.
  std::int32_t CommitHeld();

  // ---- Accessors -----------------------------------------------------------------
  const std::string& Path() const { return m_path; }
  const std::string& DbName() const { return m_dbName; }
  bool IsFirstOpen() const { return m_firstOpen; }
  bool IsLoaded() const { return m_loaded; }
  bool IsFileOpen() const;
  // The header (84 bytes) or empty when the manager has none; likewise the
  // blocks, each exactly the bytes of the block.
  const std::vector<std::uint8_t>& HeaderBytes() const { return m_header; }
  const std::vector<std::uint8_t>& AppInfoBytes() const { return m_appInfo; }
  const std::vector<std::uint8_t>& SortInfoBytes() const { return m_sortInfo; }

  // The path built from a directory and a file name (rules above).
  static std::string BuildPath(const char* directory, const char* fileName);

 protected:
  void SetPath(std::string path) { m_path = std::move(path); }
  void SetFirstOpen(bool on) { m_firstOpen = on; }
  void SetLoaded(bool on) { m_loaded = on; }
  // True when the last OpenFile failed because the file does not exist.
  bool LastOpenFoundNoFile() const { return m_lastOpenMissing; }
  void OnTableChanged() override { m_dirty = true; }

 private:
  std::int32_t OpenReplacement();
  std::int32_t CommitReplacement();
  // CommitReplacement, or while held only the flush of the new file.
  std::int32_t FinishReplacement();
  std::int32_t ReadBlock(std::uint32_t size, std::vector<std::uint8_t>& block);
  std::int32_t WriteDatabase();
  std::int32_t GetBlock(const std::vector<std::uint8_t>& block, std::int32_t missing,
                        DbBlockInfo& info) const;
  std::int32_t SetBlock(std::vector<std::uint8_t>& block, const DbBlockInfo& info);
  void PutBlockName(std::vector<std::uint8_t>& block) const;
  std::size_t CategoryBlockSize() const;

  std::string m_path;
  std::string m_dbName;
  int m_fd = -1;
  // The temporary file that StoreFile writes (through OpenFile(OPEN_CREATE)).
  std::unique_ptr<CAtomicFileWriter> m_replacement;
  bool m_replacing = false;
  bool m_holdCommit = false;
  // AdoptNewTwin's index: body hash -> slots of the records it may adopt,
  // built on first use.
  std::unordered_multimap<std::size_t, std::int32_t> m_twins;
  bool m_twinsIndexed = false;
  bool m_lastOpenMissing = false;
  std::vector<std::uint8_t> m_header;
  std::vector<std::uint8_t> m_appInfo;
  std::vector<std::uint8_t> m_sortInfo;
  bool m_dirty = false;
  bool m_firstOpen = true;
  bool m_loaded = false;
};
