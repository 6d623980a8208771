#pragma once
// Safe views of the pieces of a desktop record file held in memory: where the
// data area of an application-info or sort-info block starts, how much room it
// has and how much of it is used, never reaching past the bytes that were
// actually read, whatever the block's own fields claim.

#include <cstddef>
#include <cstdint>

struct FileBlockView {
  std::size_t dataOffset = 0;  // start of the data area within the block
  std::size_t capacity = 0;    // bytes of the data area present in the block
  std::size_t length = 0;      // bytes of it in use (never above capacity)
};

// The data area of a block of `size` bytes.  The data offset, capacity and
// length fields are taken as stored when they lie within the block; a data
// offset outside it counts as the standard one, and capacity and length are
// cut to what the block holds.  A block shorter than its 56-byte header has
// no data area.
FileBlockView ViewFileBlock(const std::uint8_t* block, std::size_t size);
