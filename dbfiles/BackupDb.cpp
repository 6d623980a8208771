#include "dbfiles/BackupDb.h"

#include "dbfiles/CompanionFileName.h"
#include "dbfiles/ResultCodes.h"
#include "dbfiles/SyncType.h"

CBackupDb::CBackupDb(ISyncLog* log, std::int32_t dbFlags, const char* dbName, const char* fileName,
                     const char* directory, std::int32_t syncType)
    : CDesktopDb(log, dbFlags, dbName, fileName, directory, syncType), m_sourcePath(Path()) {
  SetPath(CompanionFileName(m_sourcePath, BACKUP_EXTENSION));
}

std::int32_t CBackupDb::OpenPerSyncType() {
  if (SyncType() != SyncType::SLOW || !IsFirstOpen()) return DB_OK;
  std::int32_t rc = OpenFile(OPEN_READ);
  if (rc != DB_OK) return LastOpenFoundNoFile() ? DB_OK : rc;
  return Load();
}

std::int32_t CBackupDb::Load() {
  if (IsLoaded()) return DB_OK;
  SetLoaded(true);
  if (SyncType() != SyncType::SLOW) return DB_OK;
  std::int32_t rc = LoadFile();
  return rc == DB_ERR_FILE_NOT_OPEN ? DB_OK : rc;
}

std::int32_t CBackupDb::Store() {
  CloseFile();
  return CopyFile(m_sourcePath, Path(), false) ? DB_OK : DB_ERR_BACKUP_COPY_FAILED;
}

std::int32_t CBackupDb::Close(std::int32_t /*flag*/) {
  CloseFile();
  return DB_OK;
}
