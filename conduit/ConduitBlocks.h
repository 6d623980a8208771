#pragma once
// The blocks the HotSync Manager and the conduit exchange through the entry
// points, at their fixed byte offsets (all integers little-endian, as the
// machine's own).

#include <cstddef>
#include <cstdint>

// Sync types as the HotSync Manager and the action dialog exchange them.
inline constexpr std::int32_t SYNC_TYPE_FAST = 0;
inline constexpr std::int32_t SYNC_TYPE_SLOW = 1;
inline constexpr std::int32_t SYNC_TYPE_HANDHELD_OVERWRITES = 2;
inline constexpr std::int32_t SYNC_TYPE_DESKTOP_OVERWRITES = 3;
inline constexpr std::int32_t SYNC_TYPE_NOTHING = 6;

// Permanent-or-temporary preference of a chosen action.
inline constexpr std::int32_t SYNC_PREF_PERMANENT = 1;  // becomes the default
inline constexpr std::int32_t SYNC_PREF_TEMPORARY = 2;  // next HotSync only

// The configuration block given to the action dialog (CfgConduit).
struct ConduitConfigBlock {
  std::int32_t version;          // must be 1
  std::int32_t size;             // must be 352
  std::uint32_t creator;         // 0 when no user is known: no current-settings lines
  std::uint32_t userId;
  char userName[64];             // NUL-terminated (a full field is read as 64 bytes)
  char localName[256];           // NUL-terminated
  std::int32_t defaultSyncType;  // the permanent action
  std::int32_t nextSyncType;     // the action of the next HotSync; selects the button shown
  std::int32_t chosenSyncType;   // out: the action chosen
  std::int32_t preference;       // out: SYNC_PREF_PERMANENT when "Set as default" was ticked
};
inline constexpr std::int32_t CONDUIT_CONFIG_VERSION = 1;
inline constexpr std::int32_t CONDUIT_CONFIG_SIZE = 352;
static_assert(sizeof(ConduitConfigBlock) == CONDUIT_CONFIG_SIZE);
static_assert(offsetof(ConduitConfigBlock, creator) == 8);
static_assert(offsetof(ConduitConfigBlock, userName) == 16);
static_assert(offsetof(ConduitConfigBlock, localName) == 80);
static_assert(offsetof(ConduitConfigBlock, defaultSyncType) == 336);
static_assert(offsetof(ConduitConfigBlock, nextSyncType) == 340);
static_assert(offsetof(ConduitConfigBlock, chosenSyncType) == 344);
static_assert(offsetof(ConduitConfigBlock, preference) == 348);

// The request block of GetConduitInfo.
struct ConduitRequestBlock {
  std::int32_t version;  // must be 1
  std::int32_t size;     // must be 80
  std::uint32_t creator;
  std::uint32_t userId;
  char userName[64];
};
inline constexpr std::int32_t CONDUIT_REQUEST_VERSION = 1;
inline constexpr std::int32_t CONDUIT_REQUEST_SIZE = 80;
static_assert(sizeof(ConduitRequestBlock) == CONDUIT_REQUEST_SIZE);
static_assert(offsetof(ConduitRequestBlock, userName) == 16);

// The sync preference block of ConfigureConduit: the HotSync Manager's own
// block, of which the conduit reads and writes only the two fields at the end.
struct SyncPreferenceBlock {
  std::uint8_t managerData[516];  // the HotSync Manager's, never touched
  std::int32_t preference;        // SYNC_PREF_PERMANENT or SYNC_PREF_TEMPORARY
  std::int32_t syncType;
};
static_assert(offsetof(SyncPreferenceBlock, preference) == 516);
static_assert(offsetof(SyncPreferenceBlock, syncType) == 520);
static_assert(sizeof(SyncPreferenceBlock) == 524);

// Configuration types of CfgConduit.
inline constexpr std::int32_t CONDUIT_CFG_STANDARD = 0;

// Information types of GetConduitInfo.
inline constexpr std::int32_t CONDUIT_INFO_NAME = 0;
inline constexpr std::int32_t CONDUIT_INFO_MFC_VERSION = 1;
inline constexpr std::int32_t CONDUIT_INFO_DEFAULT_ACTION = 2;
// The value GetConduitInfo answers for CONDUIT_INFO_MFC_VERSION.
inline constexpr std::uint32_t CONDUIT_MFC_VERSION_VALUE = 0x10000000;

// Codes of the configuration and information entry points.
inline constexpr std::int32_t CONDUIT_ERR_UNKNOWN_INFO_TYPE = 4208;
inline constexpr std::int32_t CONDUIT_ERR_NULL_OUTPUT = 4209;
inline constexpr std::int32_t CONDUIT_ERR_BAD_OUTPUT_SIZE = 4211;
inline constexpr std::int32_t CONDUIT_ERR_NULL_BLOCK = 4212;
inline constexpr std::int32_t CONDUIT_ERR_BAD_REQUEST = 4213;
inline constexpr std::int32_t CONDUIT_ERR_NO_NAME = 4214;
inline constexpr std::int32_t CONDUIT_ERR_NULL_OUTPUT_SIZE = 4215;
inline constexpr std::int32_t CONDUIT_ERR_NULL_SIZE = 4216;
inline constexpr std::int32_t CONDUIT_ERR_BAD_CONFIG_TYPE = 4217;
inline constexpr std::int32_t CONDUIT_ERR_BAD_CONFIG_SIZE = 4218;
inline constexpr std::int32_t CONDUIT_ERR_BAD_CONFIG_VERSION = 4219;

// The conduit's version: 1.2.
inline constexpr std::int32_t CONDUIT_VERSION = 0x102;
