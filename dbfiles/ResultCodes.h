#pragma once
// Result codes of the desktop managers and the synchronizer.  Every operation
// returns a signed 32-bit result: 0 for success, otherwise one of the codes
// below.  Statuses that come back from the sync library are passed on unchanged
// (platform/sync20/SyncStatus.h); of those the synchronizer interprets only
// SYNC_ERR_NOT_FOUND and the communication failures.

#include <cstdint>

// Success.
inline constexpr std::int32_t DB_OK = 0;

// Record managers and the synchronizer.
inline constexpr std::int32_t DB_ERR_BUFFER_TOO_SMALL = 0x1101;
inline constexpr std::int32_t DB_ERR_NO_MEMORY = 0x1102;
inline constexpr std::int32_t DB_ERR_NULL_ARGUMENT = 0x1103;
inline constexpr std::int32_t DB_ERR_TOO_LONG = 0x1104;
inline constexpr std::int32_t DB_ERR_BAD_CATEGORY_INDEX = 0x1105;
inline constexpr std::int32_t DB_ERR_EMPTY_NAME = 0x1107;
inline constexpr std::int32_t DB_ERR_CATEGORY_NOT_FOUND = 0x1108;
inline constexpr std::int32_t DB_ERR_NULL_BUFFER = 0x1109;
inline constexpr std::int32_t DB_ERR_BAD_ITERATION = 0x110B;
inline constexpr std::int32_t DB_ERR_NOT_SUPPORTED = 0x110C;
inline constexpr std::int32_t DB_ERR_DB_IS_OPEN = 0x110D;
inline constexpr std::int32_t DB_ERR_NO_APP_INFO = 0x110E;
inline constexpr std::int32_t DB_ERR_NOT_FOUND = 0x110F;
inline constexpr std::int32_t DB_ERR_NO_CATEGORY_BLOCK = 0x1110;
inline constexpr std::int32_t DB_ERR_NO_TABLE = 0x1111;
inline constexpr std::int32_t DB_ERR_BAD_SYNC_TYPE = 0x1112;
inline constexpr std::int32_t DB_ERR_BAD_START_SYNC_TYPE = 0x1113;
inline constexpr std::int32_t DB_ERR_DB_NOT_OPEN = 0x1114;
inline constexpr std::int32_t DB_ERR_OPEN_FAILED = 0x1115;
inline constexpr std::int32_t DB_ERR_RECORD_NOT_FOUND = 0x1116;
inline constexpr std::int32_t DB_ERR_END_OF_FILE = 0x1117;
inline constexpr std::int32_t DB_ERR_READ_FAILED = 0x1118;
inline constexpr std::int32_t DB_ERR_SHORT_READ = 0x1119;
inline constexpr std::int32_t DB_ERR_FILE_NOT_OPEN = 0x111A;
inline constexpr std::int32_t DB_ERR_NO_FILE_NAME = 0x111B;
inline constexpr std::int32_t DB_ERR_BAD_HEADER = 0x111C;
inline constexpr std::int32_t DB_ERR_BAD_APP_INFO = 0x111D;
inline constexpr std::int32_t DB_ERR_BAD_SORT_INFO = 0x111E;
inline constexpr std::int32_t DB_ERR_BAD_RECORD_HEADER = 0x111F;
inline constexpr std::int32_t DB_ERR_WRITE_FAILED = 0x1120;
inline constexpr std::int32_t DB_ERR_NO_APP_INFO_BLOCK = 0x1121;
inline constexpr std::int32_t DB_ERR_NO_SORT_INFO_BLOCK = 0x1122;
inline constexpr std::int32_t DB_ERR_DESKTOP_FILE_MISSING = 0x1123;
inline constexpr std::int32_t DB_ERR_HANDHELD_DB_MISSING = 0x1124;
inline constexpr std::int32_t DB_ERR_SYNC_TYPE_CHANGED = 0x1125;
inline constexpr std::int32_t DB_ERR_BACKUP_COPY_FAILED = 0x1126;
inline constexpr std::int32_t DB_ERR_UNKNOWN_ID = 0x1127;
inline constexpr std::int32_t DB_ERR_COUNT_MISMATCH = 0x1128;
// The two sides' memos are protected by different passwords (or only one side
// is protected): carrying a memo body across would garble it.
inline constexpr std::int32_t DB_ERR_PASSWORD_MISMATCH = 0x1130;

// Category table.
inline constexpr std::int32_t CAT_ERR_TABLE_FULL = -2000;
inline constexpr std::int32_t CAT_ERR_BLOCK_TOO_SHORT = -2001;
inline constexpr std::int32_t CAT_ERR_DUPLICATE_ID = -2002;
inline constexpr std::int32_t CAT_ERR_EMPTY_SLOT = -2003;
inline constexpr std::int32_t CAT_ERR_BAD_INDEX = -2004;

// The global-memory text buffer.
inline constexpr std::int32_t GS_ERR_ALLOC = -501;
inline constexpr std::int32_t GS_ERR_LOCK = -502;

// The code's name as written in this header ("DB_ERR_BAD_HEADER"), or nullptr for
// a code that is not one of these.
const char* ResultCodeName(std::int32_t code);
