#include "dbfiles/ArchiveDb.h"

#include "dbfiles/CompanionFileName.h"
#include "dbfiles/ResultCodes.h"
#include "dbfiles/SyncType.h"

CArchiveDb::CArchiveDb(ISyncLog* log, std::int32_t dbFlags, const char* dbName, const char* fileName,
                       const char* directory)
    : CDesktopDb(log, dbFlags, dbName, fileName, directory, SyncType::FAST) {
  SetPath(CompanionFileName(Path(), ARCHIVE_EXTENSION));
}

std::int32_t CArchiveDb::OpenPerSyncType() {
  if (!IsFirstOpen()) {
    SetDirty(true);
    return OpenFile(OPEN_CREATE);
  }
  std::int32_t rc = OpenFile(OPEN_READ);
  if (rc != DB_OK) return LastOpenFoundNoFile() ? DB_OK : rc;
  return Load();
}

std::int32_t CArchiveDb::Load() {
  if (IsLoaded()) return DB_OK;
  SetLoaded(true);
  return LoadFile();
}

std::int32_t CArchiveDb::Store() {
  SetFirstOpen(false);
  std::int32_t rc = StoreFile();
  CloseFile();
  return rc;
}

std::int32_t CArchiveDb::Close(std::int32_t /*flag*/) {
  CloseFile();
  return DB_OK;
}
