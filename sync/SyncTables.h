#pragma once
// The record decision tables of a HotSync and the words they are made of.
//
// A record's sync status for a lookup is its status bits (SYNC_STATUS_*), 32
// when it has none and 64 when the record does not exist on that side.  The
// key of a record pair is the handheld status shifted left by 16, OR the
// desktop status, OR (slow sync only) a comparison bit.  The action word a
// table gives for a key names the operations CSyncEngine::ApplyActions
// performs, one bit each (ACT_*).
//
// Each table is kept as the matrix of handheld rows and desktop columns it is
// drawn as; an entry is made for every cell that holds an action, and it
// remembers its row and column.  A key that is not in a table gives 0: nothing
// is done.

#include <cstddef>
#include <cstdint>
#include <vector>

// Status words of the lookup.
inline constexpr std::int32_t SYNC_STATUS_DELETED = 0x1;
inline constexpr std::int32_t SYNC_STATUS_ARCHIVED = 0x2;
inline constexpr std::int32_t SYNC_STATUS_MODIFIED = 0x4;
inline constexpr std::int32_t SYNC_STATUS_NEW = 0x8;
inline constexpr std::int32_t SYNC_STATUS_UNCHANGED = 32;
inline constexpr std::int32_t SYNC_STATUS_ABSENT = 64;

// Comparison bits of a slow-sync key.
inline constexpr std::int32_t SYNC_COMPARE_NONE = 0;
inline constexpr std::int32_t SYNC_COMPARE_DIFFER = 0x10000000;
inline constexpr std::int32_t SYNC_COMPARE_SAME = 0x20000000;

// Action bits, in the order ApplyActions performs them.
inline constexpr std::int32_t ACT_DELETE_DESKTOP = 0x1;
inline constexpr std::int32_t ACT_ARCHIVE_DESKTOP = 0x2;            // then as ACT_DELETE_DESKTOP
inline constexpr std::int32_t ACT_DELETE_HANDHELD = 0x4;            // unless marked archived or deleted
inline constexpr std::int32_t ACT_ARCHIVE_HANDHELD = 0x8;           // then as ACT_DELETE_HANDHELD
inline constexpr std::int32_t ACT_ADD_TO_HANDHELD = 0x10;           // the desktop record
inline constexpr std::int32_t ACT_ADD_TO_DESKTOP = 0x20;            // the handheld record
inline constexpr std::int32_t ACT_HANDHELD_OVER_DESKTOP = 0x40;
inline constexpr std::int32_t ACT_DESKTOP_OVER_HANDHELD = 0x80;
inline constexpr std::int32_t ACT_DUPLICATE_IF_DIFFERENT = 0x100;
inline constexpr std::int32_t ACT_RESOLVE_HH_ARCHIVED_DT_MODIFIED = 0x200;
inline constexpr std::int32_t ACT_RESOLVE_HH_MODIFIED_DT_ARCHIVED = 0x400;
inline constexpr std::int32_t ACT_RESOLVE_BOTH_ARCHIVED = 0x800;
inline constexpr std::int32_t ACT_DUPLICATE = 0x2000;
inline constexpr std::int32_t ACT_DELETE_HANDHELD_BY_ID = 0x10000;  // the desktop record's id
inline constexpr std::int32_t ACT_LOG_MODIFIED_DELETED = 0x1000000;
inline constexpr std::int32_t ACT_NOTHING = 0x10000000;

// The key of a record pair.
inline constexpr std::int32_t SyncKey(std::int32_t handheldStatus, std::int32_t desktopStatus,
                                      std::int32_t comparison = SYNC_COMPARE_NONE) {
  return (handheldStatus << 16) | desktopStatus | comparison;
}

// One cell of a table.  Tables keyed by one side only leave the other status 0.
struct SyncTableEntry {
  std::int32_t key = 0;
  std::int32_t action = 0;
  std::int32_t handheldStatus = 0;
  std::int32_t desktopStatus = 0;
  std::int32_t comparison = SYNC_COMPARE_NONE;
  std::int16_t row = 0;     // row of the drawn table, from 0
  std::int16_t column = 0;  // column of the drawn table, from 0
};

struct SyncTable {
  const char* name = "";
  std::vector<SyncTableEntry> entries;

  // The action of the first entry with this key; 0 when there is none.
  std::int32_t Lookup(std::int32_t key) const;
};

// Handheld pass of a fast HotSync (key: both statuses).
const SyncTable& FastSyncTable();
// Handheld pass of a slow HotSync (key: both statuses and the comparison bit).
const SyncTable& SlowSyncTable();
// Desktop pass of a fast HotSync (key: the desktop status).
const SyncTable& FastDesktopTable();
// Desktop pass of a slow HotSync (key: the desktop status).
const SyncTable& SlowDesktopTable();
// Desktop overwrites handheld (key: the desktop status).
const SyncTable& DesktopToHandheldTable();
// Handheld overwrites desktop (key: the handheld status shifted left by 16).
const SyncTable& HandheldToDesktopTable();
