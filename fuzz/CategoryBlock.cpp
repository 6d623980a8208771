// Fuzz target: the category block reader.  Any bytes are read as a category
// block; whatever table results is written back and read again, and must come
// back equal.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "dbfiles/CategoryList.h"
#include "platform/recordfile/FileLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Copy into a buffer of exactly `size` bytes so a read past the end is seen
  // by the address sanitizer.
  std::vector<std::uint8_t> input(data, data + size);
  CCategoryList list;
  list.ReadCategoryBlock(input.data(), input.size());

  std::vector<std::uint8_t> block(FileLayout::CAT_BLOCK_SIZE);
  auto room = static_cast<std::int32_t>(block.size());
  if (list.WriteCategoryBlock(block.data(), &room) != 0) std::abort();

  CCategoryList back;
  if (back.ReadCategoryBlock(block.data(), block.size()) != 0) std::abort();
  if (!back.Equals(list) || back.GetCount() != list.GetCount()) std::abort();
  return 0;
}
