#pragma once
// The sync library: the conduit's only way to the handheld during a HotSync.
// One C function per role; every call returns a status of SyncStatus.h.
//
// The handheld is a simulated device folder (handheld/Device.h) that the host
// attaches before a HotSync.  A database opened here is read whole when it is
// opened; its changes are kept in memory and written back to the device,
// crash-safely, when it is closed.  A HotSync that breaks off therefore leaves
// every database file as it was last completely written, never half-written.
//
// Link failures: every call first checks the link.  No attached device gives
// SYNC_ERR_COMM_NO_DEVICE; a device folder that vanished or whose device file
// cannot be read gives SYNC_ERR_COMM_LOST; a failed write to the device gives
// SYNC_ERR_COMM_WRITE; the test fault switch gives SYNC_ERR_COMM_BROKEN.  Calls
// that touch the device's files (system info, register, open, create, delete,
// close) look at the device folder every time; record and block calls on an
// open database trust a look that is at most 10 ms old.  When the link is
// found broken, every open database is dropped without writing, as a handheld
// whose cable was pulled keeps only what it had stored.
//
// Damaged database files: the library reads a database through the device
// (CDevice::ReadDatabase), with the same checks as the memo application, so a
// file is damaged for both or for neither.  Opening a damaged database gives
// SYNC_ERR_DAMAGED, never SYNC_ERR_NOT_FOUND, so that no conduit takes it for
// missing and makes a new one over it; deleting it gives SYNC_ERR_DAMAGED and
// creating one of its name SYNC_ERR_EXISTS, and the file stays as it is.
//
// Records written by a conduit are stored clean (not modified): the block's
// deleted, archived and private bits and its category are kept, its modified
// bit is not.  Deleted records carry category 0.
//
// Resource databases: the record block's id holds the resource type and its
// category field the resource id; the resource variants of write and delete
// address a resource by that pair.
//
// The library serves one HotSync at a time; calls are serialised by a lock.

#include <cstdint>

#include "platform/sync20/SyncBlocks.h"

// Open modes of SyncOpenDB.
inline constexpr std::uint8_t SYNC_MODE_READ = 0x80;
inline constexpr std::uint8_t SYNC_MODE_WRITE = 0x40;
inline constexpr std::uint8_t SYNC_MODE_READ_WRITE = 0xC0;

extern "C" {

// ---- Host side ------------------------------------------------------------------
// Attaches the device in `folder` (a folder with device.json); any device
// attached before is detached first.  SYNC_ERR_COMM_NO_DEVICE when the folder
// holds no readable device.
std::int32_t SyncAttachDevice(const char* folder);
// Drops every open database without writing it and forgets the device.
void SyncDetachDevice(void);
// Fault switch for tests: after `calls` more library calls every call fails
// with SYNC_ERR_COMM_BROKEN (0: the next call fails).  -1 turns it off.
void SyncFailAfter(std::int32_t calls);

// ---- HotSync ----------------------------------------------------------------------
std::int32_t SyncReadSystemInfo(SyncSystemInfo* info);
// Registers a conduit for the HotSync; *handle receives a non-zero handle.
std::int32_t SyncRegisterConduit(std::uint32_t* handle);
// SYNC_ERR_BAD_ARGUMENT for a handle that is not registered.  When the last
// conduit unregisters, databases still open are dropped without writing.
std::int32_t SyncUnRegisterConduit(std::uint32_t handle);

// ---- Databases --------------------------------------------------------------------
// Opens a database by name on a card; mode SYNC_MODE_*.  SYNC_ERR_NOT_FOUND when
// the card holds no such database, SYNC_ERR_DAMAGED when its file is damaged,
// SYNC_ERR_DB_OPEN when it is open already.
std::int32_t SyncOpenDB(const char* name, std::int32_t cardNumber, std::uint8_t* handle, std::uint8_t mode);
// Deletes a closed database; a damaged one is kept (SYNC_ERR_DAMAGED).
std::int32_t SyncDeleteDB(const char* name, std::int32_t cardNumber);
// Creates an empty database and opens it for reading and writing; the handle
// is returned in block->handle.  SYNC_ERR_EXISTS when one of that name exists,
// damaged or not.
std::int32_t SyncCreateDB(SyncCreateDbBlock* block);
// Clears the modified mark of every record (the database must be open for writing).
std::int32_t SyncResetSyncFlags(std::uint8_t handle);
// Writes the database back when it changed and closes it.  The handle is
// released even when the write fails.  SYNC_ERR_BAD_ARGUMENT, with the file
// left as it was, when the changed database would read back as damaged.
std::int32_t SyncCloseDB(std::uint8_t handle);
std::int32_t SyncGetDBRecordCount(std::uint8_t handle, std::uint16_t* count);

// ---- Reading records ----------------------------------------------------------------
// Each read fills the block's id, index, attributes, category and recordSize,
// and copies the data into block->buffer.  Data larger than bufferSize gives
// SYNC_ERR_BUFFER_TOO_SMALL with the needed size in recordSize.
std::int32_t SyncReadRecordById(SyncRawRecord* block);
// SYNC_ERR_NOT_FOUND for an index past the end.
std::int32_t SyncReadRecordByIndex(SyncRawRecord* block);
// The next modified (or deleted) record after the one this call returned last
// for the open database (the first one after opening or SyncResetRecordIndex).
// The block's index is not read; it is filled with the record's index.
// SYNC_ERR_NOT_FOUND when none is left.
std::int32_t SyncReadNextModifiedRec(SyncRawRecord* block);
// The next record (not deleted) of the block's category after the one this
// call returned last for that category; asking for another category starts
// again from the first record.
std::int32_t SyncReadNextRecInCategory(SyncRawRecord* block);
// Starts both record iterations of the database again from the first record.
std::int32_t SyncResetRecordIndex(std::uint8_t handle);

// ---- Changing records -----------------------------------------------------------------
// Writes a record: id 0 adds it under a new unique id; an id in use replaces
// that record; an unused id adds the record under it.  The block receives the
// record's id and index.  Ids are 24-bit; categories 0 to 15.
std::int32_t SyncWriteRec(SyncRawRecord* block);
std::int32_t SyncWriteResourceRec(SyncRawRecord* block);
// Removes the record (or resource) entirely.  SYNC_ERR_NOT_FOUND when absent.
std::int32_t SyncDeleteRec(SyncRawRecord* block);
std::int32_t SyncDeleteResourceRec(SyncRawRecord* block);
// Removes every record marked deleted.
std::int32_t SyncPurgeDeletedRecs(std::uint8_t handle);
// Removes every record (not deleted) of a category 0 to 15.
std::int32_t SyncPurgeAllRecsInCategory(std::uint8_t handle, std::int16_t category);
// Moves every record (not deleted) of one category to another; the records
// stay clean.
std::int32_t SyncChangeCategory(std::uint8_t handle, std::uint8_t from, std::uint8_t to);

// ---- Blocks ---------------------------------------------------------------------------------
// Reads the application-info (sort-info) block into block->buffer.
// SYNC_ERR_NOT_FOUND when the database has none; SYNC_ERR_BUFFER_TOO_SMALL with
// the needed size in dataLength when it does not fit.
std::int32_t SyncReadDBAppInfoBlock(std::uint8_t handle, SyncInfoBlock* block);
std::int32_t SyncReadDBSortInfoBlock(std::uint8_t handle, SyncInfoBlock* block);
// Replaces the block by block->dataLength bytes of block->buffer.
std::int32_t SyncWriteDBAppInfoBlock(std::uint8_t handle, SyncInfoBlock* block);
std::int32_t SyncWriteDBSortInfoBlock(std::uint8_t handle, SyncInfoBlock* block);
// Record ids in index order from firstPosition, at most maxEntries and at most
// entries of them, each as four big-endian bytes.  SYNC_ERR_NOT_FOUND when
// firstPosition is past the record count.
std::int32_t SyncReadPositionXMap(SyncPositionBlock* block);

}  // extern "C"
