#pragma once
// The actions a user can ask of a HotSync, by the names the command line uses
// and the sync types the conduit takes.

#include <cstdint>
#include <string>
#include <string_view>

// sync 0, slow 1, handheld-overwrites 2, desktop-overwrites 3, nothing 6.
// False for any other name.
bool ParseSyncAction(std::string_view name, std::int32_t& syncType);
// The command-line name of a sync type ("type N" for one without a name).
std::string SyncActionName(std::int32_t syncType);
// What the action does, as the dialog says it.
std::string SyncActionDescription(std::int32_t syncType);
