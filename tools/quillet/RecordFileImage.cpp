#include "tools/quillet/RecordFileImage.h"

#include <algorithm>
#include <cstring>

#include "platform/recordfile/FileLayout.h"

namespace RecordFileImage {

using namespace FileLayout;

std::vector<Category> DefaultCategories() { return {Category{0, 0, "Unfiled"}}; }

std::string Build(const std::vector<Category>& categories, std::string_view appSpecific) {
  const std::size_t dataSize = CAT_BLOCK_SIZE + appSpecific.size();
  const std::size_t blockSize = BLK_HEADER_SIZE + dataSize;
  std::vector<std::uint8_t> bytes(HDR_SIZE + blockSize, 0);

  std::uint8_t* h = bytes.data();
  WriteU32(h + HDR_SIZE_FIELD, HDR_SIZE);
  WriteU16(h + HDR_KIND, HDR_KIND_VALUE);
  std::memcpy(h + HDR_NAME, DB_NAME, std::strlen(DB_NAME));
  WriteU32(h + HDR_CREATOR, CREATOR);
  WriteU32(h + HDR_TYPE, TYPE);
  WriteU32(h + HDR_RECORD_COUNT, 0);
  WriteU32(h + HDR_APPINFO_SIZE, static_cast<std::uint32_t>(blockSize));
  WriteU32(h + HDR_SORTINFO_SIZE, 0);

  std::uint8_t* b = h + HDR_SIZE;
  WriteU32(b + BLK_TOTAL_SIZE, static_cast<std::uint32_t>(blockSize));
  WriteU16(b + BLK_KIND, BLK_KIND_VALUE);
  WriteU32(b + BLK_DATA_OFFSET, BLK_HEADER_SIZE);
  std::memcpy(b + BLK_NAME, DB_NAME, std::strlen(DB_NAME));
  WriteU32(b + BLK_CAPACITY, static_cast<std::uint32_t>(dataSize));
  WriteU32(b + BLK_LENGTH, static_cast<std::uint32_t>(dataSize));

  std::uint8_t* d = b + BLK_HEADER_SIZE;
  for (const Category& c : categories) {
    if (c.index < 0 || c.index >= static_cast<int>(CAT_COUNT)) continue;
    const std::size_t n = std::min(c.name.size(), CAT_NAME_MAX);
    std::memcpy(d + CAT_NAMES + CAT_NAME_FIELD_SIZE * static_cast<std::size_t>(c.index),
                c.name.data(), n);
    d[CAT_IDS + static_cast<std::size_t>(c.index)] = c.id;
  }
  std::memcpy(d + CAT_BLOCK_SIZE, appSpecific.data(), appSpecific.size());
  return std::string(bytes.begin(), bytes.end());
}

std::string ProtectedAppSpecific(const std::uint8_t (&digest)[16], std::string_view hint) {
  std::string s(APP_DIGEST - APP_UNUSED, '\0');
  s.append(reinterpret_cast<const char*>(digest), APP_DIGEST_SIZE);
  s.append(hint);
  s.push_back('\0');
  return s;
}

}  // namespace RecordFileImage
