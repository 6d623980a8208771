#pragma once
// The blocks that the sync library exchanges with its callers.  Buffers are the
// caller's and are passed as native pointers.  Plain data, no calls: the desktop
// managers convert their records to and from the record block without using
// the library itself.

#include <cstdint>

// The handheld's record block (28 bytes when packed): one record's identity,
// attributes and data buffer.
struct SyncRawRecord {
  std::uint8_t handle = 0;        // handheld database handle
  std::uint32_t id = 0;           // record unique id
  std::uint16_t index = 0;        // record index in the handheld database
  std::uint8_t attributes = 0;    // RAW_ATTR_* bits
  std::int16_t category = 0;      // category index
  std::uint32_t conduitId = 0;
  std::uint32_t recordSize = 0;   // bytes of data in the buffer
  std::uint16_t bufferSize = 0;   // capacity of the buffer
  std::uint8_t* buffer = nullptr; // the caller's data buffer
  std::uint32_t reserved = 0;
};

// Attribute bits of the handheld record block.
inline constexpr std::uint8_t RAW_ATTR_DELETED = 0x80;
inline constexpr std::uint8_t RAW_ATTR_MODIFIED = 0x40;
inline constexpr std::uint8_t RAW_ATTR_PRIVATE = 0x10;
inline constexpr std::uint8_t RAW_ATTR_ARCHIVED = 0x08;

// The handheld's system information.  The caller gives a product-id buffer and
// its size; the library fills the rest.
struct SyncSystemInfo {
  std::uint32_t romVersion = 0;       // out: the handheld's OS version
  std::uint32_t locale = 0;           // out: 0, the handheld does not say
  std::uint8_t productIdLength = 0;   // out: bytes written into productId
  std::uint8_t productIdSize = 0;     // in: capacity of productId (255)
  std::uint8_t* productId = nullptr;  // in: the caller's buffer
};

// What a new database is created with.
struct SyncCreateDbBlock {
  std::uint8_t handle = 0;            // out: handle of the created, open database
  std::uint32_t creator = 0;
  std::uint32_t flags = 0;            // database attribute bits (16 used); bit 0: resource database
  std::uint8_t cardNumber = 0;
  char name[32] = {};                 // NUL-terminated, at most 31 bytes
  std::uint32_t type = 0;
  std::uint16_t version = 0;
  std::uint32_t reserved = 0;
};

// An application-info or sort-info block: read into, or written from, the
// caller's buffer.
struct SyncInfoBlock {
  char name[32] = {};                 // out on reads: the database's name
  std::uint16_t bufferSize = 0;       // capacity of buffer
  std::uint16_t dataLength = 0;       // out on reads: bytes read; in on writes: bytes to write
  std::uint8_t* buffer = nullptr;
  std::uint32_t reserved = 0;
};

// A read of record ids in index order.  Each id is written as four bytes,
// most significant first; callers convert them to native order.
struct SyncPositionBlock {
  std::uint8_t handle = 0;
  std::uint16_t firstPosition = 0;    // index of the first id to read
  std::uint16_t maxEntries = 0;       // at most this many ids
  std::uint16_t entries = 0;          // in: room in buffer (ids); out: ids written
  std::uint16_t reserved = 0;
  std::uint8_t* buffer = nullptr;     // 4 bytes per id
};
