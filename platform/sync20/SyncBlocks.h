#pragma once
// The blocks that the sync library exchanges with its callers, besides the
// record block (SyncRawRecord, dbfiles/SyncRawRecord.h).  Buffers are the
// caller's and are passed as native pointers.

#include <cstdint>

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
