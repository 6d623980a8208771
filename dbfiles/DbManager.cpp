#include "dbfiles/DbManager.h"

#include <algorithm>
#include <climits>
#include <new>
#include <stdexcept>
#include <unordered_map>
#include <utility>

#include "dbfiles/ResultCodes.h"

namespace {

bool IsChangedRecord(const CSyncRecord& r) { return r.IsChanged(); }
bool IsPendingRecord(const CSyncRecord& r) { return r.IsPending(); }
std::int32_t IdKey(const CSyncRecord& r) { return r.GetId(); }
std::int32_t CategoryKey(const CSyncRecord& r) { return r.GetCategory(); }

// Minimum tree over the keys of the sort: finds the rightmost position in a
// range whose key is below a bound in logarithmic time.
class CMinTree {
 public:
  explicit CMinTree(const std::vector<std::int32_t>& keys) : m_count(keys.size()) {
    while (m_leaves < m_count) m_leaves <<= 1;
    m_tree.assign(2 * m_leaves, INT32_MAX);
    for (std::size_t i = 0; i < m_count; ++i) m_tree[m_leaves + i] = keys[i];
    for (std::size_t n = m_leaves - 1; n >= 1; --n) m_tree[n] = std::min(m_tree[2 * n], m_tree[2 * n + 1]);
  }
  void Set(std::size_t i, std::int32_t key) {
    std::size_t n = m_leaves + i;
    m_tree[n] = key;
    for (n >>= 1; n >= 1; n >>= 1) m_tree[n] = std::min(m_tree[2 * n], m_tree[2 * n + 1]);
  }
  // Rightmost position p in [lo, hi] with key(p) < bound, or -1.
  std::int64_t RightmostBelow(std::size_t lo, std::size_t hi, std::int32_t bound) const {
    return Find(1, 0, m_leaves - 1, lo, hi, bound);
  }

 private:
  std::int64_t Find(std::size_t node, std::size_t nodeLo, std::size_t nodeHi, std::size_t lo,
                    std::size_t hi, std::int32_t bound) const {
    if (nodeHi < lo || nodeLo > hi || m_tree[node] >= bound) return -1;
    if (nodeLo == nodeHi) return static_cast<std::int64_t>(nodeLo);
    std::size_t mid = nodeLo + (nodeHi - nodeLo) / 2;
    std::int64_t right = Find(2 * node + 1, mid + 1, nodeHi, lo, hi, bound);
    if (right >= 0) return right;
    return Find(2 * node, nodeLo, mid, lo, hi, bound);
  }

  std::size_t m_count;
  std::size_t m_leaves = 1;
  std::vector<std::int32_t> m_tree;
};

}  // namespace

CDbManager::CDbManager(ISyncLog* log, std::int32_t dbFlags, std::int32_t syncType)
    : m_log(log), m_dbFlags(dbFlags), m_syncType(syncType) {}

CDbManager::~CDbManager() = default;

// ---- Table helpers ------------------------------------------------------------

std::int32_t CDbManager::CopyOut(const CSyncRecord& stored, CSyncRecord& out) {
  if (&stored == &out) return DB_OK;
  return out.CopyFrom(stored);
}

const CSyncRecord* CDbManager::RecordAt(std::int32_t slot) const {
  if (slot < 0 || slot >= Capacity()) return nullptr;
  return m_slots[static_cast<std::size_t>(slot)].get();
}

CSyncRecord* CDbManager::MutableRecordAt(std::int32_t slot) {
  if (slot < 0 || slot >= Capacity()) return nullptr;
  return m_slots[static_cast<std::size_t>(slot)].get();
}

std::int32_t CDbManager::StoreAt(std::int32_t slot, const CSyncRecord& record) {
  if (slot < 0) return DB_ERR_BAD_CATEGORY_INDEX;
  if (slot >= Capacity()) {
    std::int32_t rc = Grow(slot + 1);
    if (rc != DB_OK) return rc;
  }
  std::unique_ptr<CSyncRecord> copy;
  try {
    copy = std::make_unique<CSyncRecord>();
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  if (copy->CopyFrom(record) != DB_OK) return DB_ERR_NO_MEMORY;
  copy->SetIndex(slot);
  Slot& target = m_slots[static_cast<std::size_t>(slot)];
  // The new id goes into the index before the old one leaves it, so that a
  // failed allocation leaves the table as it was.
  if (!target || target->GetId() != copy->GetId()) {
    if (!m_idIndex.Add(copy->GetId(), slot)) return DB_ERR_NO_MEMORY;
    if (target) m_idIndex.Remove(target->GetId(), slot);
  }
  if (!target) ++m_recordCount;
  target = std::move(copy);
  m_highWater = std::max(m_highWater, slot + 1);
  return DB_OK;
}

void CDbManager::FreeSlot(std::int32_t slot) {
  if (slot < 0 || slot >= Capacity()) return;
  Slot& target = m_slots[static_cast<std::size_t>(slot)];
  if (!target) return;
  m_idIndex.Remove(target->GetId(), slot);
  target.reset();
  --m_recordCount;
  m_firstFree = std::min(m_firstFree, slot);
}

void CDbManager::SwapSlots(std::int32_t a, std::int32_t b) {
  if (a == b || a < 0 || b < 0 || a >= Capacity() || b >= Capacity()) return;
  Slot& first = m_slots[static_cast<std::size_t>(a)];
  Slot& second = m_slots[static_cast<std::size_t>(b)];
  // Each record changes slot within its id's entry: nothing is allocated.
  bool sameId = first && second && first->GetId() == second->GetId();
  if (!sameId) {
    if (first) m_idIndex.Move(first->GetId(), a, b);
    if (second) m_idIndex.Move(second->GetId(), b, a);
  }
  std::swap(first, second);
  if (first) {
    first->SetIndex(a);
  } else {
    m_firstFree = std::min(m_firstFree, a);
  }
  if (second) {
    second->SetIndex(b);
  } else {
    m_firstFree = std::min(m_firstFree, b);
  }
  m_highWater = std::max({m_highWater, first ? a + 1 : 0, second ? b + 1 : 0});
}

std::int32_t CDbManager::FirstEmptySlot(std::int32_t& rc) {
  rc = DB_OK;
  // Every slot below m_firstFree is occupied.
  std::int32_t slot = m_firstFree;
  while (slot < Capacity() && m_slots[static_cast<std::size_t>(slot)]) ++slot;
  m_firstFree = slot;
  if (slot < Capacity()) return slot;
  rc = Grow(Capacity() + TABLE_GROWTH);
  return rc == DB_OK ? slot : -1;
}

// ---- Operations ---------------------------------------------------------------

CCategoryList* CDbManager::CategoryTable() { return m_categories.get(); }

bool CDbManager::HasCategoryBlock() const {
  return (m_dbFlags & DB_FLAGS_CONDUIT) == DB_FLAGS_CONDUIT;
}

std::int32_t CDbManager::GetRecordCount(std::int32_t& /*count*/) { return DB_ERR_NOT_SUPPORTED; }

std::int32_t CDbManager::IndexOfId(std::int32_t id) const {
  return m_idIndex.First(id);
}

std::int32_t CDbManager::GetRecordById(std::int32_t id, CSyncRecord& out, bool /*logErrors*/) {
  std::int32_t slot = IndexOfId(id);
  if (slot < 0) return DB_ERR_NOT_FOUND;
  return CopyOut(*m_slots[static_cast<std::size_t>(slot)], out);
}

std::int32_t CDbManager::FirstRecord(CSyncRecord& out) {
  SetWalk(WALK_ALL, 0);
  return NextRecord(out);
}

std::int32_t CDbManager::NextRecord(CSyncRecord& out) {
  if (m_walkMode < 0 || m_walkMode > WALK_MODE_MAX) return DB_ERR_BAD_ITERATION;
  return Walk(out);
}

std::int32_t CDbManager::Walk(CSyncRecord& out) {
  std::int32_t end = std::min(m_highWater, Capacity());
  for (std::int32_t slot = std::max(m_walkPosition, 0); slot < end; ++slot) {
    const CSyncRecord* record = m_slots[static_cast<std::size_t>(slot)].get();
    if (record == nullptr) continue;
    bool match = false;
    switch (m_walkMode) {
      case WALK_ALL: match = true; break;
      case WALK_CHANGED: match = record->IsChanged(); break;
      case WALK_PENDING: match = record->IsPending(); break;
      default: match = false; break;
    }
    if (!match) continue;
    std::int32_t rc = CopyOut(*record, out);
    if (rc != DB_OK) {
      m_walkPosition = slot;
      return rc;
    }
    m_walkPosition = slot + 1;
    return DB_OK;
  }
  m_walkPosition = end;
  return DB_ERR_NOT_FOUND;
}

std::int32_t CDbManager::FirstPending(CSyncRecord& out) {
  SetWalk(WALK_PENDING, 0);
  return NextRecord(out);
}

std::int32_t CDbManager::FirstModified(CSyncRecord& out) {
  std::int32_t rc = Reorder(REORDER_CHANGED_FIRST);
  if (rc != DB_OK) return rc;
  SetWalk(WALK_CHANGED, 0);
  return NextRecord(out);
}

std::int32_t CDbManager::PurgeCategory(std::int32_t, bool) { return DB_ERR_NOT_SUPPORTED; }
std::int32_t CDbManager::ChangeCategory(std::int32_t, std::int32_t) { return DB_ERR_NOT_SUPPORTED; }

std::int32_t CDbManager::AddRecord(CSyncRecord& record) {
  record.ResetStatus();
  return InsertRecord(record);
}

std::int32_t CDbManager::InsertRecord(CSyncRecord& record) {
  std::int32_t rc = DB_OK;
  std::int32_t slot = FirstEmptySlot(rc);
  if (slot < 0) return rc;
  rc = StoreAt(slot, record);
  if (rc != DB_OK) return rc;
  record.SetIndex(slot);
  OnTableChanged();
  return DB_OK;
}

std::int32_t CDbManager::ModifyRecord(CSyncRecord&) { return DB_ERR_NOT_SUPPORTED; }
std::int32_t CDbManager::DeleteRecord(CSyncRecord&) { return DB_ERR_NOT_SUPPORTED; }
std::int32_t CDbManager::ModifyRecordAt(std::int32_t, CSyncRecord&) { return DB_ERR_NOT_SUPPORTED; }

void CDbManager::SetSyncType(std::int32_t syncType) { m_syncType = syncType; }

std::int32_t CDbManager::FirstNew(CSyncRecord&) { return DB_ERR_NOT_SUPPORTED; }
std::int32_t CDbManager::PurgeDeleted() { return DB_ERR_NOT_SUPPORTED; }

std::int32_t CDbManager::Reorder(std::int32_t kind) {
  if (kind < REORDER_BY_ID || kind > REORDER_BY_CATEGORY_TOO) return DB_ERR_NOT_SUPPORTED;
  if (m_recordCount == 0) return DB_OK;
  try {
    switch (kind) {
      case REORDER_BY_ID: return SortByKey(IdKey);
      case REORDER_CHANGED_FIRST: MoveMatchingToFront(IsChangedRecord); break;
      case REORDER_PENDING_FIRST: MoveMatchingToFront(IsPendingRecord); break;
      default: return SortByKey(CategoryKey);
    }
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  return DB_OK;
}

void CDbManager::MoveMatchingToFront(bool (*matches)(const CSyncRecord&)) {
  std::int32_t end = std::min(m_highWater, Capacity());
  // The first later matching slot only moves forward: the slots between a
  // non-matching slot and the match found for it hold no matching record.
  std::int32_t next = 0;
  for (std::int32_t slot = 0; slot < end; ++slot) {
    const CSyncRecord* record = m_slots[static_cast<std::size_t>(slot)].get();
    if (record == nullptr || matches(*record)) continue;
    next = std::max(next, slot + 1);
    while (next < end && !(m_slots[static_cast<std::size_t>(next)] &&
                           matches(*m_slots[static_cast<std::size_t>(next)]))) {
      ++next;
    }
    if (next >= end) return;
    SwapSlots(slot, next);
    ++next;
  }
}

std::int32_t CDbManager::SortByKey(std::int32_t (*key)(const CSyncRecord&)) {
  // The order is that of the exchange sort over the occupied slots: for each
  // occupied slot i, the later slots are scanned from the high-water mark down,
  // and every record whose key is below slot i's current key is exchanged into
  // slot i.  Only the order of equal keys depends on that procedure, so:
  //  - distinct keys: an ordinary sort gives the same (unique) order;
  //  - few distinct keys: each step exchanges at most once per smaller key
  //    value, and a minimum tree finds each exchange directly;
  //  - otherwise the exchanges are simulated on plain arrays.
  // The records move once, at the end, and the id index is rebuilt before
  // anything changes.
  std::vector<std::int32_t> occupied;
  std::int32_t end = std::min(m_highWater, Capacity());
  for (std::int32_t slot = 0; slot < end; ++slot) {
    if (m_slots[static_cast<std::size_t>(slot)]) occupied.push_back(slot);
  }
  const std::size_t count = occupied.size();
  if (count < 2) return DB_OK;
  std::vector<std::int32_t> keys(count);
  for (std::size_t i = 0; i < count; ++i) keys[i] = key(*m_slots[static_cast<std::size_t>(occupied[i])]);
  // order[i]: the position (in `occupied`) of the record that ends at position i.
  std::vector<std::size_t> order(count);
  for (std::size_t i = 0; i < count; ++i) order[i] = i;

  std::vector<std::int32_t> distinct = keys;
  std::sort(distinct.begin(), distinct.end());
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
  if (distinct.size() == count) {
    std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return keys[x] < keys[y]; });
  } else if (distinct.size() <= 64) {
    CMinTree tree(keys);
    for (std::size_t i = 0; i + 1 < count; ++i) {
      std::size_t hi = count - 1;
      while (hi > i) {
        std::int64_t found = tree.RightmostBelow(i + 1, hi, keys[i]);
        if (found < 0) break;
        std::size_t j = static_cast<std::size_t>(found);
        std::swap(keys[i], keys[j]);
        std::swap(order[i], order[j]);
        tree.Set(i, keys[i]);
        tree.Set(j, keys[j]);
        hi = j - 1;
      }
    }
  } else {
    for (std::size_t i = 0; i + 1 < count; ++i) {
      for (std::size_t j = count - 1; j > i; --j) {
        if (keys[j] < keys[i]) {
          std::swap(keys[i], keys[j]);
          std::swap(order[i], order[j]);
        }
      }
    }
  }

  CIdSlotIndex index;
  index.Reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const CSyncRecord& record = *m_slots[static_cast<std::size_t>(occupied[order[i]])];
    if (!index.Add(record.GetId(), occupied[i])) return DB_ERR_NO_MEMORY;
  }
  // Holes stay where they are: only occupied slots take part in the order.
  std::vector<Slot> moved(count);
  for (std::size_t i = 0; i < count; ++i) moved[i] = std::move(m_slots[static_cast<std::size_t>(occupied[order[i]])]);
  // Nothing below allocates: commit.
  for (std::size_t i = 0; i < count; ++i) {
    moved[i]->SetIndex(occupied[i]);
    m_slots[static_cast<std::size_t>(occupied[i])] = std::move(moved[i]);
  }
  // Every slot that was in the index was rebuilt above; ids of records outside
  // the high-water mark cannot exist.
  m_idIndex.Swap(index);
  return DB_OK;
}

std::int32_t CDbManager::LoadCategories() {
  if (!UsesCategories()) return DB_OK;
  std::int32_t rc = Load();
  if (rc != DB_OK) return rc;
  return CategoriesFromAppInfo();
}

std::int32_t CDbManager::StoreCategories() {
  if (UsesCategories() && HasCategoryBlock() && m_categories && m_categories->IsChanged()) {
    return CategoriesToAppInfo();
  }
  return DB_OK;
}

std::int32_t CDbManager::RemapCategories(const std::int32_t*) { return DB_ERR_NOT_SUPPORTED; }
std::int32_t CDbManager::GetSortInfo(DbBlockInfo&) { return DB_ERR_NOT_SUPPORTED; }
std::int32_t CDbManager::SetSortInfo(const DbBlockInfo&) { return DB_ERR_NOT_SUPPORTED; }
std::int32_t CDbManager::GetAppInfo(DbBlockInfo&) { return DB_ERR_NOT_SUPPORTED; }
std::int32_t CDbManager::SetAppInfo(const DbBlockInfo&) { return DB_ERR_NOT_SUPPORTED; }
bool CDbManager::HasAppInfoExtra() { return false; }
std::int32_t CDbManager::SetAppInfoExtra(std::uint32_t, const std::uint8_t*) { return DB_ERR_NOT_SUPPORTED; }
std::int32_t CDbManager::GetAppInfoExtra(std::uint8_t*, std::uint32_t*) { return DB_ERR_NOT_SUPPORTED; }
const std::uint8_t* CDbManager::AppInfoExtraPtr() { return nullptr; }
std::uint32_t CDbManager::AppInfoExtraSize() { return 0; }

std::int32_t CDbManager::SetDbInfo(const char*, std::uint16_t, std::uint32_t, std::uint32_t,
                                   std::uint16_t, std::uint32_t, std::uint32_t, std::uint32_t,
                                   std::uint32_t) {
  return DB_ERR_NOT_SUPPORTED;
}

std::int32_t CDbManager::GetAllIds(std::int32_t* ids, std::int32_t* count) {
  if (count == nullptr) return DB_ERR_NULL_ARGUMENT;
  if (*count < m_recordCount) {
    *count = m_recordCount;
    return DB_ERR_BUFFER_TOO_SMALL;
  }
  if (ids == nullptr) return DB_ERR_NULL_BUFFER;
  std::int32_t written = 0;
  std::int32_t end = std::min(m_highWater, Capacity());
  for (std::int32_t slot = 0; slot < end && written < m_recordCount; ++slot) {
    const CSyncRecord* record = m_slots[static_cast<std::size_t>(slot)].get();
    if (record != nullptr) ids[written++] = record->GetId();
  }
  *count = written;
  return DB_OK;
}

std::int32_t CDbManager::ReorderByIds(const std::int32_t* ids, std::int32_t count) {
  if (m_recordCount == 0) return DB_OK;
  if (count != m_recordCount) return DB_ERR_COUNT_MISMATCH;
  if (ids == nullptr) return DB_ERR_NULL_BUFFER;
  try {
    // Plan first: which old slot goes to which new position.  Records that
    // share an id are placed in their slot order.
    std::vector<std::int32_t> sourceOf(static_cast<std::size_t>(count), -1);
    std::unordered_map<std::int32_t, std::size_t> used;
    std::int32_t placed = 0;
    for (std::int32_t i = 0; i < count; ++i) {
      std::int32_t id = ids[i];
      if (id == -1) continue;
      std::size_t carriers = m_idIndex.Count(id);
      if (carriers == 0) return DB_ERR_UNKNOWN_ID;
      std::size_t& next = used[id];
      // An id asked for more often than records carry it would place one
      // record twice and leave another out.
      if (next >= carriers) return DB_ERR_COUNT_MISMATCH;
      sourceOf[static_cast<std::size_t>(i)] = m_idIndex.At(id, next++);
      ++placed;
    }
    if (placed != m_recordCount) return DB_ERR_COUNT_MISMATCH;

    std::vector<Slot> table(static_cast<std::size_t>(std::max(Capacity(), count)));
    CIdSlotIndex index;
    index.Reserve(static_cast<std::size_t>(count));
    std::int32_t highWater = 0;
    for (std::int32_t i = 0; i < count; ++i) {
      std::int32_t source = sourceOf[static_cast<std::size_t>(i)];
      if (source < 0) continue;
      if (!index.Add(m_slots[static_cast<std::size_t>(source)]->GetId(), i)) return DB_ERR_NO_MEMORY;
      highWater = i + 1;
    }
    // Nothing below allocates: commit.
    for (std::int32_t i = 0; i < count; ++i) {
      std::int32_t source = sourceOf[static_cast<std::size_t>(i)];
      if (source < 0) continue;
      table[static_cast<std::size_t>(i)] = std::move(m_slots[static_cast<std::size_t>(source)]);
      table[static_cast<std::size_t>(i)]->SetIndex(i);
    }
    m_slots.swap(table);
    m_idIndex.Swap(index);
    m_highWater = highWater;
    m_firstFree = 0;
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  return DB_OK;
}

bool CDbManager::UsesCategories() const { return (m_dbFlags & DB_FLAG_USES_CATEGORIES) != 0; }

void CDbManager::SetUsesCategories(bool on) {
  m_dbFlags = on ? (m_dbFlags | DB_FLAG_USES_CATEGORIES) : (m_dbFlags & ~DB_FLAG_USES_CATEGORIES);
}

std::int32_t CDbManager::CategoriesFromAppInfo() { return DB_ERR_NOT_SUPPORTED; }
std::int32_t CDbManager::CategoriesToAppInfo() { return DB_ERR_NOT_SUPPORTED; }

void CDbManager::FreeAll() {
  std::vector<Slot>().swap(m_slots);
  m_idIndex.Clear();
  m_recordCount = 0;
  m_highWater = 0;
  m_firstFree = 0;
  m_walkPosition = 0;
}

std::int32_t CDbManager::Grow(std::int32_t slots) {
  if (slots <= Capacity()) return DB_OK;
  try {
    m_slots.resize(static_cast<std::size_t>(slots));
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  return DB_OK;
}

std::int32_t CDbManager::GetByPosition(std::int32_t n, CSyncRecord& out) {
  if (n < 0 || n >= m_recordCount) return DB_ERR_NOT_FOUND;
  std::int32_t end = std::min(m_highWater, Capacity());
  for (std::int32_t slot = 0; slot < end; ++slot) {
    const CSyncRecord* record = m_slots[static_cast<std::size_t>(slot)].get();
    if (record != nullptr && n-- == 0) return CopyOut(*record, out);
  }
  return DB_ERR_NOT_FOUND;
}

std::int32_t CDbManager::FindByAlternateIndex(std::int32_t alternateIndex, CSyncRecord& out) {
  std::int32_t end = std::min(m_highWater, Capacity());
  for (std::int32_t slot = 0; slot < end; ++slot) {
    const CSyncRecord* record = m_slots[static_cast<std::size_t>(slot)].get();
    if (record != nullptr && record->GetAlternateIndex() == alternateIndex) return CopyOut(*record, out);
  }
  return DB_ERR_NOT_FOUND;
}

std::int32_t CDbManager::FindByIdAndAlternateIndex(std::int32_t id, std::int32_t alternateIndex,
                                                   CSyncRecord& out) {
  std::size_t carriers = m_idIndex.Count(id);
  for (std::size_t k = 0; k < carriers; ++k) {
    const CSyncRecord& record = *m_slots[static_cast<std::size_t>(m_idIndex.At(id, k))];
    if (record.GetAlternateIndex() == alternateIndex) return CopyOut(record, out);
  }
  return DB_ERR_NOT_FOUND;
}

void CDbManager::Reset() {
  FreeAll();
  m_categories.reset();
  m_walkMode = WALK_NONE;
  m_walkPosition = 0;
}
