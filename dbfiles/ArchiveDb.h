#pragma once
// CArchiveDb: one archive file (".ARC") beside the desktop record file, in the
// same layout.  Records that leave the databases with the archive mark are
// added to the archive of their category; each HotSync that archives reads the
// archive, adds the new records and writes it back whole.  Its sync type is
// always fast (0); the first-open flag chooses between reading the existing
// archive and rewriting it.

#include <cstdint>

#include "dbfiles/DesktopDb.h"

class CArchiveDb : public CDesktopDb {
 public:
  // The path is the desktop path built from `directory` and `fileName` with
  // its extension replaced by ".ARC" (appended when it has none).
  CArchiveDb(ISyncLog* log, std::int32_t dbFlags, const char* dbName, const char* fileName,
             const char* directory);

  // Before the first Store: reads an existing archive (loading it at once); a
  // missing archive is an empty one.  After it: opens the file for rewriting.
  std::int32_t OpenPerSyncType() override;
  // The first call loads the open file; later calls return 0.
  std::int32_t Load() override;
  // Writes the archive (when something changed) and closes it.
  std::int32_t Store() override;
  std::int32_t Close(std::int32_t flag) override;
};
