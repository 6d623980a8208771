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
    : m_properties(properties), m_featureFlags(featureFlags), m_log(std::move(log)) {
  m_databaseCount = m_properties.databaseCount;
  m_categoryMap.fill(-1);
  (void)CreateLog();
}

CSyncEngine::~CSyncEngine() {
  m_handheld.reset();
  m_desktop.reset();
  m_backup.reset();
  for (auto& archive : m_archives) archive.reset();
  if (m_conduitHandle != 0) {
    (void)SyncUnRegisterConduit(m_conduitHandle);
    m_conduitHandle = 0;
  }
}

std::int32_t CSyncEngine::CreateLog() { return m_log ? DB_OK : DB_ERR_NO_MEMORY; }

std::string CSyncEngine::EntryName() const {
  if (m_entry == nullptr) return std::string();
  return std::string(m_entry->name, ::strnlen(m_entry->name, sizeof(m_entry->name)));
}

CArchiveDb* CSyncEngine::Archive(std::int32_t slot) const {
  if (slot < 0 || slot >= ARCHIVE_SLOTS) return nullptr;
  return m_archives[static_cast<std::size_t>(slot)].get();
}

std::int32_t CSyncEngine::Reserved() { return DB_OK; }

// ---- The HotSync ----------------------------------------------------------------------------

std::int32_t CSyncEngine::Synchronize() {
  if (m_properties.syncType > SyncType::LAST) return DB_ERR_BAD_START_SYNC_TYPE;
  if (m_properties.syncType == SyncType::DO_NOTHING) return DB_OK;

  m_productId.reset(new (std::nothrow) std::uint8_t[PRODUCT_ID_SIZE]);
  if (!m_productId) return DB_ERR_NO_MEMORY;
  std::memset(m_productId.get(), 0, PRODUCT_ID_SIZE);
  m_systemInfo = SyncSystemInfo{};
  m_systemInfo.productIdSize = static_cast<std::uint8_t>(PRODUCT_ID_SIZE);
  m_systemInfo.productId = m_productId.get();
  std::int32_t rc = SyncReadSystemInfo(&m_systemInfo);
  if (rc != DB_OK) return rc;

  rc = Register();
  if (rc != DB_OK) return rc;

  std::int32_t result = DB_OK;
  for (std::int32_t i = 0; i < m_databaseCount && result == DB_OK; ++i) {
    rc = PrepareDatabaseEntry(i);
    if (rc == DB_ERR_NO_MEMORY) break;
    if (rc != DB_OK) {
      result = rc;
      break;
    }
    // Memory running out anywhere in the flow ends it as any failure does:
    // the handheld's database is dropped unwritten, the desktop file and the
    // archives keep what they held (they are replaced whole or not at all).
    try {
      result = SyncDatabase();
    } catch (const std::bad_alloc&) {
      result = DB_ERR_NO_MEMORY;
    }
    // A failed flow leaves the handheld as it was: its open database is
    // dropped unwritten when the conduit unregisters.
    if (result != DB_OK && m_handheld) m_handheld->Abandon();
    (void)DeleteHandheld();
    (void)DeleteDesktop();
    (void)DeleteBackup();
    FreeArchives(result == DB_OK && KeepsArchives(m_properties.syncType));
  }

  std::int32_t unregistered = Unregister(result != DB_OK);
  return result != DB_OK ? result : unregistered;
}

std::int32_t CSyncEngine::SyncDatabase() {
  std::int32_t result = DB_OK;
  switch (m_properties.syncType) {
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
    if (m_properties.syncType == SyncType::HANDHELD_OVERWRITES) {
      result = CopyHandheldToDesktop();
    } else if (m_properties.syncType == SyncType::DESKTOP_OVERWRITES) {
      result = CopyDesktopToHandheld();
    }
    if (result == DB_ERR_SYNC_TYPE_CHANGED) result = DB_ERR_BAD_SYNC_TYPE;  // never handed up
  }
  return result;
}

std::int32_t CSyncEngine::PrepareDatabaseEntry(std::int32_t i) {
  if (i < 0 || i >= m_databaseCount) return DB_ERR_NULL_ARGUMENT;
  if (m_properties.databaseList != nullptr) {
    m_entry = &m_properties.databaseList[i];
    return DB_OK;
  }
  // Without a list the entry is built from the i-th name and the creator and
  // type of the properties.
  if (i >= MAX_DATABASE_NAMES || m_properties.databaseNames[i] == nullptr) return DB_ERR_NULL_ARGUMENT;
  m_builtEntry = DatabaseListEntry{};
  m_builtEntry.type = m_properties.type;
  m_builtEntry.creator = m_properties.creator;
  std::strncpy(m_builtEntry.name, m_properties.databaseNames[i], sizeof(m_builtEntry.name) - 1);
  m_entry = &m_builtEntry;
  return DB_OK;
}

std::int32_t CSyncEngine::Register() {
  std::int32_t rc = SyncRegisterConduit(&m_conduitHandle);
  if (rc != DB_OK) {
    m_conduitHandle = 0;
    return rc;
  }
  if (m_log) (void)m_log->LogSyncStart();
  return DB_OK;
}

std::int32_t CSyncEngine::Unregister(bool failed) {
  if (m_log) (void)m_log->LogSyncEnd(failed);
  std::int32_t rc = SyncUnRegisterConduit(m_conduitHandle);
  m_conduitHandle = 0;
  return rc;
}

// ---- Managers ---------------------------------------------------------------------------------

std::int32_t CSyncEngine::DeleteHandheld() {
  m_handheld.reset();
  return DB_OK;
}

std::int32_t CSyncEngine::DeleteDesktop() {
  m_desktop.reset();
  return DB_OK;
}

std::int32_t CSyncEngine::DeleteBackup() {
  m_backup.reset();
  m_backupUsable = false;
  return DB_OK;
}

// The managers' constructors copy names and paths: memory running out while a
// manager is made, as while it is allocated, is DB_ERR_NO_MEMORY.
std::int32_t CSyncEngine::CreateHandheld() {
  m_handheld.reset();
  if (m_entry == nullptr) return DB_ERR_NULL_ARGUMENT;
  try {
    const std::string name = EntryName();
    // The entry's fields are packed: copies, not references, go to the constructor.
    const auto creator = m_entry->creator;
    const auto type = m_entry->type;
    const auto dbFlags = m_entry->dbFlags;
    const auto cardNumber = m_entry->cardNumber;
    m_handheld = std::make_unique<CHandheldDb>(m_log.get(), m_featureFlags, name.c_str(), creator, type, dbFlags,
                                              0, cardNumber, m_properties.syncType);
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  return m_handheld->Open();
}

std::int32_t CSyncEngine::CreateDesktop() {
  m_desktop.reset();
  if (m_entry == nullptr) return DB_ERR_NULL_ARGUMENT;
  try {
    const std::string name = EntryName();
    m_desktop = std::make_unique<CDesktopDb>(m_log.get(), m_featureFlags, name.c_str(), m_properties.localFileName,
                                            m_properties.directory, m_properties.syncType);
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  return m_desktop->Open();
}

std::int32_t CSyncEngine::CreateBackup() {
  m_backup.reset();
  m_backupUsable = false;
  if (m_entry == nullptr) return DB_ERR_NULL_ARGUMENT;
  try {
    const std::string name = EntryName();
    const auto make = [&] {
      return std::make_unique<CBackupDb>(m_log.get(), m_featureFlags, name.c_str(), m_properties.localFileName,
                                         m_properties.directory, m_properties.syncType);
    };
    m_backup = make();
    if (m_backup->Open() != DB_OK) {
      // The backup only tells a slow HotSync which handheld records changed.  A
      // damaged one is left unused (and replaced at the end) rather than making
      // every slow HotSync of this database fail.
      m_backup = make();
      return DB_OK;
    }
  } catch (const std::bad_alloc&) {
    m_backup.reset();
    return DB_ERR_NO_MEMORY;
  }
  m_backupUsable = m_properties.syncType == SyncType::SLOW && m_backup->IsLoaded();
  return DB_OK;
}

std::int32_t CSyncEngine::CreateArchive(std::int32_t slot, const char* fileName) {
  if (slot < 0 || slot >= ARCHIVE_SLOTS) return CAT_ERR_BAD_INDEX;
  if (m_entry == nullptr) return DB_ERR_NULL_ARGUMENT;
  auto& target = m_archives[static_cast<std::size_t>(slot)];
  try {
    const std::string name = EntryName();
    target = std::make_unique<CArchiveDb>(m_log.get(), m_featureFlags, name.c_str(), fileName, m_properties.directory);
  } catch (const std::bad_alloc&) {
    target.reset();
    return DB_ERR_NO_MEMORY;
  }
  return DB_OK;
}

std::int32_t CSyncEngine::OpenAll() {
  m_categoriesRemapped = 0;
  m_categoryMap.fill(-1);
  std::int32_t rc = DB_OK;

  // Desktop overwrites handheld deletes the handheld database when it opens
  // it: the desktop file is opened and read first, so that a missing or
  // unreadable desktop file ends the HotSync with the handheld untouched.
  bool desktopFirst = OverwritesHandheld(m_properties.syncType);
  if (desktopFirst) {
    rc = CreateDesktop();
    if (rc == DB_OK) rc = m_desktop->Load();
    if (rc != DB_OK) return rc;
  }

  rc = CreateHandheld();
  if (rc == DB_ERR_HANDHELD_DB_MISSING) {
    if (m_properties.syncType == SyncType::FAST || m_properties.syncType == SyncType::SLOW) {
      m_properties.syncType = SyncType::DESKTOP_OVERWRITES;
      return DB_ERR_SYNC_TYPE_CHANGED;
    }
    return rc;
  }
  if (rc != DB_OK) return rc;

  if (!desktopFirst) {
    rc = CreateDesktop();
    if (rc == DB_ERR_DESKTOP_FILE_MISSING &&
        (m_properties.syncType == SyncType::FAST || m_properties.syncType == SyncType::SLOW)) {
      m_properties.syncType = SyncType::HANDHELD_OVERWRITES;
      return DB_ERR_SYNC_TYPE_CHANGED;
    }
    if (rc != DB_OK) return rc;
  }

  return CreateBackup();
}

// ---- Flows ---------------------------------------------------------------------------------------

std::int32_t CSyncEngine::HandheldPass(bool slow) {
  CSyncRecord record;
  std::int32_t rc = slow ? m_handheld->FirstRecord(record) : m_handheld->FirstModified(record);
  while (rc == DB_OK) {
    rc = SyncHandheldRecord(record);
    if (rc != DB_OK) return rc;
    rc = m_handheld->NextRecord(record);
  }
  return rc == DB_ERR_NOT_FOUND ? DB_OK : rc;
}

std::int32_t CSyncEngine::DesktopPass(bool slow) {
  CSyncRecord record;
  std::int32_t rc = slow ? m_desktop->FirstPending(record) : m_desktop->FirstModified(record);
  while (rc == DB_OK) {
    rc = SyncDesktopRecord(record);
    if (rc != DB_OK) return rc;
    rc = m_desktop->NextRecord(record);
  }
  return rc == DB_ERR_NOT_FOUND ? DB_OK : rc;
}

std::int32_t CSyncEngine::StoreArchives() {
  for (auto& archive : m_archives) {
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
  m_desktop->HoldCommit(true);
  std::int32_t rc = m_desktop->Store();
  m_desktop->HoldCommit(false);
  if (rc != DB_OK) return rc;

  std::vector<FileSnapshot> snapshots;
  rc = SnapshotArchives(snapshots);
  if (rc == DB_OK && KeepsArchives(m_properties.syncType)) rc = StoreArchives();
  if (rc != DB_OK) {
    RestoreSnapshots(snapshots);
    return rc;
  }

  rc = m_handheld->Store();
  if (rc != DB_OK) return rc;  // the desktop's new file is dropped with its manager
  rc = m_desktop->CommitHeld();
  if (rc != DB_OK) return rc;
  return m_backup ? m_backup->Store() : DB_OK;
}

std::int32_t CSyncEngine::SnapshotArchives(std::vector<FileSnapshot>& snapshots) {
  try {
    for (auto& archive : m_archives) {
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
  if (rc == DB_OK) rc = m_handheld->Load();
  if (rc == DB_OK) rc = m_desktop->Load();
  if (rc == DB_OK) rc = HandheldPass(false);
  if (rc == DB_OK) rc = DesktopPass(false);
  if (rc == DB_OK) rc = PurgeAndReconcile();
  if (rc == DB_OK) rc = StoreAll();
  return rc;
}

std::int32_t CSyncEngine::SlowSync() {
  std::int32_t rc = OpenAll();
  if (rc == DB_OK) rc = SyncAppInfo();
  if (rc == DB_OK) rc = m_handheld->Load();
  if (rc == DB_OK) rc = m_desktop->Load();
  if (rc == DB_OK) rc = HandheldPass(true);
  if (rc == DB_OK) rc = DesktopPass(true);
  if (rc == DB_OK) rc = PurgeAndReconcile();
  if (rc == DB_OK) rc = StoreAll();
  return rc;
}

std::int32_t CSyncEngine::CopyHandheldToDesktop() {
  std::int32_t rc = OpenAll();
  if (rc != DB_OK) return rc;
  (void)m_desktop->SetDbInfo(EntryName().c_str(), m_entry->dbFlags, m_entry->type, m_entry->creator, m_entry->version,
                            m_entry->modificationNumber, m_entry->creationDate, m_entry->modificationDate,
                            m_entry->backupDate);
  rc = m_handheld->Load();
  if (rc == DB_OK) rc = m_desktop->Load();
  if (rc == DB_OK) rc = CopyAppInfoToDesktop();
  if (rc != DB_OK) return rc;

  CSyncRecord record;
  CSyncRecord empty;
  rc = m_handheld->FirstRecord(record);
  while (rc == DB_OK) {
    std::int32_t action = HandheldToDesktopAction(SyncKey(record.GetSyncStatus(), 0));
    empty.Clear();
    rc = ApplyActions(action, record, empty);
    if (rc != DB_OK) return rc;
    rc = m_handheld->NextRecord(record);
  }
  // The desktop is replaced whole: a record that could not be read would be
  // missing from it, so a read error ends the flow without storing anything.
  if (rc != DB_ERR_NOT_FOUND) return rc;
  // The handheld's archived records are in their archives now; purging them
  // keeps the next HotSync from archiving them a second time.  (Sync type 5
  // leaves the handheld as it is for another desktop.)
  if (m_properties.syncType == SyncType::HANDHELD_OVERWRITES) {
    rc = m_handheld->PurgeDeleted();
    if (rc != DB_OK) return rc;
  }
  return StoreAll();
}

std::int32_t CSyncEngine::CopyDesktopToHandheld() {
  std::int32_t rc = OpenAll();
  if (rc == DB_OK) rc = m_handheld->Load();
  if (rc == DB_OK) rc = m_desktop->Load();
  if (rc == DB_OK) rc = CopyAppInfoToHandheld();
  if (rc != DB_OK) return rc;

  CSyncRecord record;
  CSyncRecord empty;
  rc = m_desktop->FirstRecord(record);
  while (rc == DB_OK) {
    std::int32_t action = DesktopToHandheldAction(record.GetSyncStatus());
    empty.Clear();
    rc = ApplyActions(action, empty, record);
    if (rc != DB_OK) return rc;
    rc = m_desktop->NextRecord(record);
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
  if ((m_featureFlags & FEATURE_APP_INFO) == 0) return DB_OK;
  std::int32_t rc = CopyAppInfo(*m_handheld, *m_desktop);
  // A handheld database without an application-info block leaves the desktop
  // without one as well.
  if (rc == SyncStatus::SYNC_ERR_NOT_FOUND || rc == DB_ERR_NO_APP_INFO_BLOCK || rc == DB_ERR_NO_APP_INFO) return DB_OK;
  return rc;
}

std::int32_t CSyncEngine::CopyAppInfoToHandheld() {
  if ((m_featureFlags & FEATURE_APP_INFO) == 0) return DB_OK;
  std::int32_t rc = CopyAppInfo(*m_desktop, *m_handheld);
  if (rc == DB_ERR_NO_APP_INFO_BLOCK || rc == DB_ERR_NO_APP_INFO) return DB_OK;
  return rc;
}

std::int32_t CSyncEngine::SyncAppInfo() {
  if ((m_featureFlags & FEATURE_APP_INFO) == 0) return DB_OK;

  const std::int32_t handheldLoaded = m_handheld->LoadCategories();
  if (handheldLoaded == DB_ERR_NO_CATEGORY_BLOCK) return DB_OK;
  const bool handheldHasNone = handheldLoaded == DB_ERR_NO_APP_INFO || handheldLoaded == SyncStatus::SYNC_ERR_NOT_FOUND;
  if (handheldLoaded != DB_OK && !handheldHasNone) return handheldLoaded;

  const std::int32_t desktopLoaded = m_desktop->LoadCategories();
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
    rc = m_handheld->LoadCategories();
    if (rc == DB_ERR_NO_APP_INFO || rc == SyncStatus::SYNC_ERR_NOT_FOUND) rc = DB_OK;
    if (rc != DB_OK) return rc;
  }
  if (desktopHasNone) {
    // A desktop file without application information (an empty file, or one
    // written before the handheld had any) takes the handheld's whole block
    // instead of failing every HotSync of the database.
    rc = CopyAppInfoToDesktop();
    if (rc != DB_OK) return rc;
    rc = m_desktop->CategoriesFromAppInfo();
    if (rc == DB_ERR_NO_APP_INFO) rc = DB_OK;
    if (rc != DB_OK) return rc;
  }

  if (m_handheld->UsesCategories() && m_desktop->UsesCategories() && m_handheld->CategoryTable() != nullptr &&
      m_desktop->CategoryTable() != nullptr) {
    rc = SyncCategories();
    if (rc != DB_OK) return rc;
  }

  rc = SyncAppInfoExtra();
  if (rc != DB_OK) return rc;

  rc = m_handheld->StoreCategories();
  if (rc != DB_OK) return rc;
  return m_desktop->StoreCategories();
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
  if (PasswordDigestOf(*m_handheld) == PasswordDigestOf(*m_desktop)) return DB_OK;
  std::int32_t desktopCount = 0;
  if (m_desktop->GetRecordCount(desktopCount) == DB_OK && desktopCount == 0) return DB_OK;
  if (m_log) (void)m_log->LogPasswordMismatch();
  return DB_ERR_PASSWORD_MISMATCH;
}

std::int32_t CSyncEngine::SyncAppInfoExtra() {
  bool handheldHas = m_handheld->HasAppInfoExtra();
  bool desktopHas = m_desktop->HasAppInfoExtra();
  if (handheldHas) {
    std::uint32_t size = m_handheld->AppInfoExtraSize();
    const std::uint8_t* bytes = m_handheld->AppInfoExtraPtr();
    bool same = desktopHas && m_desktop->AppInfoExtraSize() == size &&
                (size == 0 || std::memcmp(m_desktop->AppInfoExtraPtr(), bytes, size) == 0);
    if (same) return DB_OK;
    // The handheld's bytes (password digest and hint) win.  They are copied
    // first: SetAppInfoExtra may reallocate the block they live in.
    std::vector<std::uint8_t> copy(bytes, bytes + size);
    return m_desktop->SetAppInfoExtra(size, copy.data());
  }
  if (desktopHas) {
    std::uint32_t size = m_desktop->AppInfoExtraSize();
    const std::uint8_t* bytes = m_desktop->AppInfoExtraPtr();
    std::vector<std::uint8_t> copy(bytes, bytes + size);
    return m_handheld->SetAppInfoExtra(size, copy.data());
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
  std::int32_t rc = m_handheld->PurgeDeleted();
  if (rc != DB_OK) {
    if (m_log) (void)m_log->LogPurgeFailed(rc, ISyncLog::SIDE_HANDHELD);
    return rc;
  }
  rc = m_desktop->PurgeDeleted();
  if (rc != DB_OK) {
    if (m_log) (void)m_log->LogPurgeFailed(rc, ISyncLog::SIDE_DESKTOP);
    return rc;
  }

  std::int32_t handheldCount = 0;
  std::int32_t desktopCount = 0;
  rc = m_handheld->GetRecordCount(handheldCount);
  if (rc != DB_OK) return rc;
  rc = m_desktop->GetRecordCount(desktopCount);
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
  rc = m_handheld->GetAllIds(handheldIds.data(), &count);
  if (rc != DB_OK) return rc;
  handheldIds.resize(static_cast<std::size_t>(std::max(count, 0)));
  count = desktopCount + 1;
  rc = m_desktop->GetAllIds(desktopIds.ids.data(), &count);
  if (rc != DB_OK) return rc;
  desktopIds.ids.resize(static_cast<std::size_t>(std::max(count, 0)));
  rc = desktopIds.Build();
  if (rc != DB_OK) return rc;

  // Records only the handheld has go to the desktop.
  CSyncRecord record;
  for (std::int32_t id : handheldIds) {
    if (TakeId(desktopIds, id)) continue;
    rc = m_handheld->GetRecordById(id, record, true);
    if (rc != DB_OK) return rc;
    rc = m_desktop->AddRecord(record);
    if (rc != DB_OK) {
      if (m_log) (void)m_log->LogAddFailed(rc, record, ISyncLog::SIDE_DESKTOP);
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
        for (std::int32_t slot = 0; slot < m_desktop->HighWater(); ++slot) {
          if (m_desktop->RecordAt(slot) != nullptr) occupiedSlots.push_back(slot);
        }
      }
      if (i >= occupiedSlots.size()) return DB_ERR_RECORD_NOT_FOUND;
      rc = record.CopyFrom(*m_desktop->RecordAt(occupiedSlots[i]));
      if (rc != DB_OK) return rc;
      record.SetIndex(occupiedSlots[i]);
      record.SetId(0);
    } else {
      rc = m_desktop->GetRecordById(id, record, true);
      if (rc != DB_OK) return rc;
    }
    std::int32_t desktopIndex = record.GetIndex();
    rc = m_handheld->AddRecord(record);
    if (rc != DB_OK) {
      if (m_log) (void)m_log->LogAddFailed(rc, record, ISyncLog::SIDE_HANDHELD);
      return rc;
    }
    if (record.GetId() != id) {
      rc = m_desktop->ModifyRecordAt(desktopIndex, record);
      if (rc != DB_OK) return rc;
    }
  }
  return DB_OK;
}

// ---- Archives ---------------------------------------------------------------------------------------

CCategoryList* CSyncEngine::HandheldCategories() {
  if (!m_handheld) return nullptr;
  if (m_handheld->CategoryTable() == nullptr) (void)m_handheld->LoadCategories();
  return m_handheld->CategoryTable();
}

std::int32_t CSyncEngine::ArchiveFor(std::int32_t category, CArchiveDb*& archive) {
  archive = nullptr;
  std::int32_t slot = 0;
  std::string fileName;
  if ((m_featureFlags & FEATURE_CATEGORIES) != 0) {
    if (category < 0 || category >= ARCHIVE_SLOTS) return CAT_ERR_BAD_INDEX;
    slot = category;
    if (m_archives[static_cast<std::size_t>(slot)]) {
      archive = m_archives[static_cast<std::size_t>(slot)].get();
      return DB_OK;
    }
    CCategoryList* categories = HandheldCategories();
    // Without the handheld's table (desktop overwrites handheld before the
    // handheld has any) the desktop's names serve.
    if (categories == nullptr && m_desktop) {
      if (m_desktop->CategoryTable() == nullptr) (void)m_desktop->LoadCategories();
      categories = m_desktop->CategoryTable();
    }
    if (categories == nullptr) return DB_ERR_NO_MEMORY;
    const CPCategory* named = categories->GetByIndex(slot);
    if (named == nullptr) {
      slot = 0;
      named = categories->GetByIndex(0);
      if (m_archives[0]) {
        archive = m_archives[0].get();
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
    if (m_archives[0]) {
      archive = m_archives[0].get();
      return DB_OK;
    }
    fileName = m_properties.localFileName;
  }

  std::int32_t rc = CreateArchive(slot, fileName.c_str());
  if (rc != DB_OK) return rc;
  CArchiveDb* created = m_archives[static_cast<std::size_t>(slot)].get();
  rc = created->Open();
  if (rc != DB_OK) {
    m_archives[static_cast<std::size_t>(slot)].reset();
    return rc;
  }
  if (created->RecordCount() == 0) {
    (void)created->SetDbInfo(EntryName().c_str(), m_entry->dbFlags, m_entry->type, m_entry->creator, m_entry->version,
                             m_entry->modificationNumber, m_entry->creationDate, m_entry->modificationDate,
                             m_entry->backupDate);
  }
  archive = created;
  return DB_OK;
}

void CSyncEngine::FreeArchives(bool store) {
  for (auto& archive : m_archives) {
    if (!archive) continue;
    if (store) (void)archive->Store();
    archive.reset();
  }
}
