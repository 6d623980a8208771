// Cursor tables of the resource modules, keyed by the module's instance.

#include "platform/resources/ResourceCursors.h"

#include <map>
#include <mutex>
#include <new>
#include <utility>

namespace {

struct CursorTables {
  std::mutex mutex;
  std::map<std::pair<ResourceInstance, std::uint32_t>, const ResourceCursor*> cursors;
};

CursorTables& TheTables() {
  static CursorTables tables;
  return tables;
}

}  // namespace

extern "C" std::int32_t ResourceAddCursors(ResourceInstance instance, const ResourceCursor* table,
                                           std::size_t count) {
  if (instance == nullptr || (table == nullptr && count > 0)) return -1;
  CursorTables& tables = TheTables();
  std::lock_guard<std::mutex> lock(tables.mutex);
  std::int32_t added = 0;
  try {
    for (std::size_t i = 0; i < count; ++i) {
      if (table[i].xpm == nullptr) continue;
      tables.cursors[{instance, table[i].id}] = &table[i];
      ++added;
    }
  } catch (const std::bad_alloc&) {
    return -1;
  }
  return added;
}

extern "C" const ResourceCursor* ResourceFindCursor(ResourceInstance instance, std::uint32_t id) {
  if (instance == nullptr) return nullptr;
  CursorTables& tables = TheTables();
  std::lock_guard<std::mutex> lock(tables.mutex);
  auto it = tables.cursors.find({instance, id});
  return it == tables.cursors.end() ? nullptr : it->second;
}
