// Dialog template tables of the resource modules, keyed by the module's
// instance.

#include "platform/resources/ResourceDialogs.h"

#include "platform/resources/ResourceTable.h"

namespace {

CResourceTable<const DialogTemplate*>& TheDialogs() {
  static CResourceTable<const DialogTemplate*> table;
  return table;
}

}  // namespace

extern "C" std::int32_t ResourceAddDialogs(ResourceInstance instance, const ResourceDialog* table,
                                           std::size_t count) {
  return TheDialogs().Add(instance, table, count,
                        [](const ResourceDialog& entry) { return entry.dialog; });
}

extern "C" const DialogTemplate* ResourceFindDialog(ResourceInstance instance, std::uint32_t id) {
  return TheDialogs().Find(instance, id);
}
