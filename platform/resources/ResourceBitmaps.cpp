// Bitmap tables of the resource modules, kept beside the string tables and
// keyed by the module's instance.

#include "platform/resources/ResourceBitmaps.h"

#include <map>
#include <mutex>
#include <new>
#include <utility>

namespace {

struct BitmapTables {
  std::mutex mutex;
  std::map<std::pair<ResourceInstance, std::uint32_t>, const char* const*> bitmaps;
};

BitmapTables& TheTables() {
  static BitmapTables tables;
  return tables;
}

}  // namespace

extern "C" std::int32_t ResourceAddBitmaps(ResourceInstance instance, const ResourceBitmap* table,
                                           std::size_t count) {
  if (instance == nullptr || (table == nullptr && count > 0)) return -1;
  BitmapTables& tables = TheTables();
  std::lock_guard<std::mutex> lock(tables.mutex);
  std::int32_t added = 0;
  try {
    for (std::size_t i = 0; i < count; ++i) {
      if (table[i].xpm == nullptr) continue;
      tables.bitmaps[{instance, table[i].id}] = table[i].xpm;
      ++added;
    }
  } catch (const std::bad_alloc&) {
    return -1;
  }
  return added;
}

extern "C" const char* const* ResourceFindBitmap(ResourceInstance instance, std::uint32_t id) {
  if (instance == nullptr) return nullptr;
  BitmapTables& tables = TheTables();
  std::lock_guard<std::mutex> lock(tables.mutex);
  auto it = tables.bitmaps.find({instance, id});
  return it == tables.bitmaps.end() ? nullptr : it->second;
}
