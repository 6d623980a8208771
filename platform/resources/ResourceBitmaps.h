#pragma once
// Bitmap resources by numeric id.  A module registers its compiled-in images
// (XPM text, the format the user-interface layer reads directly) next to its
// strings; code that shows a bitmap loads it from the instance it was given.

#include <cstddef>
#include <cstdint>

#include "platform/resources/Resources.h"

// One entry of a compiled-in bitmap table: an image in XPM form (the array of
// lines a .xpm file holds).  The data is not copied: it must live as long as
// the process, as compiled-in tables do.
struct ResourceBitmap {
  std::uint32_t id;
  const char* const* xpm;
};

extern "C" {

// Adds (or replaces) bitmaps of the module.  Entries with null data are
// skipped.  Returns the number added, or -1 for a null instance or table, or
// when memory runs out.
std::int32_t ResourceAddBitmaps(ResourceInstance instance, const ResourceBitmap* table,
                                std::size_t count);

// The XPM lines of bitmap `id`, or nullptr when the module has none.
const char* const* ResourceFindBitmap(ResourceInstance instance, std::uint32_t id);

}  // extern "C"
