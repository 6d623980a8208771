// Menu tables of the resource modules, keyed by the module's instance.

#include "platform/resources/ResourceMenus.h"

#include "platform/resources/ResourceTable.h"

namespace {

CResourceTable<const MenuTemplate*>& TheMenus() {
  static CResourceTable<const MenuTemplate*> table;
  return table;
}

}  // namespace

extern "C" std::int32_t ResourceAddMenus(ResourceInstance instance, const ResourceMenu* table,
                                         std::size_t count) {
  return TheMenus().Add(instance, table, count, [](const ResourceMenu& entry) { return entry.menu; });
}

extern "C" const MenuTemplate* ResourceFindMenu(ResourceInstance instance, std::uint32_t id) {
  return TheMenus().Find(instance, id);
}
