#pragma once
// Accelerator tables by numeric id: key combinations that send a command to
// the window that loaded the table.

#include <cstddef>
#include <cstdint>

#include "platform/resources/Resources.h"

// Modifier bits of an accelerator.
inline constexpr std::uint32_t ACCEL_SHIFT = 0x04;
inline constexpr std::uint32_t ACCEL_CONTROL = 0x08;
inline constexpr std::uint32_t ACCEL_ALT = 0x10;

struct Accelerator {
  std::uint32_t modifiers;  // ACCEL_* bits
  std::int32_t key;         // virtual-key code (letters as upper-case ASCII)
  std::int32_t command;
};

struct AcceleratorTable {
  const Accelerator* entries;
  std::size_t count;
};

// One entry of a module's accelerator table list.  The table is not copied.
struct ResourceAccelerators {
  std::uint32_t id;
  const AcceleratorTable* table;
};

extern "C" {

std::int32_t ResourceAddAccelerators(ResourceInstance instance, const ResourceAccelerators* table,
                                     std::size_t count);
// The table `id`, or nullptr when the module has none.
const AcceleratorTable* ResourceFindAccelerators(ResourceInstance instance, std::uint32_t id);

}  // extern "C"
