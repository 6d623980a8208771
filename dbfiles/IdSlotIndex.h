#pragma once
// CIdSlotIndex: the record table's index from record id to the occupied slots
// holding a record with that id, in ascending slot order.  Ids are nearly
// always unique, so an entry keeps its lowest slot inline and only duplicates
// in a side list; a lookup touches one hash node.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

class CIdSlotIndex {
 public:
  // The lowest slot holding `id`, or -1.
  std::int32_t First(std::int32_t id) const;
  // Number of slots holding `id`.
  std::size_t Count(std::int32_t id) const;
  // The k-th slot (ascending, from 0) holding `id`; k below Count(id).
  std::int32_t At(std::int32_t id, std::size_t k) const;

  // Records that `slot` holds `id`.  False (index unchanged) when memory runs
  // out.
  bool Add(std::int32_t id, std::int32_t slot) noexcept;
  // Forgets that `slot` holds `id`.  Never allocates.
  void Remove(std::int32_t id, std::int32_t slot) noexcept;
  // The record with `id` moved from slot `from` to slot `to`.  Never allocates.
  void Move(std::int32_t id, std::int32_t from, std::int32_t to) noexcept;

  void Clear() noexcept { m_entries.clear(); }
  // Room for `ids` distinct ids without rehashing (may throw std::bad_alloc).
  void Reserve(std::size_t ids) { m_entries.reserve(ids); }
  void Swap(CIdSlotIndex& other) noexcept { m_entries.swap(other.m_entries); }

 private:
  struct Entry {
    std::int32_t first;
    std::vector<std::int32_t> more;  // further slots, ascending, all above `first`
  };
  std::unordered_map<std::int32_t, Entry> m_entries;
};
