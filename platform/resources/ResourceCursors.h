#pragma once
// Cursor resources by numeric id: an image in XPM form (transparent pixels
// where the screen shows through) with its hot spot.

#include <cstddef>
#include <cstdint>

#include "platform/resources/Resources.h"

// One entry of a compiled-in cursor table.  The data is not copied: it must
// live as long as the process, as compiled-in tables do.
struct ResourceCursor {
  std::uint32_t id;
  const char* const* xpm;
  std::int32_t hotX, hotY;
};

extern "C" {

// Adds (or replaces) cursors of the module.  Entries with null data are
// skipped.  Returns the number added, or -1 for a null instance or table, or
// when memory runs out.
std::int32_t ResourceAddCursors(ResourceInstance instance, const ResourceCursor* table,
                                std::size_t count);

// The cursor `id`, or nullptr when the module has none.
const ResourceCursor* ResourceFindCursor(ResourceInstance instance, std::uint32_t id);

}  // extern "C"
