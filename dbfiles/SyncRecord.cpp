// CSyncRecord: one record in memory during a HotSync.

#include "dbfiles/SyncRecord.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "dbfiles/ResultCodes.h"

namespace {

constexpr const char* kIdFormat = "Record ID %u";
constexpr const char* kIndexFormat = "Record Index %u";
// Room a description needs beyond its format's length.
constexpr std::int32_t kDescriptionExtra = 10;

}  // namespace

CSyncRecord::~CSyncRecord() = default;

void CSyncRecord::Clear() {
  std::vector<std::uint8_t>().swap(m_body);
  m_id = -1;
  m_index = -1;
  m_category = 0;
  m_status = 0;
  m_handle = 0;
  m_private = 0;
  m_marks = 0;
  m_alternateIndex = -1;
}

std::int32_t CSyncRecord::Compare(const CSyncRecord& other) const {
  if (m_body.size() != other.m_body.size()) return CMP_LENGTH;
  if (!m_body.empty() && std::memcmp(m_body.data(), other.m_body.data(), m_body.size()) != 0) return CMP_BYTES;
  if (m_category != other.m_category) return CMP_CATEGORY;
  if (m_private != other.m_private) return CMP_PRIVATE;
  return CMP_EQUAL;
}

std::int32_t CSyncRecord::SetBody(std::int32_t length, const void* bytes) {
  if (length < 0) return DB_ERR_TOO_LONG;
  if (length > 0 && bytes == nullptr) return DB_ERR_NULL_BUFFER;
  try {
    const auto* first = static_cast<const std::uint8_t*>(bytes);
    std::vector<std::uint8_t> copy;
    if (length > 0) copy.assign(first, first + length);
    m_body.swap(copy);
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  return 0;
}

const std::uint8_t* CSyncRecord::Body() const { return m_body.empty() ? nullptr : m_body.data(); }

std::int32_t CSyncRecord::CopyBody(void* buffer, std::int32_t* size) const {
  if (buffer == nullptr || size == nullptr) return DB_ERR_NULL_ARGUMENT;
  auto length = static_cast<std::int32_t>(m_body.size());
  if (*size < length) {
    *size = length;
    return DB_ERR_BUFFER_TOO_SMALL;
  }
  auto* out = static_cast<std::uint8_t*>(buffer);
  if (length > 0) std::memcpy(out, m_body.data(), m_body.size());
  if (*size > length) out[length] = 0;
  *size = length;
  return 0;
}

std::int32_t CSyncRecord::GetLength() const { return static_cast<std::int32_t>(m_body.size()); }

std::int32_t CSyncRecord::GetStatus() const { return m_status; }
void CSyncRecord::SetStatus(std::int32_t status) { m_status = status; }

std::int32_t CSyncRecord::GetId() const { return m_id; }
std::int32_t CSyncRecord::GetIndex() const { return m_index; }
std::int32_t CSyncRecord::GetCategory() const { return m_category; }
void CSyncRecord::SetId(std::int32_t id) { m_id = id; }
void CSyncRecord::SetIndex(std::int32_t index) { m_index = index; }
void CSyncRecord::SetCategory(std::int32_t category) { m_category = category; }

bool CSyncRecord::IsDeleted() const { return (m_status & STATUS_DELETED) != 0; }
bool CSyncRecord::IsArchived() const { return (m_status & STATUS_ARCHIVED) != 0; }
bool CSyncRecord::IsModified() const { return (m_status & STATUS_MODIFIED) != 0; }
bool CSyncRecord::IsUnchanged() const { return m_status == 0; }
bool CSyncRecord::IsNew() const { return (m_status & STATUS_NEW) != 0; }
std::int32_t CSyncRecord::GetPrivate() const { return m_private; }
bool CSyncRecord::IsChanged() const { return m_status != 0; }
bool CSyncRecord::IsPending() const { return (m_marks & MARK_PENDING) != 0; }

void CSyncRecord::SetPrivate(bool on) { m_private = on ? 1 : 0; }
void CSyncRecord::SetNew(bool on) { SetBit(STATUS_NEW, on); }
void CSyncRecord::SetDeleted(bool on) { SetBit(STATUS_DELETED, on); }
void CSyncRecord::SetArchived(bool on) { SetBit(STATUS_ARCHIVED, on); }
void CSyncRecord::SetModified(bool on) { SetBit(STATUS_MODIFIED, on); }
void CSyncRecord::SetPending(bool on) { m_marks = on ? (m_marks | MARK_PENDING) : (m_marks & ~MARK_PENDING); }

void CSyncRecord::ClearStatus() { m_status = 0; }

void CSyncRecord::ResetStatus() {
  m_status = 0;
  m_marks = 0;
}

std::int32_t CSyncRecord::GetSyncStatus() const { return m_status == 0 ? STATUS_UNCHANGED_REPORT : m_status; }

std::int32_t CSyncRecord::CopyFrom(const CSyncRecord& other) {
  if (&other == this) return 0;
  try {
    std::vector<std::uint8_t> body(other.m_body);
    m_body.swap(body);
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  m_id = other.m_id;
  m_index = other.m_index;
  m_category = other.m_category;
  m_status = other.m_status;
  m_handle = other.m_handle;
  m_private = other.m_private;
  m_marks = other.m_marks;
  m_alternateIndex = other.m_alternateIndex;
  return 0;
}

bool CSyncRecord::TestMarks(std::int32_t mask) const { return (m_marks & mask) != 0; }
void CSyncRecord::AddMarks(std::int32_t bits) { m_marks |= bits; }
void CSyncRecord::ClearMarks() { m_marks = 0; }

std::int32_t CSyncRecord::FromRaw(const SyncRawRecord& raw) {
  if (raw.recordSize > raw.bufferSize) return DB_ERR_TOO_LONG;
  if (raw.recordSize > 0 && raw.buffer == nullptr) return DB_ERR_NULL_BUFFER;
  std::int32_t result = SetBody(static_cast<std::int32_t>(raw.recordSize), raw.buffer);
  if (result != 0) return result;
  m_handle = raw.handle;
  m_id = static_cast<std::int32_t>(raw.id);
  m_index = raw.index;
  m_category = raw.category;
  m_private = (raw.attributes & RAW_ATTR_PRIVATE) != 0 ? 1 : 0;
  m_status = 0;
  if ((raw.attributes & RAW_ATTR_DELETED) != 0) m_status |= STATUS_DELETED;
  if ((raw.attributes & RAW_ATTR_MODIFIED) != 0) m_status |= STATUS_MODIFIED;
  if ((raw.attributes & RAW_ATTR_ARCHIVED) != 0) m_status |= STATUS_ARCHIVED;
  return 0;
}

std::uint8_t CSyncRecord::RawAttributes() const {
  std::uint8_t attributes = 0;
  if (IsDeleted()) attributes |= RAW_ATTR_DELETED;
  if (IsModified()) attributes |= RAW_ATTR_MODIFIED;
  if (IsArchived()) attributes |= RAW_ATTR_ARCHIVED;
  if (m_private != 0) attributes |= RAW_ATTR_PRIVATE;
  return attributes;
}

std::int32_t CSyncRecord::ToRaw(SyncRawRecord& raw) const {
  if (m_body.size() > raw.bufferSize) return DB_ERR_BUFFER_TOO_SMALL;
  if (!m_body.empty() && raw.buffer == nullptr) return DB_ERR_NULL_BUFFER;
  ToRawHeader(raw);
  if (!m_body.empty()) std::memcpy(raw.buffer, m_body.data(), m_body.size());
  raw.recordSize = static_cast<std::uint32_t>(m_body.size());
  return 0;
}

std::int32_t CSyncRecord::ToRawHeader(SyncRawRecord& raw) const {
  raw.handle = static_cast<std::uint8_t>(m_handle);
  raw.id = static_cast<std::uint32_t>(m_id);
  raw.index = static_cast<std::uint16_t>(m_alternateIndex != -1 ? m_alternateIndex : m_index);
  raw.category = static_cast<std::int16_t>(m_category);
  raw.attributes = RawAttributes();
  raw.recordSize = 0;
  return 0;
}

std::int32_t CSyncRecord::Describe(char* buffer, std::int32_t* size) const {
  if (buffer == nullptr || size == nullptr) return DB_ERR_NULL_ARGUMENT;
  bool byId = m_id != -1 || m_index == -1;
  const char* format = byId ? kIdFormat : kIndexFormat;
  std::int32_t needed = static_cast<std::int32_t>(std::strlen(format)) + kDescriptionExtra;
  if (*size < needed) {
    *size = needed;
    return DB_ERR_BUFFER_TOO_SMALL;
  }
  auto value = static_cast<unsigned>(byId ? m_id : m_index);
  int written = std::snprintf(buffer, static_cast<std::size_t>(*size), format, value);
  *size = written < 0 ? 0 : written;
  return 0;
}

void CSyncRecord::SetAlternateIndex(std::int32_t index) { m_alternateIndex = index; }
std::int32_t CSyncRecord::GetAlternateIndex() const { return m_alternateIndex; }
