#pragma once
// CBackupDb: the backup file (".BAK"), a byte-for-byte copy of the desktop
// record file as it stood at the end of the last HotSync.  A slow HotSync reads
// it so that the synchronizer can tell which desktop records changed since
// then; every HotSync ends by copying the new desktop file onto it.

#include <cstdint>
#include <string>

#include "dbfiles/DesktopDb.h"

class CBackupDb : public CDesktopDb {
 public:
  // Same arguments as the desktop manager.  The source path is the desktop
  // file's path; the backup's is that path with its extension replaced by
  // ".BAK" (appended when it has none).
  CBackupDb(ISyncLog* log, std::int32_t dbFlags, const char* dbName, const char* fileName,
            const char* directory, std::int32_t syncType);

  // Only a slow HotSync before the first Store reads the backup (a missing
  // backup is an empty one); every other case opens nothing.
  std::int32_t OpenPerSyncType() override;
  // The first call loads the open backup in a slow HotSync; no open file is
  // not an error.
  std::int32_t Load() override;
  // Closes the backup and copies the desktop file onto it (through a
  // temporary file and a rename): DB_ERR_BACKUP_COPY_FAILED when that fails.
  std::int32_t Store() override;
  std::int32_t Close(std::int32_t flag) override;

  const std::string& SourcePath() const { return m_sourcePath; }

 private:
  std::string m_sourcePath;
};
