// Dialog template tables of the resource modules, keyed by the module's
// instance.

#include "platform/resources/ResourceDialogs.h"

#include <map>
#include <mutex>
#include <new>
#include <utility>

namespace {

struct DialogTables {
  std::mutex mutex;
  std::map<std::pair<ResourceInstance, std::uint32_t>, const DialogTemplate*> dialogs;
};

DialogTables& TheTables() {
  static DialogTables tables;
  return tables;
}

}  // namespace

extern "C" std::int32_t ResourceAddDialogs(ResourceInstance instance, const ResourceDialog* table,
                                           std::size_t count) {
  if (instance == nullptr || (table == nullptr && count > 0)) return -1;
  DialogTables& tables = TheTables();
  std::lock_guard<std::mutex> lock(tables.mutex);
  std::int32_t added = 0;
  try {
    for (std::size_t i = 0; i < count; ++i) {
      if (table[i].dialog == nullptr) continue;
      tables.dialogs[{instance, table[i].id}] = table[i].dialog;
      ++added;
    }
  } catch (const std::bad_alloc&) {
    return -1;
  }
  return added;
}

extern "C" const DialogTemplate* ResourceFindDialog(ResourceInstance instance, std::uint32_t id) {
  if (instance == nullptr) return nullptr;
  DialogTables& tables = TheTables();
  std::lock_guard<std::mutex> lock(tables.mutex);
  auto it = tables.dialogs.find({instance, id});
  return it == tables.dialogs.end() ? nullptr : it->second;
}
