#include "handheld/PdbFile.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "handheld/HandheldResult.h"

using namespace PdbLayout;
using namespace HandheldResult;

namespace {

// Compaction runs once the holes outnumber this and half the live records, so
// its linear cost is spread over at least as many removals.
constexpr std::size_t COMPACT_MIN_HOLES = 64;

bool IsDirtyRecord(const CPdbRecord& r, std::uint8_t) { return r.IsDirty(); }
bool IsInCategory(const CPdbRecord& r, std::uint8_t category) {
  return !r.IsDeleted() && r.Category() == category;
}

}  // namespace

// ---- Reading ---------------------------------------------------------------------

int CPdbFile::Parse(const std::uint8_t* bytes, std::size_t size, CPdbFile& out) {
  try {
    if (bytes == nullptr || size < PDB_HEADER_SIZE) return HH_ERR_DAMAGED;
    if (size > std::numeric_limits<std::uint32_t>::max()) return HH_ERR_TOO_LARGE;
    CPdbFile pdb;
    Info& info = pdb.m_info;
    std::size_t nameLength = 0;
    while (nameLength < PDB_NAME_SIZE && bytes[PDB_NAME + nameLength] != 0) ++nameLength;
    info.name.assign(reinterpret_cast<const char*>(bytes + PDB_NAME), nameLength);
    info.attributes = ReadBE16(bytes + PDB_ATTRIBUTES);
    info.version = ReadBE16(bytes + PDB_VERSION);
    info.creationDate = ReadBE32(bytes + PDB_CREATION_DATE);
    info.modificationDate = ReadBE32(bytes + PDB_MODIFICATION_DATE);
    info.backupDate = ReadBE32(bytes + PDB_BACKUP_DATE);
    info.modificationNumber = ReadBE32(bytes + PDB_MODIFICATION_NUMBER);
    info.type = ReadBE32(bytes + PDB_TYPE);
    info.creator = ReadBE32(bytes + PDB_CREATOR);
    info.uniqueIdSeed = ReadBE32(bytes + PDB_UNIQUE_ID_SEED);
    const std::size_t count = ReadBE16(bytes + PDB_NUM_RECORDS);
    const bool resource = pdb.IsResourceDb();
    const std::size_t entrySize = resource ? PDB_RES_ENTRY_SIZE : PDB_ENTRY_SIZE;
    const std::size_t listEnd = PDB_HEADER_SIZE + count * entrySize;
    if (listEnd > size) return HH_ERR_DAMAGED;

    // Every located item must lie between the record list and the end of the
    // file, in the order app-info, sort-info, records.  The two-byte gap after
    // the list is optional.
    std::vector<std::uint32_t> offsets(count);
    pdb.m_records.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint8_t* entry = bytes + PDB_HEADER_SIZE + i * entrySize;
      CPdbRecord& record = pdb.m_records[i];
      if (resource) {
        record.resourceType = ReadBE32(entry + PDB_RES_ENTRY_TYPE);
        record.resourceId = ReadBE16(entry + PDB_RES_ENTRY_ID);
        offsets[i] = ReadBE32(entry + PDB_RES_ENTRY_OFFSET);
      } else {
        offsets[i] = ReadBE32(entry + PDB_ENTRY_OFFSET);
        record.attributes = entry[PDB_ENTRY_ATTRIBUTES];
        record.uniqueId = ReadBE24(entry + PDB_ENTRY_UNIQUE_ID);
      }
      if (offsets[i] < listEnd || offsets[i] > size) return HH_ERR_DAMAGED;
      if (i > 0 && offsets[i] < offsets[i - 1]) return HH_ERR_DAMAGED;
    }
    const std::size_t appOffset = ReadBE32(bytes + PDB_APPINFO_OFFSET);
    const std::size_t sortOffset = ReadBE32(bytes + PDB_SORTINFO_OFFSET);
    const std::size_t dataStart = count > 0 ? offsets[0] : size;
    if (appOffset != 0 && (appOffset < listEnd || appOffset > dataStart)) return HH_ERR_DAMAGED;
    if (sortOffset != 0 && (sortOffset < listEnd || sortOffset > dataStart)) return HH_ERR_DAMAGED;
    if (appOffset != 0 && sortOffset != 0 && sortOffset < appOffset) return HH_ERR_DAMAGED;

    if (appOffset != 0) {
      const std::size_t end = sortOffset != 0 ? sortOffset : dataStart;
      pdb.m_appInfo.emplace(bytes + appOffset, bytes + end);
    }
    if (sortOffset != 0) pdb.m_sortInfo.emplace(bytes + sortOffset, bytes + dataStart);
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t end = i + 1 < count ? offsets[i + 1] : size;
      pdb.m_records[i].data.assign(bytes + offsets[i], bytes + end);
    }
    pdb.m_hole.assign(count, 0);
    pdb.m_rank.Reset(count);
    pdb.IndexIds();
    pdb.m_changed = false;
    out = std::move(pdb);
    return HH_OK;
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

// ---- Writing ---------------------------------------------------------------------

int CPdbFile::Serialize(std::vector<std::uint8_t>& out) const {
  try {
    const std::size_t count = RecordCount();
    if (count > PDB_MAX_RECORDS) return HH_ERR_TOO_LARGE;
    if (m_info.name.size() > PDB_NAME_SIZE) return HH_ERR_ARGUMENT;
    const bool resource = IsResourceDb();
    const std::size_t entrySize = resource ? PDB_RES_ENTRY_SIZE : PDB_ENTRY_SIZE;
    const std::size_t listEnd = PDB_HEADER_SIZE + count * entrySize;
    std::size_t total = listEnd + PDB_GAP_SIZE;
    if (m_appInfo) total += m_appInfo->size();
    if (m_sortInfo) total += m_sortInfo->size();
    for (std::size_t p = 0; p < m_records.size(); ++p) {
      if (!m_hole[p]) total += m_records[p].data.size();
    }
    if (total > std::numeric_limits<std::uint32_t>::max()) return HH_ERR_TOO_LARGE;

    std::vector<std::uint8_t> bytes(total, 0);
    std::uint8_t* h = bytes.data();
    std::memcpy(h + PDB_NAME, m_info.name.data(), m_info.name.size());
    WriteBE16(h + PDB_ATTRIBUTES, m_info.attributes);
    WriteBE16(h + PDB_VERSION, m_info.version);
    WriteBE32(h + PDB_CREATION_DATE, m_info.creationDate);
    WriteBE32(h + PDB_MODIFICATION_DATE, m_info.modificationDate);
    WriteBE32(h + PDB_BACKUP_DATE, m_info.backupDate);
    WriteBE32(h + PDB_MODIFICATION_NUMBER, m_info.modificationNumber);
    WriteBE32(h + PDB_TYPE, m_info.type);
    WriteBE32(h + PDB_CREATOR, m_info.creator);
    WriteBE32(h + PDB_UNIQUE_ID_SEED, m_info.uniqueIdSeed);
    WriteBE32(h + PDB_NEXT_RECORD_LIST, 0);
    WriteBE16(h + PDB_NUM_RECORDS, static_cast<std::uint16_t>(count));

    std::size_t at = listEnd + PDB_GAP_SIZE;
    if (m_appInfo) {
      WriteBE32(h + PDB_APPINFO_OFFSET, static_cast<std::uint32_t>(at));
      if (!m_appInfo->empty()) std::memcpy(h + at, m_appInfo->data(), m_appInfo->size());
      at += m_appInfo->size();
    }
    if (m_sortInfo) {
      WriteBE32(h + PDB_SORTINFO_OFFSET, static_cast<std::uint32_t>(at));
      if (!m_sortInfo->empty()) std::memcpy(h + at, m_sortInfo->data(), m_sortInfo->size());
      at += m_sortInfo->size();
    }
    std::size_t entryAt = PDB_HEADER_SIZE;
    for (std::size_t p = 0; p < m_records.size(); ++p) {
      if (m_hole[p]) continue;
      const CPdbRecord& record = m_records[p];
      std::uint8_t* entry = h + entryAt;
      if (resource) {
        WriteBE32(entry + PDB_RES_ENTRY_TYPE, record.resourceType);
        WriteBE16(entry + PDB_RES_ENTRY_ID, record.resourceId);
        WriteBE32(entry + PDB_RES_ENTRY_OFFSET, static_cast<std::uint32_t>(at));
      } else {
        WriteBE32(entry + PDB_ENTRY_OFFSET, static_cast<std::uint32_t>(at));
        entry[PDB_ENTRY_ATTRIBUTES] = record.attributes;
        WriteBE24(entry + PDB_ENTRY_UNIQUE_ID, record.uniqueId & PDB_UNIQUE_ID_MASK);
      }
      entryAt += entrySize;
      if (!record.data.empty()) std::memcpy(h + at, record.data.data(), record.data.size());
      at += record.data.size();
    }
    out = std::move(bytes);
    return HH_OK;
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

// ---- Blocks ------------------------------------------------------------------------

void CPdbFile::SetAppInfo(std::optional<std::vector<std::uint8_t>> block) {
  m_appInfo = std::move(block);
  m_changed = true;
}

void CPdbFile::SetSortInfo(std::optional<std::vector<std::uint8_t>> block) {
  m_sortInfo = std::move(block);
  m_changed = true;
}

// ---- Look-ups ------------------------------------------------------------------------

void CPdbFile::IndexIds() {
  m_ids.clear();
  if (IsResourceDb()) return;
  m_ids.reserve(m_records.size());
  for (std::size_t p = 0; p < m_records.size(); ++p) {
    if (!m_hole[p]) m_ids.emplace(m_records[p].uniqueId, p);  // the first of duplicates wins
  }
}

const CPdbRecord* CPdbFile::RecordAt(std::size_t index) const {
  if (index >= RecordCount()) return nullptr;
  return &m_records[PositionOf(index)];
}

long CPdbFile::IndexOfId(std::uint32_t id) const {
  const auto found = m_ids.find(id);
  if (found == m_ids.end()) return -1;
  return static_cast<long>(IndexOf(found->second));
}

const CPdbRecord* CPdbFile::RecordById(std::uint32_t id) const {
  const auto found = m_ids.find(id);
  return found == m_ids.end() ? nullptr : &m_records[found->second];
}

std::vector<std::uint32_t> CPdbFile::Ids() const {
  std::vector<std::uint32_t> ids;
  ids.reserve(RecordCount());
  for (std::size_t p = 0; p < m_records.size(); ++p) {
    if (!m_hole[p]) ids.push_back(m_records[p].uniqueId);
  }
  return ids;
}

long CPdbFile::NextMatching(std::size_t from, bool (*match)(const CPdbRecord&, std::uint8_t),
                            std::uint8_t arg) const {
  if (from >= RecordCount()) return -1;
  std::size_t index = from;
  for (std::size_t p = PositionOf(from); p < m_records.size(); ++p) {
    if (m_hole[p]) continue;
    if (match(m_records[p], arg)) return static_cast<long>(index);
    ++index;
  }
  return -1;
}

long CPdbFile::NextDirty(std::size_t from) const { return NextMatching(from, IsDirtyRecord, 0); }

long CPdbFile::NextInCategory(std::size_t from, std::uint8_t category) const {
  return NextMatching(from, IsInCategory, category);
}

// ---- Changes ------------------------------------------------------------------------

int CPdbFile::NewUniqueId(std::uint32_t& id) {
  if (IsResourceDb()) return HH_ERR_ARGUMENT;
  std::uint32_t candidate = m_info.uniqueIdSeed & PDB_UNIQUE_ID_MASK;
  // At most 65,535 ids are in use, so this ends long before wrapping round.
  for (std::uint32_t tries = 0; tries <= PDB_UNIQUE_ID_MASK; ++tries) {
    if (candidate == 0) candidate = 1;
    if (m_ids.find(candidate) == m_ids.end()) {
      id = candidate;
      m_info.uniqueIdSeed = (candidate + 1) & PDB_UNIQUE_ID_MASK;
      m_changed = true;
      return HH_OK;
    }
    candidate = (candidate + 1) & PDB_UNIQUE_ID_MASK;
  }
  return HH_ERR_FULL;
}

int CPdbFile::Append(CPdbRecord&& record, std::size_t* index) {
  if (RecordCount() >= PDB_MAX_RECORDS) return HH_ERR_FULL;
  // Everything that may run out of memory happens before the first change.
  if (m_records.size() == m_records.capacity()) m_records.reserve(std::max<std::size_t>(16, m_records.size() * 2));
  if (m_hole.size() == m_hole.capacity()) m_hole.reserve(std::max<std::size_t>(16, m_hole.size() * 2));
  m_rank.Reserve(m_records.size() + 1);
  m_records.push_back(std::move(record));
  m_hole.push_back(0);
  m_rank.Append();
  if (index != nullptr) *index = RecordCount() - 1;
  m_changed = true;
  return HH_OK;
}

int CPdbFile::WriteRecord(CPdbRecord record, std::uint32_t* id, std::size_t* index) {
  try {
    if (IsResourceDb()) return HH_ERR_ARGUMENT;
    if (record.uniqueId > PDB_UNIQUE_ID_MASK) return HH_ERR_ARGUMENT;
    if (record.uniqueId != 0) {
      const auto found = m_ids.find(record.uniqueId);
      if (found != m_ids.end()) {
        m_records[found->second] = std::move(record);
        m_changed = true;
        if (id != nullptr) *id = m_records[found->second].uniqueId;
        if (index != nullptr) *index = IndexOf(found->second);
        return HH_OK;
      }
    } else {
      if (RecordCount() >= PDB_MAX_RECORDS) return HH_ERR_FULL;
      const int rc = NewUniqueId(record.uniqueId);
      if (rc != HH_OK) return rc;
    }
    const std::uint32_t newId = record.uniqueId;
    if (RecordCount() >= PDB_MAX_RECORDS) return HH_ERR_FULL;
    const auto entry = m_ids.emplace(newId, m_records.size()).first;
    try {
      Append(std::move(record), index);
    } catch (const std::bad_alloc&) {
      m_ids.erase(entry);
      throw;
    }
    if (id != nullptr) *id = newId;
    return HH_OK;
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

int CPdbFile::AppendRecord(CPdbRecord record, std::size_t* index) {
  try {
    if (!IsResourceDb()) return HH_ERR_ARGUMENT;
    return Append(std::move(record), index);
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

int CPdbFile::ReplaceRecordAt(std::size_t index, CPdbRecord record) {
  if (index >= RecordCount()) return HH_ERR_NOT_FOUND;
  const std::size_t p = PositionOf(index);
  if (!IsResourceDb() && record.uniqueId != m_records[p].uniqueId) {
    // Keeping the id index true: a different id must not already belong to another record.
    if (record.uniqueId == 0 || record.uniqueId > PDB_UNIQUE_ID_MASK) return HH_ERR_ARGUMENT;
    if (m_ids.count(record.uniqueId) != 0) return HH_ERR_EXISTS;
    try {
      m_ids.emplace(record.uniqueId, p);
    } catch (const std::bad_alloc&) {
      return HH_ERR_NO_MEMORY;
    }
    const auto old = m_ids.find(m_records[p].uniqueId);
    if (old != m_ids.end() && old->second == p) m_ids.erase(old);
  }
  m_records[p] = std::move(record);
  m_changed = true;
  return HH_OK;
}

int CPdbFile::SetAttributes(std::size_t index, std::uint8_t attributes) {
  if (index >= RecordCount()) return HH_ERR_NOT_FOUND;
  m_records[PositionOf(index)].attributes = attributes;
  m_changed = true;
  return HH_OK;
}

int CPdbFile::SetData(std::size_t index, std::vector<std::uint8_t> data) {
  if (index >= RecordCount()) return HH_ERR_NOT_FOUND;
  m_records[PositionOf(index)].data = std::move(data);
  m_changed = true;
  return HH_OK;
}

void CPdbFile::RemovePosition(std::size_t position, bool mayCompact) {
  CPdbRecord& record = m_records[position];
  if (!IsResourceDb()) {
    const auto found = m_ids.find(record.uniqueId);
    if (found != m_ids.end() && found->second == position) m_ids.erase(found);
  }
  std::vector<std::uint8_t>().swap(record.data);
  m_hole[position] = 1;
  ++m_holes;
  m_rank.Remove(position);
  m_changed = true;
  if (mayCompact && m_holes >= COMPACT_MIN_HOLES && m_holes * 2 >= m_records.size()) Compact();
}

int CPdbFile::RemoveById(std::uint32_t id) {
  const auto found = m_ids.find(id);
  if (found == m_ids.end()) return HH_ERR_NOT_FOUND;
  RemovePosition(found->second, true);
  return HH_OK;
}

int CPdbFile::RemoveAt(std::size_t index) {
  if (index >= RecordCount()) return HH_ERR_NOT_FOUND;
  RemovePosition(PositionOf(index), true);
  return HH_OK;
}

void CPdbFile::Compact() {
  if (m_holes == 0) return;
  const bool byId = !IsResourceDb();
  std::size_t kept = 0;
  for (std::size_t p = 0; p < m_records.size(); ++p) {
    if (m_hole[p]) continue;
    // The id index follows the record it names (ids repeated in a foreign file
    // name only one record).
    if (byId) {
      const auto found = m_ids.find(m_records[p].uniqueId);
      if (found != m_ids.end() && found->second == p) found->second = kept;
    }
    if (kept != p) m_records[kept] = std::move(m_records[p]);
    ++kept;
  }
  m_records.resize(kept);
  m_hole.assign(kept, 0);
  m_holes = 0;
  m_rank.Reset(kept);
}

std::size_t CPdbFile::PurgeDeleted() {
  std::size_t removed = 0;
  for (std::size_t p = 0; p < m_records.size(); ++p) {
    if (!m_hole[p] && m_records[p].IsDeleted()) {
      RemovePosition(p, false);
      ++removed;
    }
  }
  Compact();
  return removed;
}

std::size_t CPdbFile::PurgeCategory(std::uint8_t category) {
  std::size_t removed = 0;
  for (std::size_t p = 0; p < m_records.size(); ++p) {
    if (!m_hole[p] && IsInCategory(m_records[p], category)) {
      RemovePosition(p, false);
      ++removed;
    }
  }
  Compact();
  return removed;
}

std::size_t CPdbFile::ChangeCategory(std::uint8_t from, std::uint8_t to) {
  std::size_t moved = 0;
  if (from > PDB_REC_CATEGORY_MASK || to > PDB_REC_CATEGORY_MASK) return 0;
  for (std::size_t p = 0; p < m_records.size(); ++p) {
    CPdbRecord& record = m_records[p];
    if (m_hole[p] || !IsInCategory(record, from)) continue;
    record.attributes = static_cast<std::uint8_t>((record.attributes & ~PDB_REC_CATEGORY_MASK) | to);
    ++moved;
  }
  if (moved > 0) m_changed = true;
  return moved;
}

void CPdbFile::ResetSyncFlags() {
  for (CPdbRecord& record : m_records) {
    if (record.IsDirty()) {
      record.attributes = static_cast<std::uint8_t>(record.attributes & ~PDB_REC_DIRTY);
      m_changed = true;
    }
  }
}

std::size_t CPdbFile::MakeIdsUnique() {
  if (IsResourceDb()) return 0;
  std::size_t renumbered = 0;
  // Memory running out leaves repeated ids behind: that goes up to the
  // reader as out of memory rather than as a database with repeated ids.
  RenumberIds(renumbered);
  if (renumbered > 0) m_changed = true;
  return renumbered;
}

void CPdbFile::RenumberIds(std::size_t& renumbered) {
  for (std::size_t p = 0; p < m_records.size(); ++p) {
    if (m_hole[p]) continue;
    CPdbRecord& record = m_records[p];
    const auto found = m_ids.find(record.uniqueId);
    if (record.uniqueId != 0 && found != m_ids.end() && found->second == p) continue;
    std::uint32_t id = 0;
    if (NewUniqueId(id) != HH_OK) break;
    m_ids.emplace(id, p);
    record.uniqueId = id;
    ++renumbered;
  }
}
