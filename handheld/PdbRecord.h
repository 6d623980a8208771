#pragma once
// One record of a Palm database image: its attribute byte and 24-bit unique id
// (record databases) or its type and id (resource databases), and its data.

#include <cstdint>
#include <vector>

#include "handheld/PdbLayout.h"

struct CPdbRecord {
  std::uint8_t attributes = 0;
  std::uint32_t uniqueId = 0;      // 24 bits; 0 asks for a new id when written
  std::uint32_t resourceType = 0;  // resource databases only
  std::uint16_t resourceId = 0;    // resource databases only
  std::vector<std::uint8_t> data;

  bool IsDeleted() const { return (attributes & PdbLayout::PDB_REC_DELETED) != 0; }
  bool IsDirty() const { return (attributes & PdbLayout::PDB_REC_DIRTY) != 0; }
  bool IsBusy() const { return (attributes & PdbLayout::PDB_REC_BUSY) != 0; }
  bool IsSecret() const { return (attributes & PdbLayout::PDB_REC_SECRET) != 0; }
  // The archive mark exists only on deleted records; elsewhere 0x08 is a category bit.
  bool IsArchived() const { return IsDeleted() && (attributes & PdbLayout::PDB_REC_ARCHIVED) != 0; }
  std::uint8_t Category() const {
    return IsDeleted() ? 0 : static_cast<std::uint8_t>(attributes & PdbLayout::PDB_REC_CATEGORY_MASK);
  }
};
