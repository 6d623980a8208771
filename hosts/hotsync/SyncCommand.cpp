// quillet-hotsync sync: one HotSync of a handheld with this desktop.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "conduit/ConduitBlocks.h"
#include "dbfiles/ResultCodes.h"
#include "handheld/Device.h"
#include "handheld/HandheldResult.h"
#include "hosts/hotsync/Commands.h"
#include "hosts/hotsync/ConduitLibrary.h"
#include "hosts/hotsync/HotSyncPaths.h"
#include "hosts/hotsync/HotSyncSettings.h"
#include "hosts/hotsync/LogText.h"
#include "hosts/hotsync/SyncActions.h"
#include "platform/files/FileLock.h"
#include "platform/files/FileSystem.h"
#include "platform/hslog20/HsLog.h"
#include "platform/sync20/SyncLibrary.h"
#include "sync/SyncProperties.h"
#include "tools/common/ArgParser.h"
#include "tools/common/ExitStatus.h"
#include "tools/common/ToolText.h"

namespace {

constexpr const char* COMMAND = "quillet-hotsync sync";

// Values of the first-sync indicator the conduit's category merge reads.
//  2: the handheld was never synchronised (its last PC id is 0).  Neither
//     side's categories can have been deleted "since the last HotSync", so
//     no category may be taken as deleted on either side.
//  1: the handheld last synchronised with another desktop: its categories are
//     all taken as renamed, so none of them is dropped because this desktop
//     does not know it.
//  0: the handheld last synchronised with this desktop.
constexpr std::int32_t FIRST_SYNC_NEVER = 2;
constexpr std::int32_t FIRST_SYNC_OTHER_PC = 1;
constexpr std::int32_t FIRST_SYNC_NONE = 0;

// The HotSync Manager's progress callback; the conduit only tests it.
void Progress(const char* /*text*/) {}

int Fail(std::ostream& err, int status, const std::string& message) {
  err << COMMAND << ": " << message << '\n';
  return status;
}

bool CopyField(char* field, std::size_t size, const std::string& text) {
  if (text.size() >= size || text.find('\0') != std::string::npos) return false;
  std::memcpy(field, text.c_str(), text.size() + 1);
  return true;
}

// The device's entry of the memo database, when the device has one.
bool FindMemoDatabase(const CDevice& device, DatabaseListEntry& entry) {
  std::vector<CDevice::DatabaseEntry> databases;
  if (device.ListDatabases(databases) != HandheldResult::HH_OK) return false;
  for (const CDevice::DatabaseEntry& database : databases) {
    const CPdbFile::Info& info = database.info;
    if (info.name != MEMO_DB_NAME) continue;
    entry = DatabaseListEntry{};
    entry.cardNumber = device.CardNumber();
    entry.dbFlags = info.attributes;
    entry.type = info.type;
    std::memcpy(entry.name, info.name.c_str(), info.name.size() + 1);
    entry.creator = info.creator;
    entry.version = info.version;
    entry.modificationNumber = info.modificationNumber;
    entry.creationDate = info.creationDate;
    entry.modificationDate = info.modificationDate;
    entry.backupDate = info.backupDate;
    return true;
  }
  return false;
}

// Takes the device's lock (the one quillet-handheld takes for each change) for
// the whole HotSync, and clears away the temporary files that killed writers
// left for the device's files.  OK; CANNOT_OPEN after a message when another
// program keeps the device; a folder without a device is left to CDevice::Open
// to report.
int LockDevice(const std::filesystem::path& folder, CFileLock& lock, std::ostream& err) {
  switch (CDevice::Lock(folder, lock)) {
    case CFileLock::LOCK_OK:
      return ExitStatus::OK;
    case CFileLock::LOCK_BUSY:
      return Fail(err, ExitStatus::CANNOT_OPEN,
                  "the handheld in " + folder.string() +
                      " is in use by another program (another HotSync or quillet-handheld); nothing "
                      "was synchronized: try again when it has finished");
    case CFileLock::LOCK_FAILED:
      break;
  }
  if (lock.SystemError() == ENOENT || lock.SystemError() == ENOTDIR) return ExitStatus::OK;
  return Fail(err, ExitStatus::CANNOT_OPEN,
              "cannot open the device in " + folder.string() + ": cannot lock it (" + lock.LockPath() +
                  "): " + std::strerror(lock.SystemError()));
}

std::string CodeText(std::int32_t code) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(code));
  std::string text = std::to_string(code) + " (" + hex;
  const char* name = ResultCodeName(code);
  if (name != nullptr) text += std::string(", ") + name;
  return text + ")";
}

}  // namespace

int SyncCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser(COMMAND, "HotSync the handheld with this desktop: runs the Quillet conduit.");
  parser.AddOption("device", "DIR", "the handheld's device folder (default: <home>/devices/default)");
  parser.AddOption("home", "DIR",
                   "the quillet home with the users' HotSync folders (default: $QUILLET_HOME, else "
                   "$XDG_DATA_HOME/quillet)");
  parser.AddOption("action", "ACTION",
                   "sync, slow, handheld-overwrites, desktop-overwrites or nothing (default: the "
                   "action chosen for the user, else sync)");
  parser.SetNotes(
      "A sync is slow (every memo compared) when the handheld last synchronised with another\n"
      "desktop or never.  The memos go to <home>/HotSync/<user>/Quillet/record.dat; the\n"
      "HotSync log to <home>/HotSync/<user>/HotSync.log.  Exit status 0 when the conduit\n"
      "succeeded, 1 with its result code otherwise.");
  int status = parser.Run(args, out, err);
  if (status != CArgParser::CONTINUE) return status;

  std::int32_t askedType = SYNC_TYPE_FAST;
  const bool asked = parser.Has("action");
  if (asked && !ParseSyncAction(parser.Value("action"), askedType)) {
    return parser.UsageError(err, "unknown action '" + parser.Value("action") + "'");
  }
  std::filesystem::path home = QuilletHome(parser.Value("home"));
  if (home.empty()) return parser.UsageError(err, "no home folder: give --home DIR or set QUILLET_HOME");
  std::filesystem::path deviceFolder =
      parser.Has("device") ? std::filesystem::path(parser.Value("device")) : DefaultDeviceFolder(home);

  // The device stays locked until this HotSync has ended, the handheld's
  // record of it included.
  CFileLock deviceLock;
  if (const int s = LockDevice(deviceFolder, deviceLock, err); s != ExitStatus::OK) return s;
  CDevice device;
  int rc = device.Open(deviceFolder);
  if (rc != HandheldResult::HH_OK) {
    return Fail(err, ExitStatus::CANNOT_OPEN,
                "cannot open the device in " + deviceFolder.string() + ": " + HandheldResult::Describe(rc));
  }
  const std::string user = device.UserName();
  if (user.empty()) return Fail(err, ExitStatus::FAILED, "the handheld has no HotSync user name");

  CHotSyncSettings settings;
  const std::uint32_t pcId = settings.PcId();
  if (pcId == 0 || !settings.RememberUser(user, device.UserId())) {
    return Fail(err, ExitStatus::CANNOT_OPEN, "cannot keep the HotSync settings: " + settings.Error());
  }

  // The action: the one asked for, else the user's next-only one, else the
  // user's permanent one.
  const CHotSyncSettings::Actions actions = settings.GetActions(user);
  const bool usesNextAction = !asked && actions.next.has_value();
  std::int32_t syncType = asked ? askedType : (usesNextAction ? *actions.next : actions.permanent);
  const std::uint32_t lastPc = device.LastSyncPc();
  // Slow when the handheld last met another desktop (or none), and after a
  // failed HotSync: that one may have stored one side and not the other, and
  // only a comparison of every memo (against the backup) finds what the
  // handheld already took as synchronised.
  if (syncType == SYNC_TYPE_FAST && (lastPc != pcId || settings.SlowSyncNeeded(user))) {
    syncType = SYNC_TYPE_SLOW;
  }
  const std::int32_t firstSync =
      lastPc == 0 ? FIRST_SYNC_NEVER : (lastPc != pcId ? FIRST_SYNC_OTHER_PC : FIRST_SYNC_NONE);

  const std::filesystem::path hotSyncFolder = HotSyncFolder(home, user);
  const std::filesystem::path conduitFolder = hotSyncFolder / CONDUIT_FOLDER;
  if (!Files::MakeFolders(conduitFolder.string())) {
    return Fail(err, ExitStatus::CANNOT_OPEN, "cannot create " + conduitFolder.string() + ": " + std::strerror(errno));
  }

  SyncProperties properties{};
  properties.syncType = syncType;
  if (!CopyField(properties.directory, sizeof properties.directory, conduitFolder.string())) {
    return Fail(err, ExitStatus::FAILED, "the HotSync folder's path is too long: " + conduitFolder.string());
  }
  CopyField(properties.localFileName, sizeof properties.localFileName, LOCAL_FILE_NAME);
  properties.databaseCount = 1;
  properties.creator = MEMO_DB_CREATOR;
  properties.type = MEMO_DB_TYPE;
  properties.firstSync = firstSync;
  properties.databaseNames[0] = MEMO_DB_NAME;
  DatabaseListEntry entry{};
  if (FindMemoDatabase(device, entry)) properties.databaseList = &entry;

  CConduitLibrary conduit;
  if (!conduit.Load(CConduitLibrary::DefaultPath())) return Fail(err, ExitStatus::FAILED, conduit.Error());
  char name[256] = "";
  if (conduit.getConduitName(name, sizeof name) != 0) std::strcpy(name, "Quillet conduit");
  const std::int32_t version = conduit.getConduitVersion();

  out << "HotSync of " << user << " with " << deviceFolder.string() << '\n';
  out << AnsiToVisible(name) << ' ' << (version >> 8) << '.' << (version & 0xFF) << ": "
      << SyncActionDescription(syncType) << '\n';

  // The next HotSync must be slow until this one has succeeded: one killed or
  // failing part-way may have stored one side and not the other, and only a
  // comparison of every memo finds what one side already took as synchronised.
  if (syncType != SYNC_TYPE_NOTHING && !settings.SetSlowSyncNeeded(user, true)) {
    return Fail(err, ExitStatus::CANNOT_OPEN, "cannot keep the HotSync settings: " + settings.Error());
  }

  LogSetFile((hotSyncFolder / LOG_FILE_NAME).c_str());
  const std::int32_t attached = SyncAttachDevice(deviceFolder.c_str());
  if (attached != 0) {
    LogReset();
    return Fail(err, ExitStatus::FAILED, "cannot connect to the handheld: status " + CodeText(attached));
  }
  const std::int32_t result = conduit.openConduit(&Progress, &properties);
  SyncDetachDevice();

  for (const HsLogEntry& logEntry : LogEntries()) {
    if (!logEntry.text.empty()) out << "  " << LogEntryForDisplay(logEntry.activity, logEntry.text) << '\n';
  }
  LogReset();

  if (result != 0) {
    out.flush();
    return Fail(err, ExitStatus::FAILED, "the conduit failed: " + CodeText(result));
  }
  // The next-only action has been used.  A HotSync that did nothing exchanged
  // no memos: the handheld is not marked as synchronised with this desktop, so
  // that the next HotSync still compares everything.
  if (usesNextAction) settings.ConsumeNextAction(user);
  if (syncType != SYNC_TYPE_NOTHING) {
    CDevice after;
    rc = after.Open(deviceFolder);
    if (rc == HandheldResult::HH_OK) {
      const std::uint32_t now = CDevice::Now();
      after.SetLastSyncPc(pcId);
      after.SetLastSyncDate(now);
      after.SetSuccessfulSyncDate(now);
      rc = after.Save();
    }
    if (rc != HandheldResult::HH_OK) {
      return Fail(err, ExitStatus::FAILED,
                  std::string("the memos were synchronised, but the handheld could not record this "
                              "desktop: ") + HandheldResult::Describe(rc));
    }
    // Both sides and the handheld's record of this desktop are stored.
    settings.SetSlowSyncNeeded(user, false);
  }
  out << "HotSync completed.\n";
  return ExitStatus::OK;
}
