#include "dbfiles/IdSlotIndex.h"

#include <algorithm>
#include <new>

std::int32_t CIdSlotIndex::First(std::int32_t id) const {
  auto it = m_entries.find(id);
  return it == m_entries.end() ? -1 : it->second.first;
}

std::size_t CIdSlotIndex::Count(std::int32_t id) const {
  auto it = m_entries.find(id);
  return it == m_entries.end() ? 0 : 1 + it->second.more.size();
}

std::int32_t CIdSlotIndex::At(std::int32_t id, std::size_t k) const {
  const Entry& entry = m_entries.at(id);
  return k == 0 ? entry.first : entry.more[k - 1];
}

bool CIdSlotIndex::Add(std::int32_t id, std::int32_t slot) noexcept {
  try {
    auto [it, inserted] = m_entries.try_emplace(id, Entry{slot, {}});
    if (inserted) return true;
    Entry& entry = it->second;
    if (slot < entry.first) {
      entry.more.insert(entry.more.begin(), entry.first);
      entry.first = slot;
    } else {
      entry.more.insert(std::lower_bound(entry.more.begin(), entry.more.end(), slot), slot);
    }
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void CIdSlotIndex::Remove(std::int32_t id, std::int32_t slot) noexcept {
  auto it = m_entries.find(id);
  if (it == m_entries.end()) return;
  Entry& entry = it->second;
  if (entry.first == slot) {
    if (entry.more.empty()) {
      m_entries.erase(it);
      return;
    }
    entry.first = entry.more.front();
    entry.more.erase(entry.more.begin());
    return;
  }
  auto pos = std::lower_bound(entry.more.begin(), entry.more.end(), slot);
  if (pos != entry.more.end() && *pos == slot) entry.more.erase(pos);
}

void CIdSlotIndex::Move(std::int32_t id, std::int32_t from, std::int32_t to) noexcept {
  auto it = m_entries.find(id);
  if (it == m_entries.end()) return;
  Entry& entry = it->second;
  if (entry.more.empty()) {
    if (entry.first == from) entry.first = to;
    return;
  }
  // Replace `from` by `to` in the sorted list of first + more, keeping order.
  std::int32_t* p = nullptr;
  if (entry.first == from) {
    p = &entry.first;
  } else {
    auto pos = std::lower_bound(entry.more.begin(), entry.more.end(), from);
    if (pos == entry.more.end() || *pos != from) return;
    p = &*pos;
  }
  *p = to;
  // Bubble the changed value into place across first and more.
  auto at = [&](std::size_t k) -> std::int32_t& { return k == 0 ? entry.first : entry.more[k - 1]; };
  std::size_t n = 1 + entry.more.size();
  std::size_t k = p == &entry.first ? 0 : static_cast<std::size_t>(p - entry.more.data()) + 1;
  while (k + 1 < n && at(k) > at(k + 1)) {
    std::swap(at(k), at(k + 1));
    ++k;
  }
  while (k > 0 && at(k - 1) > at(k)) {
    std::swap(at(k - 1), at(k));
    --k;
  }
}
