// Cursor tables of the resource modules, keyed by the module's instance.

#include "platform/resources/ResourceCursors.h"

#include "platform/resources/ResourceTable.h"

namespace {

CResourceTable<const ResourceCursor*>& TheCursors() {
  static CResourceTable<const ResourceCursor*> table;
  return table;
}

}  // namespace

extern "C" std::int32_t ResourceAddCursors(ResourceInstance instance, const ResourceCursor* table,
                                           std::size_t count) {
  return TheCursors().Add(instance, table, count, [](const ResourceCursor& entry) {
    return entry.xpm != nullptr ? &entry : nullptr;
  });
}

extern "C" const ResourceCursor* ResourceFindCursor(ResourceInstance instance, std::uint32_t id) {
  return TheCursors().Find(instance, id);
}
