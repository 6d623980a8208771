// CCategoryList: the 16-slot category table and the category block.

#include "dbfiles/CategoryList.h"

#include <cstring>
#include <new>
#include <string_view>

#include "dbfiles/ResultCodes.h"
#include "platform/recordfile/FileLayout.h"
#include "platform/text/Mbcs.h"

namespace {

// Bytes a file name must not contain; each becomes '_'.
constexpr std::string_view kFileNameUnsafe = "\"*+,./:;<=>?[\\]^|";
constexpr std::int32_t kMaxId = 255;
// Room for a long name and its NUL.
constexpr std::size_t kLongNameBuffer = CPCategory::MAX_LONG_NAME_LENGTH + 1;

bool ValidSlot(std::int32_t index) { return index >= 0 && index < CCategoryList::SLOT_COUNT; }

}  // namespace

CCategoryList::CCategoryList(const CCategoryList& other)
    : m_changed(other.m_changed), m_count(other.m_count), m_position(other.m_position) {
  for (std::size_t i = 0; i < m_slots.size(); ++i) {
    if (other.m_slots[i]) m_slots[i] = std::make_unique<CPCategory>(*other.m_slots[i]);
  }
}

CCategoryList& CCategoryList::operator=(const CCategoryList& other) {
  if (this != &other) {
    CCategoryList copy(other);
    m_slots.swap(copy.m_slots);
    m_changed = copy.m_changed;
    m_count = copy.m_count;
    m_position = copy.m_position;
  }
  return *this;
}

CCategoryList::~CCategoryList() = default;

std::int32_t CCategoryList::ReadCategoryBlock(const std::uint8_t* data, std::size_t length) {
  if (length < FileLayout::CAT_BLOCK_SIZE) return CAT_ERR_BLOCK_TOO_SHORT;
  if (data == nullptr) return DB_ERR_NULL_BUFFER;
  Clear();
  m_changed = false;
  std::uint16_t renamed = FileLayout::ReadU16BE(data + FileLayout::CAT_RENAMED);
  for (std::int32_t slot = 0; slot < SLOT_COUNT; ++slot) {
    const char* field = reinterpret_cast<const char*>(data + FileLayout::CAT_NAMES +
                                                      static_cast<std::size_t>(slot) * FileLayout::CAT_NAME_FIELD_SIZE);
    std::size_t nameLength = ::strnlen(field, FileLayout::CAT_NAME_FIELD_SIZE);
    if (nameLength == 0) continue;
    // A name that fills its whole field has no NUL: it is cut to the longest
    // name the field can hold.
    std::string name(field, nameLength);
    CPCategory category;
    category.SetIndex(slot);
    category.SetId(data[FileLayout::CAT_IDS + static_cast<std::size_t>(slot)]);
    category.SetName(name.c_str());
    if ((renamed & (1u << slot)) != 0) {
      category.SetRenamed(true);
      m_changed = true;
    }
    std::int32_t result = AddCategory(category);
    if (result != 0) return result;
  }
  return 0;
}

std::int32_t CCategoryList::WriteCategoryBlock(std::uint8_t* buffer, std::int32_t* size) const {
  if (size == nullptr) return DB_ERR_NULL_ARGUMENT;
  if (buffer == nullptr) return DB_ERR_NULL_BUFFER;
  constexpr auto kBlockSize = static_cast<std::int32_t>(FileLayout::CAT_BLOCK_SIZE);
  if (*size < kBlockSize) {
    *size = kBlockSize;
    return DB_ERR_BUFFER_TOO_SMALL;
  }
  std::memset(buffer, 0, FileLayout::CAT_BLOCK_SIZE);
  for (std::size_t slot = 0; slot < m_slots.size(); ++slot) {
    const CPCategory* category = m_slots[slot].get();
    if (category == nullptr) continue;
    const std::string& name = category->Name();
    std::size_t length = name.size() < FileLayout::CAT_NAME_MAX ? name.size() : FileLayout::CAT_NAME_MAX;
    std::memcpy(buffer + FileLayout::CAT_NAMES + slot * FileLayout::CAT_NAME_FIELD_SIZE, name.data(), length);
    buffer[FileLayout::CAT_IDS + slot] = static_cast<std::uint8_t>(category->GetId());
  }
  *size = kBlockSize;
  return 0;
}

std::int32_t CCategoryList::GetCount() const { return m_count; }

CPCategory* CCategoryList::FindById(std::int32_t id) {
  for (auto& slot : m_slots) {
    if (slot && slot->GetId() == id) return slot.get();
  }
  return nullptr;
}

CPCategory* CCategoryList::FindByName(const char* name) {
  if (name == nullptr || *name == '\0') return nullptr;
  for (auto& slot : m_slots) {
    if (slot && !slot->Name().empty() && MbsCompareNoCase(slot->Name(), name) == 0) return slot.get();
  }
  return nullptr;
}

CPCategory* CCategoryList::GetByIndex(std::int32_t index) {
  return ValidSlot(index) ? m_slots[static_cast<std::size_t>(index)].get() : nullptr;
}

CPCategory* CCategoryList::First() {
  m_position = 0;
  return Next();
}

CPCategory* CCategoryList::Next() {
  while (m_position < SLOT_COUNT) {
    CPCategory* category = m_slots[static_cast<std::size_t>(m_position++)].get();
    if (category != nullptr) return category;
  }
  return nullptr;
}

std::int32_t CCategoryList::FirstFreeIndex() const {
  for (std::int32_t index = 1; index < SLOT_COUNT; ++index) {
    if (!m_slots[static_cast<std::size_t>(index)]) return index;
  }
  return -1;
}

void CCategoryList::MarkAllRenamed() {
  for (auto& slot : m_slots) {
    if (slot) slot->SetRenamed(true);
  }
}

std::int32_t CCategoryList::Add(const CPCategory& category) {
  std::int32_t result = AddCategory(category);
  if (result == 0) m_changed = true;
  return result;
}

std::int32_t CCategoryList::SetAt(std::int32_t index, const CPCategory& category) {
  if (!ValidSlot(index)) return DB_ERR_BAD_CATEGORY_INDEX;
  try {
    auto copy = std::make_unique<CPCategory>(category);
    copy->SetIndex(index);
    auto& slot = m_slots[static_cast<std::size_t>(index)];
    if (!slot) ++m_count;
    slot = std::move(copy);
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  m_changed = true;
  return 0;
}

std::int32_t CCategoryList::RenameAt(std::int32_t index, const char* name) {
  if (!ValidSlot(index)) return DB_ERR_BAD_CATEGORY_INDEX;
  CPCategory* category = m_slots[static_cast<std::size_t>(index)].get();
  if (category == nullptr) return CAT_ERR_EMPTY_SLOT;
  if (name == nullptr || *name == '\0') return DB_ERR_EMPTY_NAME;
  std::int32_t result = category->SetName(name);
  char longName[kLongNameBuffer] = "";
  if (MakeFileName(category->Name().c_str(), longName, sizeof longName) == 0) {
    category->SetLongName(longName);
  }
  category->SetRenamed(true);
  m_changed = true;
  return result;
}

std::int32_t CCategoryList::RemoveAt(std::int32_t index) {
  if (!ValidSlot(index) || !m_slots[static_cast<std::size_t>(index)]) return DB_ERR_BAD_CATEGORY_INDEX;
  m_slots[static_cast<std::size_t>(index)].reset();
  --m_count;
  m_changed = true;
  return 0;
}

std::int32_t CCategoryList::DeleteById(std::int32_t id) {
  CPCategory* category = FindById(id);
  if (category == nullptr) return DB_ERR_CATEGORY_NOT_FOUND;
  return RemoveAt(category->GetIndex());
}

std::int32_t CCategoryList::DeleteByName(const char* name) {
  if (name == nullptr || *name == '\0') return DB_ERR_EMPTY_NAME;
  for (std::size_t i = 0; i < m_slots.size(); ++i) {
    if (m_slots[i] && MbsCompare(m_slots[i]->Name(), name) == 0) {
      return RemoveAt(static_cast<std::int32_t>(i));
    }
  }
  return DB_ERR_CATEGORY_NOT_FOUND;
}

bool CCategoryList::IsChanged() const { return m_changed; }
void CCategoryList::SetChanged(bool changed) { m_changed = changed; }

bool CCategoryList::Equals(const CCategoryList& other) const {
  for (std::size_t i = 0; i < m_slots.size(); ++i) {
    const CPCategory* mine = m_slots[i].get();
    const CPCategory* theirs = other.m_slots[i].get();
    if (mine == nullptr && theirs == nullptr) continue;
    if (mine == nullptr || theirs == nullptr || !mine->Equals(*theirs)) return false;
  }
  return true;
}

void CCategoryList::Clear() {
  for (auto& slot : m_slots) slot.reset();
  m_count = 0;
  m_position = 0;
}

std::int32_t CCategoryList::AddCategory(const CPCategory& category) {
  if (m_count >= SLOT_COUNT) return CAT_ERR_TABLE_FULL;
  std::int32_t index = category.GetIndex();
  bool newSlot = index == -1;
  if (newSlot) {
    index = FirstFreeIndex();
    if (index == -1) return CAT_ERR_TABLE_FULL;
  } else if (!ValidSlot(index)) {
    return CAT_ERR_BAD_INDEX;
  }
  std::int32_t id = category.GetId();
  if (id < 0) {
    id = NewId();
    if (id < 0) return CAT_ERR_TABLE_FULL;
  }
  if (id > kMaxId) return CAT_ERR_BAD_INDEX;
  if (FindById(id) != nullptr) return CAT_ERR_DUPLICATE_ID;
  try {
    auto copy = std::make_unique<CPCategory>(category);
    copy->SetIndex(index);
    copy->SetId(id);
    if (newSlot) copy->SetRenamed(true);
    if (!copy->Name().empty()) {
      char longName[kLongNameBuffer] = "";
      if (MakeFileName(copy->Name().c_str(), longName, sizeof longName) == 0) copy->SetLongName(longName);
    }
    auto& slot = m_slots[static_cast<std::size_t>(index)];
    // A category already in the slot is replaced, so the count stays right.
    if (!slot) ++m_count;
    slot = std::move(copy);
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  return 0;
}

std::int32_t CCategoryList::NewId() { return -1; }

std::uint16_t CCategoryList::SwapBytes(std::uint16_t value) const {
  return static_cast<std::uint16_t>((value >> 8) | (value << 8));
}

std::int32_t CCategoryList::MakeFileName(const char* name, char* buffer, std::size_t bufferSize) const {
  if (name == nullptr || *name == '\0') return DB_ERR_EMPTY_NAME;
  if (buffer == nullptr) return DB_ERR_NULL_BUFFER;
  if (bufferSize == 0) return DB_ERR_BUFFER_TOO_SMALL;
  std::string_view source(name);
  std::size_t length = source.size() < bufferSize ? source.size() : MbsTruncate(source, bufferSize - 1);
  for (std::size_t i = 0; i < length; ++i) {
    char c = source[i];
    buffer[i] = kFileNameUnsafe.find(c) != std::string_view::npos ? '_' : c;
  }
  buffer[length] = '\0';
  return 0;
}
