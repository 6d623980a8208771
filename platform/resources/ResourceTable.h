#pragma once
// A process-wide table of one kind of resource (bitmaps, cursors, dialog
// templates), keyed by the module's instance and the resource id.  The
// values point into the modules' compiled-in tables, which live as long as
// the process.

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <new>
#include <utility>

#include "platform/resources/Resources.h"

// Moves every entry of `staged` into `into`, replacing entries with the same
// key.  The nodes move over, so nothing is allocated and it cannot fail half
// way: a table is made in a map of its own, then moved over whole.
template <typename Map>
void MoveEntriesOver(Map& staged, Map& into) {
  while (!staged.empty()) {
    auto node = staged.extract(staged.begin());
    into.erase(node.key());
    into.insert(std::move(node));
  }
}

template <typename Value>
class CResourceTable {
 public:
  // Adds (or replaces) the entries of `table`: entry.id -> valueOf(entry);
  // entries whose value is null are skipped.  The number added, or -1 for a
  // null instance or table, or when memory runs out (then none of them is
  // added: a module never has half of a table).
  template <typename Entry, typename ValueOf>
  std::int32_t Add(ResourceInstance instance, const Entry* table, std::size_t count,
                   ValueOf valueOf) {
    if (instance == nullptr || (table == nullptr && count > 0)) return -1;
    Map staged;
    std::int32_t added = 0;
    try {
      for (std::size_t i = 0; i < count; ++i) {
        Value value = valueOf(table[i]);
        if (value == nullptr) continue;
        staged[{instance, table[i].id}] = value;
        ++added;
      }
    } catch (const std::bad_alloc&) {
      return -1;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    MoveEntriesOver(staged, m_values);
    return added;
  }

  // The value of `id`, or null when the module has none.
  Value Find(ResourceInstance instance, std::uint32_t id) {
    if (instance == nullptr) return nullptr;
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_values.find({instance, id});
    return it == m_values.end() ? nullptr : it->second;
  }

 private:
  using Map = std::map<std::pair<ResourceInstance, std::uint32_t>, Value>;

  std::mutex m_mutex;
  Map m_values;
};
