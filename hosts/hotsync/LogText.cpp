// Display form of HotSync log entries.

#include "hosts/hotsync/LogText.h"

#include "conduit/SyncLog.h"
#include "tools/common/ToolText.h"

std::string LogEntryForDisplay(std::int32_t activity, const std::string& ansiText) {
  std::string text = AnsiToVisible(ansiText);
  if (activity == CSyncLog::ACT_SYNC_OK) return "OK " + text;
  if (activity == CSyncLog::ACT_SYNC_FAILED) return text + " synchronization failed";
  return text;
}
