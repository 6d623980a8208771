#include "sync/SyncEngine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <unordered_set>
#include <vector>

#include "dbfiles/ISyncLog.h"
#include "dbfiles/ResultCodes.h"
#include "dbfiles/SyncType.h"
#include "platform/files/AtomicFileWriter.h"
#include "platform/files/FileSystem.h"
#include "platform/recordfile/FileLayout.h"
#include "platform/sync20/SyncLibrary.h"
#include "platform/sync20/SyncStatus.h"
#include "sync/HandheldDb.h"
#include "sync/SyncTables.h"

namespace {

// Types 4 and 7 never rewrite the desktop file, so every record they would
// archive stays in it, archive mark included, and is archived by the next
// HotSync that does rewrite the file; storing an archive in these types would
// put the record there twice.
bool KeepsArchives(std::int32_t syncType) {
  return syncType != SyncType::DESKTOP_OVERWRITES_4 && syncType != SyncType::DESKTOP_OVERWRITES_7;
}

constexpr std::int32_t MAX_DATABASE_NAMES = 32;

bool OverwritesHandheld(std::int32_t syncType) {
  return syncType == SyncType::DESKTOP_OVERWRITES || syncType == SyncType::DESKTOP_OVERWRITES_4 ||
         syncType == SyncType::DESKTOP_OVERWRITES_7;
}

}  // namespace

// ---- Construction and destruction ---------------------------------------------------------

CSyncEngine::CSyncEngine(const SyncProperties& properties, std::int32_t featureFlags,
                         std::unique_ptr<ISyncLog> log)
    : properties_(properties), featureFlags_(featureFlags), log_(std::move(log)) {
  databaseCount_ = properties_.databaseCount;
  categoryMap_.fill(-1);
  (void)CreateLog();
}

CSyncEngine::~CSyncEngine() {
  handheld_.reset();
  desktop_.reset();
  backup_.reset();
  for (auto& archive : archives_) archive.reset();
  if (conduitHandle_ != 0) {
    (void)SyncUnRegisterConduit(conduitHandle_);
    conduitHandle_ = 0;
  }
}

std::int32_t CSyncEngine::CreateLog() { return log_ ? DB_OK : DB_ERR_NO_MEMORY; }

std::string CSyncEngine::EntryName() const {
  if (entry_ == nullptr) return std::string();
  return std::string(entry_->name, ::strnlen(entry_->name, sizeof(entry_->name)));
}

CArchiveDb* CSyncEngine::Archive(std::int32_t slot) const {
  if (slot < 0 || slot >= ARCHIVE_SLOTS) return nullptr;
  return archives_[static_cast<std::size_t>(slot)].get();
}

std::int32_t CSyncEngine::Reserved() { return DB_OK; }

// ---- The HotSync ----------------------------------------------------------------------------

std::int32_t CSyncEngine::Synchronize() {
  if (properties_.syncType > SyncType::LAST) return DB_ERR_BAD_START_SYNC_TYPE;
  if (properties_.syncType == SyncType::DO_NOTHING) return DB_OK;

  productId_.reset(new (std::nothrow) std::uint8_t[PRODUCT_ID_SIZE]);
  if (!productId_) return DB_ERR_NO_MEMORY;
  std::memset(productId_.get(), 0, PRODUCT_ID_SIZE);
  systemInfo_ = SyncSystemInfo{};
  systemInfo_.productIdSize = static_cast<std::uint8_t>(PRODUCT_ID_SIZE);
  systemInfo_.productId = productId_.get();
  std::int32_t rc = SyncReadSystemInfo(&systemInfo_);
  if (rc != DB_OK) return rc;

  rc = Register();
  if (rc != DB_OK) return rc;

  std::int32_t result = DB_OK;
  for (std::int32_t i = 0; i < databaseCount_ && result == DB_OK; ++i) {
    rc = PrepareDatabaseEntry(i);
    if (rc == DB_ERR_NO_MEMORY) break;
    if (rc != DB_OK) {
      result = rc;
      break;
    }
    switch (properties_.syncType) {
      case SyncType::FAST: result = FastSync(); break;
      case SyncType::SLOW: result = SlowSync(); break;
      case SyncType::HANDHELD_OVERWRITES:
      case SyncType::HANDHELD_OVERWRITES_KEEP: result = CopyHandheldToDesktop(); break;
      case SyncType::DESKTOP_OVERWRITES:
      case SyncType::DESKTOP_OVERWRITES_4:
      case SyncType::DESKTOP_OVERWRITES_7: result = CopyDesktopToHandheld(); break;
      case SyncType::DO_NOTHING: result = DB_OK; break;
      default: result = DB_ERR_BAD_SYNC_TYPE; break;
    }
    if (result == DB_ERR_SYNC_TYPE_CHANGED) {
      // OpenAll found one side missing and changed the sync type for the rest
      // of this HotSync.
      if (properties_.syncType == SyncType::HANDHELD_OVERWRITES) {
        result = CopyHandheldToDesktop();
      } else if (properties_.syncType == SyncType::DESKTOP_OVERWRITES) {
        result = CopyDesktopToHandheld();
      }
      if (result == DB_ERR_SYNC_TYPE_CHANGED) result = DB_ERR_BAD_SYNC_TYPE;  // never handed up
    }
    // A failed flow leaves the handheld as it was: its open database is
    // dropped unwritten when the conduit unregisters.
    if (result != DB_OK && handheld_) handheld_->Abandon();
    (void)DeleteHandheld();
    (void)DeleteDesktop();
    (void)DeleteBackup();
    FreeArchives(result == DB_OK && KeepsArchives(properties_.syncType));
  }

  std::int32_t unregistered = Unregister(result != DB_OK);
  return result != DB_OK ? result : unregistered;
}

std::int32_t CSyncEngine::PrepareDatabaseEntry(std::int32_t i) {
  if (i < 0 || i >= databaseCount_) return DB_ERR_NULL_ARGUMENT;
  if (properties_.databaseList != nullptr) {
    entry_ = &properties_.databaseList[i];
    return DB_OK;
  }
  // Without a list the entry is built from the i-th name and the creator and
  // type of the properties.
  if (i >= MAX_DATABASE_NAMES || properties_.databaseNames[i] == nullptr) return DB_ERR_NULL_ARGUMENT;
  builtEntry_ = DatabaseListEntry{};
  builtEntry_.type = properties_.type;
  builtEntry_.creator = properties_.creator;
  std::strncpy(builtEntry_.name, properties_.databaseNames[i], sizeof(builtEntry_.name) - 1);
  entry_ = &builtEntry_;
  return DB_OK;
}

std::int32_t CSyncEngine::Register() {
  std::int32_t rc = SyncRegisterConduit(&conduitHandle_);
  if (rc != DB_OK) {
    conduitHandle_ = 0;
    return rc;
  }
  if (log_) (void)log_->LogSyncStart();
  return DB_OK;
}

std::int32_t CSyncEngine::Unregister(bool failed) {
  if (log_) (void)log_->LogSyncEnd(failed);
  std::int32_t rc = SyncUnRegisterConduit(conduitHandle_);
  conduitHandle_ = 0;
  return rc;
}

// ---- Managers ---------------------------------------------------------------------------------

std::int32_t CSyncEngine::DeleteHandheld() {
  handheld_.reset();
  return DB_OK;
}

std::int32_t CSyncEngine::DeleteDesktop() {
  desktop_.reset();
  return DB_OK;
}

std::int32_t CSyncEngine::DeleteBackup() {
  backup_.reset();
  backupUsable_ = false;
  return DB_OK;
}

std::int32_t CSyncEngine::CreateHandheld() {
  handheld_.reset();
  if (entry_ == nullptr) return DB_ERR_NULL_ARGUMENT;
  std::string entryName = EntryName();
  const char* name = entryName.c_str();
  handheld_.reset(new (std::nothrow) CHandheldDb(log_.get(), featureFlags_, name, entry_->creator,
                                                 entry_->type, entry_->dbFlags, 0,
                                                 entry_->cardNumber, properties_.syncType));
  if (!handheld_) return DB_ERR_NO_MEMORY;
  return handheld_->Open();
}

std::int32_t CSyncEngine::CreateDesktop() {
  desktop_.reset();
  if (entry_ == nullptr) return DB_ERR_NULL_ARGUMENT;
  std::string entryName = EntryName();
  const char* name = entryName.c_str();
  desktop_.reset(new (std::nothrow) CDesktopDb(log_.get(), featureFlags_, name, properties_.localFileName,
                                               properties_.directory, properties_.syncType));
  if (!desktop_) return DB_ERR_NO_MEMORY;
  return desktop_->Open();
}

std::int32_t CSyncEngine::CreateBackup() {
  backup_.reset();
  backupUsable_ = false;
  if (entry_ == nullptr) return DB_ERR_NULL_ARGUMENT;
  std::string entryName = EntryName();
  const char* name = entryName.c_str();
  backup_.reset(new (std::nothrow) CBackupDb(log_.get(), featureFlags_, name, properties_.localFileName,
                                             properties_.directory, properties_.syncType));
  if (!backup_) return DB_ERR_NO_MEMORY;
  std::int32_t rc = backup_->Open();
  if (rc != DB_OK) {
    // The backup only tells a slow HotSync which handheld records changed.  A
    // damaged one is left unused (and replaced at the end) rather than making
    // every slow HotSync of this database fail.
    backup_.reset(new (std::nothrow) CBackupDb(log_.get(), featureFlags_, name, properties_.localFileName,
                                               properties_.directory, properties_.syncType));
    if (!backup_) return DB_ERR_NO_MEMORY;
    return DB_OK;
  }
  backupUsable_ = properties_.syncType == SyncType::SLOW && backup_->IsLoaded();
  return DB_OK;
}

std::int32_t CSyncEngine::CreateArchive(std::int32_t slot, const char* fileName) {
  if (slot < 0 || slot >= ARCHIVE_SLOTS) return CAT_ERR_BAD_INDEX;
  if (entry_ == nullptr) return DB_ERR_NULL_ARGUMENT;
  std::string entryName = EntryName();
  const char* name = entryName.c_str();
  auto& target = archives_[static_cast<std::size_t>(slot)];
  target.reset(new (std::nothrow) CArchiveDb(log_.get(), featureFlags_, name, fileName, properties_.directory));
  return target ? DB_OK : DB_ERR_NO_MEMORY;
}

std::int32_t CSyncEngine::OpenAll() {
  categoriesRemapped_ = 0;
  categoryMap_.fill(-1);
  std::int32_t rc = DB_OK;

  // Desktop overwrites handheld deletes the handheld database when it opens
  // it: the desktop file is opened and read first, so that a missing or
  // unreadable desktop file ends the HotSync with the handheld untouched.
  bool desktopFirst = OverwritesHandheld(properties_.syncType);
  if (desktopFirst) {
    rc = CreateDesktop();
    if (rc == DB_OK) rc = desktop_->Load();
    if (rc != DB_OK) return rc;
  }

  rc = CreateHandheld();
  if (rc == DB_ERR_HANDHELD_DB_MISSING) {
    if (properties_.syncType == SyncType::FAST || properties_.syncType == SyncType::SLOW) {
      properties_.syncType = SyncType::DESKTOP_OVERWRITES;
      return DB_ERR_SYNC_TYPE_CHANGED;
    }
    return rc;
  }
  if (rc != DB_OK) return rc;

  if (!desktopFirst) {
    rc = CreateDesktop();
    if (rc == DB_ERR_DESKTOP_FILE_MISSING &&
        (properties_.syncType == SyncType::FAST || properties_.syncType == SyncType::SLOW)) {
      properties_.syncType = SyncType::HANDHELD_OVERWRITES;
      return DB_ERR_SYNC_TYPE_CHANGED;
    }
    if (rc != DB_OK) return rc;
  }

  return CreateBackup();
}

// ---- Flows ---------------------------------------------------------------------------------------

std::int32_t CSyncEngine::HandheldPass(bool slow) {
  CSyncRecord record;
  std::int32_t rc = slow ? handheld_->FirstRecord(record) : handheld_->FirstModified(record);
  while (rc == DB_OK) {
    rc = SyncHandheldRecord(record);
    if (rc != DB_OK) return rc;
    rc = handheld_->NextRecord(record);
  }
  return rc == DB_ERR_NOT_FOUND ? DB_OK : rc;
}

std::int32_t CSyncEngine::DesktopPass(bool slow) {
  CSyncRecord record;
  std::int32_t rc = slow ? desktop_->FirstPending(record) : desktop_->FirstModified(record);
  while (rc == DB_OK) {
    rc = SyncDesktopRecord(record);
    if (rc != DB_OK) return rc;
    rc = desktop_->NextRecord(record);
  }
  return rc == DB_ERR_NOT_FOUND ? DB_OK : rc;
}

std::int32_t CSyncEngine::StoreArchives() {
  for (auto& archive : archives_) {
    if (!archive) continue;
    std::int32_t rc = archive->Store();
    if (rc != DB_OK) return rc;
  }
  return DB_OK;
}

std::int32_t CSyncEngine::StoreAll() {
  // The order keeps both sides whole whatever fails:
  //  1. the new desktop file is written whole beside the old one and flushed
  //     (a full disk fails here, before anything changed);
  //  2. the archives, so that a record leaves the handheld only once its
  //     archive copy is on the disk;
  //  3. the handheld, which purges its deleted and archived records as it
  //     closes;
  //  4. the new desktop file is put in place;
  //  5. the backup, a copy of the new desktop file.
  // Until the handheld has been asked to store, a failure puts the archives
  // back as they were (the repeated HotSync archives the same records again)
  // and drops the new desktop file.  From then on the handheld may have
  // purged, so the archives stay: a record archived twice is better than a
  // record archived nowhere.
  desktop_->HoldCommit(true);
  std::int32_t rc = desktop_->Store();
  desktop_->HoldCommit(false);
  if (rc != DB_OK) return rc;

  std::vector<FileSnapshot> snapshots;
  rc = SnapshotArchives(snapshots);
  if (rc == DB_OK && KeepsArchives(properties_.syncType)) rc = StoreArchives();
  if (rc != DB_OK) {
    RestoreSnapshots(snapshots);
    return rc;
  }

  rc = handheld_->Store();
  if (rc != DB_OK) return rc;  // the desktop's new file is dropped with its manager
  rc = desktop_->CommitHeld();
  if (rc != DB_OK) return rc;
  return backup_ ? backup_->Store() : DB_OK;
}

std::int32_t CSyncEngine::SnapshotArchives(std::vector<FileSnapshot>& snapshots) {
  try {
    for (auto& archive : archives_) {
      if (!archive) continue;
      FileSnapshot snapshot;
      snapshot.path = archive->Path();
      // Only an archive that is really absent is removed again on the way
      // back; one that cannot be read stops the store before anything changes.
      const Files::FileResult rc = Files::ReadWholeFile(snapshot.path, snapshot.bytes);
      if (rc == Files::FILE_ERR_NO_MEMORY) return DB_ERR_NO_MEMORY;
      if (rc != Files::FILE_OK && rc != Files::FILE_ERR_NOT_FOUND) return DB_ERR_READ_FAILED;
      snapshot.existed = rc == Files::FILE_OK;
      snapshots.push_back(std::move(snapshot));
    }
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  return DB_OK;
}

void CSyncEngine::RestoreSnapshots(const std::vector<FileSnapshot>& snapshots) {
  for (const FileSnapshot& snapshot : snapshots) {
    if (!snapshot.existed) {
      (void)std::remove(snapshot.path.c_str());
      continue;
    }
    // Written beside the archive and renamed over it, so that the archive is
    // always whole.  Best effort: the HotSync has failed already.
    CAtomicFileWriter out;
    if (out.Begin(snapshot.path, CAtomicFileWriter::Options{}) == Files::FILE_OK &&
        out.Write(snapshot.bytes.data(), snapshot.bytes.size()) == Files::FILE_OK) {
      (void)out.Commit();
    }
  }
}

std::int32_t CSyncEngine::FastSync() {
  std::int32_t rc = OpenAll();
  if (rc == DB_OK) rc = SyncAppInfo();
  if (rc == DB_OK) rc = handheld_->Load();
  if (rc == DB_OK) rc = desktop_->Load();
  if (rc == DB_OK) rc = HandheldPass(false);
  if (rc == DB_OK) rc = DesktopPass(false);
  if (rc == DB_OK) rc = PurgeAndReconcile();
  if (rc == DB_OK) rc = StoreAll();
  return rc;
}

std::int32_t CSyncEngine::SlowSync() {
  std::int32_t rc = OpenAll();
  if (rc == DB_OK) rc = SyncAppInfo();
  if (rc == DB_OK) rc = handheld_->Load();
  if (rc == DB_OK) rc = desktop_->Load();
  if (rc == DB_OK) rc = HandheldPass(true);
  if (rc == DB_OK) rc = DesktopPass(true);
  if (rc == DB_OK) rc = PurgeAndReconcile();
  if (rc == DB_OK) rc = StoreAll();
  return rc;
}

std::int32_t CSyncEngine::CopyHandheldToDesktop() {
  std::int32_t rc = OpenAll();
  if (rc != DB_OK) return rc;
  (void)desktop_->SetDbInfo(EntryName().c_str(), entry_->dbFlags, entry_->type, entry_->creator, entry_->version,
                            entry_->modificationNumber, entry_->creationDate, entry_->modificationDate,
                            entry_->backupDate);
  rc = handheld_->Load();
  if (rc == DB_OK) rc = desktop_->Load();
  if (rc == DB_OK) rc = CopyAppInfoToDesktop();
  if (rc != DB_OK) return rc;

  CSyncRecord record;
  CSyncRecord empty;
  rc = handheld_->FirstRecord(record);
  while (rc == DB_OK) {
    std::int32_t action = HandheldToDesktopAction(SyncKey(record.GetSyncStatus(), 0));
    empty.Clear();
    rc = ApplyActions(action, record, empty);
    if (rc != DB_OK) return rc;
    rc = handheld_->NextRecord(record);
  }
  // The desktop is replaced whole: a record that could not be read would be
  // missing from it, so a read error ends the flow without storing anything.
  if (rc != DB_ERR_NOT_FOUND) return rc;
  // The handheld's archived records are in their archives now; purging them
  // keeps the next HotSync from archiving them a second time.  (Sync type 5
  // leaves the handheld as it is for another desktop.)
  if (properties_.syncType == SyncType::HANDHELD_OVERWRITES) {
    rc = handheld_->PurgeDeleted();
    if (rc != DB_OK) return rc;
  }
  return StoreAll();
}

std::int32_t CSyncEngine::CopyDesktopToHandheld() {
  std::int32_t rc = OpenAll();
  if (rc == DB_OK) rc = handheld_->Load();
  if (rc == DB_OK) rc = desktop_->Load();
  if (rc == DB_OK) rc = CopyAppInfoToHandheld();
  if (rc != DB_OK) return rc;

  CSyncRecord record;
  CSyncRecord empty;
  rc = desktop_->FirstRecord(record);
  while (rc == DB_OK) {
    std::int32_t action = DesktopToHandheldAction(record.GetSyncStatus());
    empty.Clear();
    rc = ApplyActions(action, empty, record);
    if (rc != DB_OK) return rc;
    rc = desktop_->NextRecord(record);
  }
  if (rc != DB_ERR_NOT_FOUND) return rc;
  return StoreAll();
}

// ---- Application information -------------------------------------------------------------------

std::int32_t CSyncEngine::CopyAppInfo(CDbManager& from, CDbManager& to) {
  std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[APP_INFO_BUFFER_SIZE]);
  if (!buffer) return DB_ERR_NO_MEMORY;
  DbBlockInfo info;
  info.bufferSize = APP_INFO_BUFFER_SIZE;
  info.data = buffer.get();
  std::int32_t rc = from.GetAppInfo(info);
  if (rc != DB_OK) return rc;
  return to.SetAppInfo(info);
}

std::int32_t CSyncEngine::CopyAppInfoToDesktop() {
  if ((featureFlags_ & FEATURE_APP_INFO) == 0) return DB_OK;
  std::int32_t rc = CopyAppInfo(*handheld_, *desktop_);
  // A handheld database without an application-info block leaves the desktop
  // without one as well.
  if (rc == SyncStatus::SYNC_ERR_NOT_FOUND || rc == DB_ERR_NO_APP_INFO_BLOCK || rc == DB_ERR_NO_APP_INFO) return DB_OK;
  return rc;
}

std::int32_t CSyncEngine::CopyAppInfoToHandheld() {
  if ((featureFlags_ & FEATURE_APP_INFO) == 0) return DB_OK;
  std::int32_t rc = CopyAppInfo(*desktop_, *handheld_);
  if (rc == DB_ERR_NO_APP_INFO_BLOCK || rc == DB_ERR_NO_APP_INFO) return DB_OK;
  return rc;
}

std::int32_t CSyncEngine::SyncAppInfo() {
  if ((featureFlags_ & FEATURE_APP_INFO) == 0) return DB_OK;

  const std::int32_t handheldLoaded = handheld_->LoadCategories();
  if (handheldLoaded == DB_ERR_NO_CATEGORY_BLOCK) return DB_OK;
  const bool handheldHasNone = handheldLoaded == DB_ERR_NO_APP_INFO || handheldLoaded == SyncStatus::SYNC_ERR_NOT_FOUND;
  if (handheldLoaded != DB_OK && !handheldHasNone) return handheldLoaded;

  const std::int32_t desktopLoaded = desktop_->LoadCategories();
  if (desktopLoaded == DB_ERR_NO_CATEGORY_BLOCK) return DB_OK;
  const bool desktopHasNone = desktopLoaded == DB_ERR_NO_APP_INFO;
  if (desktopLoaded != DB_OK && !desktopHasNone) return desktopLoaded;

  // Before either side's block is changed: memos under different passwords
  // must never meet in one database.
  std::int32_t rc = CheckPasswords();
  if (rc != DB_OK) return rc;

  if (handheldHasNone) {
    // A handheld database without application information takes the
    // desktop's whole block.
    rc = CopyAppInfoToHandheld();
    if (rc != DB_OK) return rc;
    rc = handheld_->LoadCategories();
    if (rc == DB_ERR_NO_APP_INFO || rc == SyncStatus::SYNC_ERR_NOT_FOUND) rc = DB_OK;
    if (rc != DB_OK) return rc;
  }
  if (desktopHasNone) {
    // A desktop file without application information (an empty file, or one
    // written before the handheld had any) takes the handheld's whole block
    // instead of failing every HotSync of the database.
    rc = CopyAppInfoToDesktop();
    if (rc != DB_OK) return rc;
    rc = desktop_->CategoriesFromAppInfo();
    if (rc == DB_ERR_NO_APP_INFO) rc = DB_OK;
    if (rc != DB_OK) return rc;
  }

  if (handheld_->UsesCategories() && desktop_->UsesCategories() && handheld_->CategoryTable() != nullptr &&
      desktop_->CategoryTable() != nullptr) {
    rc = SyncCategories();
    if (rc != DB_OK) return rc;
  }

  rc = SyncAppInfoExtra();
  if (rc != DB_OK) return rc;

  rc = handheld_->StoreCategories();
  if (rc != DB_OK) return rc;
  return desktop_->StoreCategories();
}

namespace {
// The memo application keeps the MD5 digest of the password in the
// application-specific bytes (which follow the category block); all zero, or
// no room for it, when the memos are not protected.
constexpr std::size_t PASSWORD_DIGEST_OFFSET = FileLayout::APP_DIGEST - FileLayout::CAT_BLOCK_SIZE;

std::array<std::uint8_t, FileLayout::APP_DIGEST_SIZE> PasswordDigestOf(CDbManager& side) {
  std::array<std::uint8_t, FileLayout::APP_DIGEST_SIZE> digest{};
  const std::uint8_t* extra = side.HasAppInfoExtra() ? side.AppInfoExtraPtr() : nullptr;
  if (extra != nullptr && side.AppInfoExtraSize() >= PASSWORD_DIGEST_OFFSET + digest.size()) {
    std::memcpy(digest.data(), extra + PASSWORD_DIGEST_OFFSET, digest.size());
  }
  return digest;
}
}  // namespace

std::int32_t CSyncEngine::CheckPasswords() {
  // The conduit never sees a password, so it cannot re-encrypt a memo: a body
  // carried from a side under one password to a side under another (or from a
  // protected side to an unprotected one) would be garbled for good.  A
  // desktop without any memo takes the handheld's memos and password whole.
  if (PasswordDigestOf(*handheld_) == PasswordDigestOf(*desktop_)) return DB_OK;
  std::int32_t desktopCount = 0;
  if (desktop_->GetRecordCount(desktopCount) == DB_OK && desktopCount == 0) return DB_OK;
  if (log_) (void)log_->LogPasswordMismatch();
  return DB_ERR_PASSWORD_MISMATCH;
}

std::int32_t CSyncEngine::SyncAppInfoExtra() {
  bool handheldHas = handheld_->HasAppInfoExtra();
  bool desktopHas = desktop_->HasAppInfoExtra();
  if (handheldHas) {
    std::uint32_t size = handheld_->AppInfoExtraSize();
    const std::uint8_t* bytes = handheld_->AppInfoExtraPtr();
    bool same = desktopHas && desktop_->AppInfoExtraSize() == size &&
                (size == 0 || std::memcmp(desktop_->AppInfoExtraPtr(), bytes, size) == 0);
    if (same) return DB_OK;
    // The handheld's bytes (password digest and hint) win.  They are copied
    // first: SetAppInfoExtra may reallocate the block they live in.
    std::vector<std::uint8_t> copy(bytes, bytes + size);
    return desktop_->SetAppInfoExtra(size, copy.data());
  }
  if (desktopHas) {
    std::uint32_t size = desktop_->AppInfoExtraSize();
    const std::uint8_t* bytes = desktop_->AppInfoExtraPtr();
    std::vector<std::uint8_t> copy(bytes, bytes + size);
    return handheld_->SetAppInfoExtra(size, copy.data());
  }
  return DB_OK;
}

// ---- Reconciling record counts ----------------------------------------------------------------

std::int32_t CSyncEngine::IdPool::Build() {
  try {
    taken.assign(ids.size(), false);
    positions.clear();
    positions.reserve(ids.size());
    for (std::size_t i = ids.size(); i-- > 0;) positions[ids[i]].push_back(static_cast<std::int32_t>(i));
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  return DB_OK;
}

bool CSyncEngine::TakeId(IdPool& pool, std::int32_t id) {
  auto it = pool.positions.find(id);
  if (it == pool.positions.end()) return false;
  // Positions are kept in reverse order: the back is the first one not taken.
  while (!it->second.empty()) {
    std::int32_t position = it->second.back();
    it->second.pop_back();
    if (!pool.taken[static_cast<std::size_t>(position)]) {
      pool.taken[static_cast<std::size_t>(position)] = true;
      return true;
    }
  }
  return false;
}

std::int32_t CSyncEngine::PurgeAndReconcile() {
  std::int32_t rc = handheld_->PurgeDeleted();
  if (rc != DB_OK) {
    if (log_) (void)log_->LogPurgeFailed(rc, ISyncLog::SIDE_HANDHELD);
    return rc;
  }
  rc = desktop_->PurgeDeleted();
  if (rc != DB_OK) {
    if (log_) (void)log_->LogPurgeFailed(rc, ISyncLog::SIDE_DESKTOP);
    return rc;
  }

  std::int32_t handheldCount = 0;
  std::int32_t desktopCount = 0;
  rc = handheld_->GetRecordCount(handheldCount);
  if (rc != DB_OK) return rc;
  rc = desktop_->GetRecordCount(desktopCount);
  if (rc != DB_OK) return rc;
  if (handheldCount == desktopCount) return DB_OK;

  std::vector<std::int32_t> handheldIds;
  IdPool desktopIds;
  try {
    handheldIds.assign(static_cast<std::size_t>(handheldCount) + 1, 0);
    desktopIds.ids.assign(static_cast<std::size_t>(desktopCount) + 1, 0);
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  std::int32_t count = handheldCount + 1;
  rc = handheld_->GetAllIds(handheldIds.data(), &count);
  if (rc != DB_OK) return rc;
  handheldIds.resize(static_cast<std::size_t>(std::max(count, 0)));
  count = desktopCount + 1;
  rc = desktop_->GetAllIds(desktopIds.ids.data(), &count);
  if (rc != DB_OK) return rc;
  desktopIds.ids.resize(static_cast<std::size_t>(std::max(count, 0)));
  rc = desktopIds.Build();
  if (rc != DB_OK) return rc;

  // Records only the handheld has go to the desktop.
  CSyncRecord record;
  for (std::int32_t id : handheldIds) {
    if (TakeId(desktopIds, id)) continue;
    rc = handheld_->GetRecordById(id, record, true);
    if (rc != DB_OK) return rc;
    rc = desktop_->AddRecord(record);
    if (rc != DB_OK) {
      if (log_) (void)log_->LogAddFailed(rc, record, ISyncLog::SIDE_DESKTOP);
      return rc;
    }
  }
  // Records only the desktop has go to the handheld; a new handheld id is
  // written back to the desktop.  An id that stands on more than one desktop
  // record (a damaged file) names the first of them only: each later one is
  // taken from its own slot and goes to the handheld as a new record, so it
  // neither replaces the handheld record of that id nor goes missing.
  std::unordered_set<std::int32_t> seenIds;
  std::vector<std::int32_t> occupiedSlots;
  for (std::size_t i = 0; i < desktopIds.ids.size(); ++i) {
    std::int32_t id = desktopIds.ids[i];
    const bool repeated = !seenIds.insert(id).second;
    if (desktopIds.taken[i]) continue;
    if (repeated) {
      if (occupiedSlots.empty()) {
        for (std::int32_t slot = 0; slot < desktop_->HighWater(); ++slot) {
          if (desktop_->RecordAt(slot) != nullptr) occupiedSlots.push_back(slot);
        }
      }
      if (i >= occupiedSlots.size()) return DB_ERR_RECORD_NOT_FOUND;
      rc = record.CopyFrom(*desktop_->RecordAt(occupiedSlots[i]));
      if (rc != DB_OK) return rc;
      record.SetIndex(occupiedSlots[i]);
      record.SetId(0);
    } else {
      rc = desktop_->GetRecordById(id, record, true);
      if (rc != DB_OK) return rc;
    }
    std::int32_t desktopIndex = record.GetIndex();
    rc = handheld_->AddRecord(record);
    if (rc != DB_OK) {
      if (log_) (void)log_->LogAddFailed(rc, record, ISyncLog::SIDE_HANDHELD);
      return rc;
    }
    if (record.GetId() != id) {
      rc = desktop_->ModifyRecordAt(desktopIndex, record);
      if (rc != DB_OK) return rc;
    }
  }
  return DB_OK;
}

// ---- Archives ---------------------------------------------------------------------------------------

CCategoryList* CSyncEngine::HandheldCategories() {
  if (!handheld_) return nullptr;
  if (handheld_->CategoryTable() == nullptr) (void)handheld_->LoadCategories();
  return handheld_->CategoryTable();
}

std::int32_t CSyncEngine::ArchiveFor(std::int32_t category, CArchiveDb*& archive) {
  archive = nullptr;
  std::int32_t slot = 0;
  std::string fileName;
  if ((featureFlags_ & FEATURE_CATEGORIES) != 0) {
    if (category < 0 || category >= ARCHIVE_SLOTS) return CAT_ERR_BAD_INDEX;
    slot = category;
    if (archives_[static_cast<std::size_t>(slot)]) {
      archive = archives_[static_cast<std::size_t>(slot)].get();
      return DB_OK;
    }
    CCategoryList* categories = HandheldCategories();
    // Without the handheld's table (desktop overwrites handheld before the
    // handheld has any) the desktop's names serve.
    if (categories == nullptr && desktop_) {
      if (desktop_->CategoryTable() == nullptr) (void)desktop_->LoadCategories();
      categories = desktop_->CategoryTable();
    }
    if (categories == nullptr) return DB_ERR_NO_MEMORY;
    const CPCategory* named = categories->GetByIndex(slot);
    if (named == nullptr) {
      slot = 0;
      named = categories->GetByIndex(0);
      if (archives_[0]) {
        archive = archives_[0].get();
        return DB_OK;
      }
    }
    if (named == nullptr) return DB_ERR_NO_MEMORY;
    char longName[256] = {};
    std::int32_t size = static_cast<std::int32_t>(sizeof(longName));
    std::int32_t rc = named->CopyLongName(longName, &size);
    if (rc != DB_OK) return rc;
    fileName = longName;
  } else {
    if (archives_[0]) {
      archive = archives_[0].get();
      return DB_OK;
    }
    fileName = properties_.localFileName;
  }

  std::int32_t rc = CreateArchive(slot, fileName.c_str());
  if (rc != DB_OK) return rc;
  CArchiveDb* created = archives_[static_cast<std::size_t>(slot)].get();
  rc = created->Open();
  if (rc != DB_OK) {
    archives_[static_cast<std::size_t>(slot)].reset();
    return rc;
  }
  if (created->RecordCount() == 0) {
    (void)created->SetDbInfo(EntryName().c_str(), entry_->dbFlags, entry_->type, entry_->creator, entry_->version,
                             entry_->modificationNumber, entry_->creationDate, entry_->modificationDate,
                             entry_->backupDate);
  }
  archive = created;
  return DB_OK;
}

void CSyncEngine::FreeArchives(bool store) {
  for (auto& archive : archives_) {
    if (!archive) continue;
    if (store) (void)archive->Store();
    archive.reset();
  }
}
