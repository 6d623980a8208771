// The conduit library's entry points and its load and unload handling.

#include "conduit/ConduitEntry.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "conduit/ActionDialog.h"
#include "conduit/ActionDialogHost.h"
#include "conduit/ConduitDialogs.h"
#include "conduit/ConduitModule.h"
#include "conduit/ConduitStrings.h"
#include "conduit/SyncLog.h"
#include "dbfiles/CompanionFileName.h"
#include "dbfiles/DesktopDb.h"
#include "dbfiles/ResultCodes.h"
#include "dbfiles/SyncType.h"
#include "platform/files/FileLock.h"
#include "platform/files/FileSystem.h"
#include "platform/files/StaleTemporaries.h"
#include "sync/SyncEngine.h"

namespace {

// Loading and unloading the library are the process attach and detach.
__attribute__((constructor)) void LibraryLoaded() { ConduitProcessAttach(); }
__attribute__((destructor)) void LibraryUnloaded() { ConduitProcessDetach(); }

constexpr std::uint32_t NAME_BUFFER_SIZE = 256;
constexpr std::uint32_t MAX_NAME_SIZE = 0xFFFF;

std::int32_t LoadName(char* buffer, std::uint32_t size) {
  if (size > static_cast<std::uint32_t>(INT32_MAX)) size = INT32_MAX;
  return LoadStringA(ConduitResourceInstance(), IDS_CONDUIT_NAME, buffer, static_cast<std::int32_t>(size));
}

// A text field of the sync properties, which need not end with a NUL.
std::string Field(const char* field, std::size_t size) {
  return std::string(field, ::strnlen(field, size));
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Takes the lock of the desktop file for the whole HotSync: the desktop file,
// its backup and its archives are written under it, by this HotSync alone; the
// quillet tool and other HotSyncs of the same folder take the same lock.  Then
// removes the temporary files that killed writers left for any of them.
// DB_OK, or DB_ERR_OPEN_FAILED after logging that the file is in use.
std::int32_t LockDesktopFiles(const SyncProperties& properties, CFileLock& lock) {
  const std::string directory = Field(properties.directory, sizeof properties.directory);
  const std::string fileName = Field(properties.localFileName, sizeof properties.localFileName);
  const std::string path = CDesktopDb::BuildPath(directory.c_str(), fileName.c_str());
  // Without a path the synchronizer fails on its own, and reports it.
  if (path.empty()) return DB_OK;
  switch (lock.Acquire(path)) {
    case CFileLock::LOCK_OK:
      break;
    case CFileLock::LOCK_BUSY: {
      CSyncLog log(ConduitResources());
      (void)log.LogFileInUse(path.c_str());
      (void)log.LogSyncEnd(true);
      return DB_ERR_OPEN_FAILED;
    }
    case CFileLock::LOCK_FAILED:
      // No lock file can be made: the folder is missing or cannot be written,
      // so neither can the files, and the synchronizer reports that as it
      // always has.
      return DB_OK;
  }
  const auto nameOf = [](const std::string& file) { return file.substr(file.find_last_of('/') + 1); };
  const std::string desktopName = nameOf(path);
  const std::string backupName = nameOf(CompanionFileName(path, BACKUP_EXTENSION));
  Files::RemoveStaleTemporaries(Files::FolderOf(path), [&](std::string_view name) {
    return name == desktopName || name == backupName || EndsWith(name, ARCHIVE_EXTENSION);
  });
  return DB_OK;
}

}  // namespace

extern "C" std::int32_t OpenConduit(ConduitProgressFn progress, SyncProperties* properties) {
  if (progress == nullptr || properties == nullptr) return -1;
  try {
    // A HotSync that does nothing, or that the synchronizer refuses at once,
    // touches no file and needs no lock.
    CFileLock lock;
    const std::int32_t syncType = properties->syncType;
    if (syncType >= SyncType::FAST && syncType <= SyncType::LAST && syncType != SyncType::DO_NOTHING) {
      if (const std::int32_t rc = LockDesktopFiles(*properties, lock); rc != DB_OK) return rc;
    }
    // A log that cannot be made leaves the HotSync unreported, not undone.
    std::unique_ptr<ISyncLog> log(new (std::nothrow) CSyncLog(ConduitResources()));
    auto engine = std::make_unique<CSyncEngine>(*properties, CSyncEngine::FEATURES_CONDUIT, std::move(log));
    return engine->Synchronize();
  } catch (const std::bad_alloc&) {
    // The synchronizer could not be created.
    return -1;
  }
}

extern "C" std::int32_t GetConduitName(char* name, std::uint32_t size) {
  if (size > MAX_NAME_SIZE) size = MAX_NAME_SIZE;
  return LoadName(name, size) > 0 ? 0 : -1;
}

extern "C" std::int32_t GetConduitVersion(void) { return CONDUIT_VERSION; }

extern "C" std::int32_t GetConduitInfo(std::int32_t infoType, void* input, void* output,
                                       std::uint32_t* outputSize) {
  if (output == nullptr) return CONDUIT_ERR_NULL_OUTPUT;
  if (outputSize == nullptr) return CONDUIT_ERR_NULL_OUTPUT_SIZE;
  switch (infoType) {
    case CONDUIT_INFO_NAME: {
      if (input == nullptr) return CONDUIT_ERR_NULL_BLOCK;
      // Only the version and size are read: a block that is not the 80-byte
      // request may be shorter than one.
      std::int32_t header[2];
      std::memcpy(header, input, sizeof header);
      if (header[0] != CONDUIT_REQUEST_VERSION || header[1] != CONDUIT_REQUEST_SIZE) {
        return CONDUIT_ERR_BAD_REQUEST;
      }
      return LoadName(static_cast<char*>(output), *outputSize) > 0 ? 0 : CONDUIT_ERR_NO_NAME;
    }
    case CONDUIT_INFO_MFC_VERSION:
    case CONDUIT_INFO_DEFAULT_ACTION: {
      if (*outputSize != sizeof(std::uint32_t)) return CONDUIT_ERR_BAD_OUTPUT_SIZE;
      std::uint32_t value = infoType == CONDUIT_INFO_MFC_VERSION ? CONDUIT_MFC_VERSION_VALUE
                                                                 : static_cast<std::uint32_t>(SYNC_TYPE_FAST);
      std::memcpy(output, &value, sizeof value);
      return 0;
    }
    default:
      return CONDUIT_ERR_UNKNOWN_INFO_TYPE;
  }
}

extern "C" std::int32_t CfgConduit(std::int32_t configType, void* block, std::uint32_t* blockSize) {
  if (block == nullptr) return CONDUIT_ERR_NULL_BLOCK;
  if (blockSize == nullptr) return CONDUIT_ERR_NULL_SIZE;
  if (*blockSize != static_cast<std::uint32_t>(CONDUIT_CONFIG_SIZE)) return CONDUIT_ERR_BAD_CONFIG_SIZE;
  if (configType != CONDUIT_CFG_STANDARD) return CONDUIT_ERR_BAD_CONFIG_TYPE;
  auto* config = static_cast<ConduitConfigBlock*>(block);
  if (config->version != CONDUIT_CONFIG_VERSION) return CONDUIT_ERR_BAD_CONFIG_VERSION;

  ConduitRequestBlock request{};
  request.version = CONDUIT_REQUEST_VERSION;
  request.size = CONDUIT_REQUEST_SIZE;
  request.creator = config->creator;
  request.userId = config->userId;
  std::memcpy(request.userName, config->userName, sizeof request.userName);
  char name[NAME_BUFFER_SIZE];
  std::uint32_t nameSize = sizeof name;
  std::int32_t result = GetConduitInfo(CONDUIT_INFO_NAME, &request, name, &nameSize);
  if (result != 0) return result;

  // OK and Cancel both return 0; a dialog that cannot be shown at all (no
  // display, no dialog resource) returns -1 with the block unchanged.
  return RunActionDialog(IDD_ACTION_FULL, config) < 0 ? -1 : 0;
}

extern "C" std::int32_t ConfigureConduit(SyncPreferenceBlock* preferences) {
  if (preferences == nullptr) return -1;
  ConduitConfigBlock config{};
  config.version = CONDUIT_CONFIG_VERSION;
  config.size = CONDUIT_CONFIG_SIZE;
  config.defaultSyncType = preferences->syncType;
  config.nextSyncType = preferences->syncType;
  config.chosenSyncType = preferences->syncType;
  config.preference = SYNC_PREF_TEMPORARY;
  if (RunActionDialog(IDD_ACTION_SHORT, &config) != CActionDialog::RESULT_OK) return -1;
  preferences->syncType = config.chosenSyncType;
  preferences->preference = config.preference;
  return 0;
}
