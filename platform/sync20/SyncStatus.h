#pragma once
// Status codes of the sync library.  Every call returns a signed 32-bit status:
// SYNC_OK for success, SYNC_ERR_NOT_FOUND when a database or a further record
// does not exist, a code with bit 0x2000 set when the link to the handheld
// failed (the caller must end the HotSync), or one of the other codes below.

#include <cstdint>

namespace SyncStatus {

inline constexpr std::int32_t SYNC_OK = 0;

// Communication failures: bit 0x2000 is set in every one of them.
inline constexpr std::int32_t SYNC_ERR_COMM_MASK = 0x2000;
inline constexpr std::int32_t SYNC_ERR_COMM_NO_DEVICE = 0x2001;  // no handheld attached
inline constexpr std::int32_t SYNC_ERR_COMM_LOST = 0x2002;       // the device vanished or cannot be read
inline constexpr std::int32_t SYNC_ERR_COMM_WRITE = 0x2003;      // writing to the device failed
inline constexpr std::int32_t SYNC_ERR_COMM_BROKEN = 0x2004;     // the link was cut (fault switch)

// Other failures (neither bit 0x2000 nor SYNC_ERR_NOT_FOUND).
inline constexpr std::int32_t SYNC_ERR_BAD_ARGUMENT = 0x4001;    // null pointer, bad name, mode, category or id
inline constexpr std::int32_t SYNC_ERR_BAD_HANDLE = 0x4002;      // the handle names no open database
inline constexpr std::int32_t SYNC_ERR_NOT_FOUND = 0x4003;       // no such database, record or block
inline constexpr std::int32_t SYNC_ERR_EXISTS = 0x4004;          // a database of that name exists already
inline constexpr std::int32_t SYNC_ERR_DB_OPEN = 0x4005;         // the database is open (open twice, delete)
inline constexpr std::int32_t SYNC_ERR_READ_ONLY = 0x4006;       // a change through a database opened for reading
inline constexpr std::int32_t SYNC_ERR_BUFFER_TOO_SMALL = 0x4007;// the data does not fit the caller's buffer
inline constexpr std::int32_t SYNC_ERR_FULL = 0x4008;            // no room: record count, ids or size limit
inline constexpr std::int32_t SYNC_ERR_WRONG_KIND = 0x4009;      // a record call on a resource database or back
inline constexpr std::int32_t SYNC_ERR_DAMAGED = 0x400A;         // the database file on the device is damaged
inline constexpr std::int32_t SYNC_ERR_NO_MEMORY = 0x400B;
inline constexpr std::int32_t SYNC_ERR_TOO_MANY_OPEN = 0x400C;   // every handle is in use

inline constexpr bool IsCommFailure(std::int32_t status) {
  return status != -1 && (status & SYNC_ERR_COMM_MASK) != 0;
}

}  // namespace SyncStatus
