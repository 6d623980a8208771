#include "store/CategoryTable.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/text/Mbcs.h"

using namespace FileLayout;

namespace {
constexpr int SLOT_COUNT = static_cast<int>(CAT_COUNT);
// Identifiers are stored as one byte: two ids are the same when their low
// bytes are (ids read from the file are sign-extended, new ones are not).
constexpr int ID_VALUES = 256;
int LowByte(int id) { return id & (ID_VALUES - 1); }
bool ValidIndex(int index) { return index >= 0 && index < SLOT_COUNT; }
}  // namespace

CCategoryTable::CCategoryTable() = default;
CCategoryTable::~CCategoryTable() = default;

int CCategoryTable::Count() const {
  return static_cast<int>(std::count_if(entries.begin(), entries.end(),
                                        [](const auto& slot) { return slot.has_value(); }));
}

bool CCategoryTable::IdInUse(int id) const {
  for (const auto& slot : entries) {
    if (slot && LowByte(slot->uniqueId) == LowByte(id)) return true;
  }
  return false;
}

int CCategoryTable::Add(CCategory& category) {
  int index = 0;
  while (index < SLOT_COUNT && Entry(index)) ++index;
  if (index == SLOT_COUNT) return CAT_FULL;
  // Hand out the next identifier that no category of the table holds.  A
  // table of 16 entries can never hold all 256 values; the bound only keeps the
  // loop finite.
  int id = nextId;
  int tries = 0;
  while (IdInUse(id)) {
    if (++tries == ID_VALUES) return CAT_FULL;
    ++id;
  }
  nextId = id + 1;
  category.index = index;
  category.uniqueId = id;
  Entry(index) = category;
  return CAT_OK;
}

int CCategoryTable::Remove(int index) {
  if (!ValidIndex(index) || !Entry(index)) return CAT_NOT_FOUND;
  Entry(index).reset();
  return CAT_OK;
}

int CCategoryTable::Rename(int index, std::string_view name) {
  if (!ValidIndex(index) || !Entry(index)) return CAT_NOT_FOUND;
  Entry(index)->name.assign(name);
  Entry(index)->renamed = 1;
  return CAT_OK;
}

int CCategoryTable::FindByName(std::string_view name, CCategory& out) const {
  for (const auto& slot : entries) {
    if (slot && MbsCompare(slot->name, name) == 0) {
      out = *slot;
      return CAT_OK;
    }
  }
  return CAT_NOT_FOUND;
}

int CCategoryTable::FindByIndex(int index, CCategory& out) const {
  if (!ValidIndex(index) || !Entry(index)) return CAT_NOT_FOUND;
  out = *Entry(index);
  return CAT_OK;
}

int CCategoryTable::Seek(int fromIndex, CCategory& out) {
  if (Count() == 0) return CAT_EMPTY;
  for (int index = fromIndex; index < SLOT_COUNT; ++index) {
    if (Entry(index)) {
      cursor = static_cast<std::uint16_t>(index);
      out = *Entry(index);
      return CAT_OK;
    }
  }
  return CAT_NOT_FOUND;
}

int CCategoryTable::First(CCategory& out) { return Seek(0, out); }

int CCategoryTable::Next(CCategory& out) { return Seek(cursor + 1, out); }

void CCategoryTable::ReadFrom(const std::uint8_t* data, std::size_t size) {
  for (auto& slot : entries) slot.reset();
  nextId = FIRST_NEW_ID;
  cursor = 0;
  const std::size_t avail = std::min(size, CAT_BLOCK_SIZE);
  const std::uint16_t renamedBits =
      avail >= CAT_RENAMED + sizeof(std::uint16_t) ? ReadU16BE(data + CAT_RENAMED) : 0;
  for (int index = 0; index < SLOT_COUNT; ++index) {
    const std::size_t field = CAT_NAMES + CAT_NAME_FIELD_SIZE * static_cast<std::size_t>(index);
    if (field >= avail) break;
    // The name ends at its zero byte, and never runs past its own field or
    // past the data that is there.
    const char* start = reinterpret_cast<const char*>(data + field);
    const std::size_t room = std::min(CAT_NAME_FIELD_SIZE, avail - field);
    const void* zero = std::memchr(start, 0, room);
    std::string_view name(start, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - start) : room);
    name = name.substr(0, MbsTruncate(name, CAT_NAME_MAX));
    if (name.empty()) continue;
    const std::size_t idPos = CAT_IDS + static_cast<std::size_t>(index);
    const int id = idPos < avail ? static_cast<int>(static_cast<std::int8_t>(data[idPos])) : 0;
    const int renamed = (renamedBits >> index) & 1;
    Entry(index).emplace(index, id, std::string(name), renamed);
  }
}

void CCategoryTable::WriteTo(std::uint8_t* data, std::size_t size) const {
  const std::size_t avail = std::min(size, CAT_BLOCK_SIZE);
  std::memset(data, 0, avail);
  std::uint16_t renamedBits = 0;
  for (int index = 0; index < SLOT_COUNT; ++index) {
    if (!Entry(index)) continue;
    const CCategory& category = *Entry(index);
    // Cut to 15 bytes without splitting a double-byte character.
    const std::size_t length = MbsTruncate(category.name, CAT_NAME_MAX);
    const std::size_t field = CAT_NAMES + CAT_NAME_FIELD_SIZE * static_cast<std::size_t>(index);
    if (field < avail) std::memcpy(data + field, category.name.data(), std::min(length, avail - field));
    const std::size_t idPos = CAT_IDS + static_cast<std::size_t>(index);
    if (idPos < avail) data[idPos] = static_cast<std::uint8_t>(LowByte(category.uniqueId));
    if (category.renamed) renamedBits = static_cast<std::uint16_t>(renamedBits | (1u << index));
  }
  if (avail >= CAT_RENAMED + sizeof(std::uint16_t)) WriteU16BE(data + CAT_RENAMED, renamedBits);
}
