#pragma once
// DbBlockInfo: how a caller describes an application-info or sort-info block to
// a record manager (GetAppInfo, SetAppInfo, GetSortInfo, SetSortInfo): the
// block's database name, the caller's buffer and how much of it holds data, and
// the reserved word that travels with the block.

#include <cstdint>

struct DbBlockInfo {
  static constexpr int NAME_SIZE = 32;

  char name[NAME_SIZE] = {};     // database name, NUL-terminated
  std::uint16_t bufferSize = 0;  // bytes the data buffer can hold
  std::uint16_t dataLength = 0;  // bytes of data (in for Set, out for Get)
  std::uint8_t* data = nullptr;  // the caller's buffer
  std::uint32_t reserved = 0;    // carried with the block unchanged
};
