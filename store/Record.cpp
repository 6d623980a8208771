#include "store/Record.h"

#include <cstring>

#include "platform/recordfile/FileLayout.h"

using namespace FileLayout;

namespace {
// In-memory attribute bit <-> file attribute bit.
struct AttributeMapping {
  std::uint32_t memory;
  std::uint16_t file;
};
constexpr AttributeMapping ATTRIBUTE_MAP[] = {
    {CRecord::ATTR_MODIFIED, REC_ATTR_MODIFIED},
    {CRecord::ATTR_DELETED, REC_ATTR_DELETED},
    {CRecord::ATTR_ARCHIVED, REC_ATTR_ARCHIVED},
    {CRecord::ATTR_NEW, REC_ATTR_NEW},
};
}  // namespace

CRecord::~CRecord() = default;

void CRecord::ReadHeader(const std::uint8_t* buffer) {
  uniqueId = ReadU32(buffer + REC_ID);
  category = static_cast<std::int32_t>(ReadU32(buffer + REC_CATEGORY));
  const std::uint16_t fileBits = ReadU16(buffer + REC_ATTRIBUTES);
  attributes = 0;
  for (const auto& map : ATTRIBUTE_MAP) {
    if (fileBits & map.file) attributes |= map.memory;
  }
  privateFlag = (fileBits & REC_ATTR_PRIVATE) ? 1 : 0;
}

int CRecord::SerializeTo(std::uint8_t* buffer, CBlockCipher* /*cipher*/) const {
  WriteU32(buffer + REC_KIND, REC_KIND_VALUE);
  WriteU32(buffer + REC_DATA_OFFSET, static_cast<std::uint32_t>(REC_HEADER_SIZE));
  WriteU32(buffer + REC_ID, uniqueId);
  WriteU32(buffer + REC_CATEGORY, static_cast<std::uint32_t>(category));
  std::uint16_t fileBits = 0;
  for (const auto& map : ATTRIBUTE_MAP) {
    if (attributes & map.memory) fileBits = static_cast<std::uint16_t>(fileBits | map.file);
  }
  if (privateFlag) fileBits = static_cast<std::uint16_t>(fileBits | REC_ATTR_PRIVATE);
  WriteU16(buffer + REC_ATTRIBUTES, fileBits);
  // A plain record carries no data.
  WriteU32(buffer + REC_LENGTH, 0);
  return 0;
}

int CRecord::Compare(const CRecord& other) const {
  if (position < other.position) return -1;
  return position > other.position ? 1 : 0;
}
