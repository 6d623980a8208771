// Accelerator tables of the resource modules, keyed by the module's instance.

#include "platform/resources/ResourceAccelerators.h"

#include "platform/resources/ResourceTable.h"

namespace {

CResourceTable<const AcceleratorTable*>& TheAccelerators() {
  static CResourceTable<const AcceleratorTable*> table;
  return table;
}

}  // namespace

extern "C" std::int32_t ResourceAddAccelerators(ResourceInstance instance,
                                                const ResourceAccelerators* table,
                                                std::size_t count) {
  return TheAccelerators().Add(instance, table, count,
                        [](const ResourceAccelerators& entry) { return entry.table; });
}

extern "C" const AcceleratorTable* ResourceFindAccelerators(ResourceInstance instance,
                                                           std::uint32_t id) {
  return TheAccelerators().Find(instance, id);
}
