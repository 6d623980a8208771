// Names of the HotSync actions.

#include "hosts/hotsync/SyncActions.h"

#include "conduit/ConduitBlocks.h"

namespace {

struct Action {
  const char* name;
  std::int32_t syncType;
  const char* description;
};

constexpr Action kActions[] = {
    {"sync", SYNC_TYPE_FAST, "Synchronize the files"},
    {"slow", SYNC_TYPE_SLOW, "Synchronize the files (slow: compare every memo)"},
    {"handheld-overwrites", SYNC_TYPE_HANDHELD_OVERWRITES, "Handheld overwrites Desktop"},
    {"desktop-overwrites", SYNC_TYPE_DESKTOP_OVERWRITES, "Desktop overwrites handheld"},
    {"nothing", SYNC_TYPE_NOTHING, "Do nothing"},
};

}  // namespace

bool ParseSyncAction(std::string_view name, std::int32_t& syncType) {
  for (const Action& action : kActions) {
    if (name == action.name) {
      syncType = action.syncType;
      return true;
    }
  }
  return false;
}

std::string SyncActionName(std::int32_t syncType) {
  for (const Action& action : kActions) {
    if (action.syncType == syncType) return action.name;
  }
  return "type " + std::to_string(syncType);
}

std::string SyncActionDescription(std::int32_t syncType) {
  for (const Action& action : kActions) {
    if (action.syncType == syncType) return action.description;
  }
  return "sync type " + std::to_string(syncType);
}
