#pragma once
// The handheld's record block as the sync library exchanges it (28 bytes when
// packed): one record's identity, attributes and data buffer.

#include <cstdint>

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
