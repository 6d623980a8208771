// Bitmap tables of the resource modules, kept beside the string tables and
// keyed by the module's instance.

#include "platform/resources/ResourceBitmaps.h"

#include "platform/resources/ResourceTable.h"

namespace {

CResourceTable<const char* const*>& TheBitmaps() {
  static CResourceTable<const char* const*> table;
  return table;
}

}  // namespace

extern "C" std::int32_t ResourceAddBitmaps(ResourceInstance instance, const ResourceBitmap* table,
                                           std::size_t count) {
  return TheBitmaps().Add(instance, table, count, [](const ResourceBitmap& entry) { return entry.xpm; });
}

extern "C" const char* const* ResourceFindBitmap(ResourceInstance instance, std::uint32_t id) {
  return TheBitmaps().Find(instance, id);
}
