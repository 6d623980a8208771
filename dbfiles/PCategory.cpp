// CPCategory: one category of a category table.

#include "dbfiles/PCategory.h"

#include <cstring>
#include <new>

#include "dbfiles/ResultCodes.h"
#include "platform/text/Mbcs.h"

namespace {

// Sets `field` to `text` cut to `maxBytes` without splitting a double-byte
// character; DB_ERR_TOO_LONG when it was cut.
std::int32_t AssignCut(std::string& field, const char* text, std::size_t maxBytes) {
  if (text == nullptr) {
    field.clear();
    return 0;
  }
  std::string_view view(text);
  std::size_t keep = view.size() > maxBytes ? MbsTruncate(view, maxBytes) : view.size();
  try {
    field.assign(view.substr(0, keep));
  } catch (const std::bad_alloc&) {
    field.clear();
    return DB_ERR_NO_MEMORY;
  }
  return keep < view.size() ? DB_ERR_TOO_LONG : 0;
}

}  // namespace

CPCategory::CPCategory(std::int32_t index, std::int32_t id, const char* name) : m_index(index), m_id(id) {
  AssignCut(m_name, name, MAX_NAME_LENGTH);
}

CPCategory::~CPCategory() = default;

std::int32_t CPCategory::GetIndex() const { return m_index; }
std::int32_t CPCategory::GetId() const { return m_id; }
const char* CPCategory::GetName() const { return m_name.empty() ? nullptr : m_name.c_str(); }

std::int32_t CPCategory::CopyName(char* buffer, std::int32_t* size) const {
  if (buffer == nullptr || size == nullptr) return DB_ERR_NULL_ARGUMENT;
  if (*size > 0) std::memset(buffer, 0, static_cast<std::size_t>(*size));
  auto length = static_cast<std::int32_t>(m_name.size());
  if (*size < length) {
    *size = length;
    return DB_ERR_BUFFER_TOO_SMALL;
  }
  std::memcpy(buffer, m_name.data(), m_name.size());
  *size = length;
  return 0;
}

std::int32_t CPCategory::CopyLongName(char* buffer, std::int32_t* size) const {
  if (buffer == nullptr || size == nullptr) return DB_ERR_NULL_ARGUMENT;
  auto needed = static_cast<std::int32_t>(m_longName.size()) + 1;
  if (*size < needed) {
    *size = needed;
    return DB_ERR_BUFFER_TOO_SMALL;
  }
  std::memcpy(buffer, m_longName.c_str(), m_longName.size() + 1);
  *size = needed - 1;
  return 0;
}

std::int32_t CPCategory::GetFlags() const { return m_flags; }
void CPCategory::SetId(std::int32_t id) { m_id = id; }
std::int32_t CPCategory::SetName(const char* name) { return AssignCut(m_name, name, MAX_NAME_LENGTH); }

std::int32_t CPCategory::SetLongName(const char* longName) {
  return AssignCut(m_longName, longName, MAX_LONG_NAME_LENGTH);
}

void CPCategory::SetFlags(std::int32_t flags) { m_flags = flags; }
void CPCategory::SetRenamed(bool on) { m_flags = on ? (m_flags | FLAG_RENAMED) : (m_flags & ~FLAG_RENAMED); }
bool CPCategory::IsRenamed() const { return (m_flags & FLAG_RENAMED) != 0; }
void CPCategory::SetIndex(std::int32_t index) { m_index = index; }

bool CPCategory::Equals(const CPCategory& other) const {
  return m_index == other.m_index && m_id == other.m_id && MbsCompare(m_name, other.m_name) == 0;
}
