#include "dbfiles/FileBlock.h"

#include <algorithm>

#include "platform/recordfile/FileLayout.h"

FileBlockView ViewFileBlock(const std::uint8_t* block, std::size_t size) {
  FileBlockView view;
  if (block == nullptr || size < FileLayout::BLK_HEADER_SIZE) {
    view.dataOffset = size;
    return view;
  }
  std::size_t offset = FileLayout::ReadU32(block + FileLayout::BLK_DATA_OFFSET);
  if (offset < FileLayout::BLK_HEADER_SIZE || offset > size) offset = FileLayout::BLK_HEADER_SIZE;
  view.dataOffset = offset;
  view.capacity = std::min<std::size_t>(FileLayout::ReadU32(block + FileLayout::BLK_CAPACITY), size - offset);
  view.length = std::min<std::size_t>(FileLayout::ReadU32(block + FileLayout::BLK_LENGTH), view.capacity);
  return view;
}
