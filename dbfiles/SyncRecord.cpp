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
  std::vector<std::uint8_t>().swap(body_);
  id_ = -1;
  index_ = -1;
  category_ = 0;
  status_ = 0;
  handle_ = 0;
  private_ = 0;
  marks_ = 0;
  alternateIndex_ = -1;
}

std::int32_t CSyncRecord::Compare(const CSyncRecord& other) const {
  if (body_.size() != other.body_.size()) return CMP_LENGTH;
  if (!body_.empty() && std::memcmp(body_.data(), other.body_.data(), body_.size()) != 0) return CMP_BYTES;
  if (category_ != other.category_) return CMP_CATEGORY;
  if (private_ != other.private_) return CMP_PRIVATE;
  return CMP_EQUAL;
}

std::int32_t CSyncRecord::SetBody(std::int32_t length, const void* bytes) {
  if (length < 0) return DB_ERR_TOO_LONG;
  if (length > 0 && bytes == nullptr) return DB_ERR_NULL_BUFFER;
  try {
    const auto* first = static_cast<const std::uint8_t*>(bytes);
    std::vector<std::uint8_t> copy;
    if (length > 0) copy.assign(first, first + length);
    body_.swap(copy);
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  return 0;
}

const std::uint8_t* CSyncRecord::Body() const { return body_.empty() ? nullptr : body_.data(); }

std::int32_t CSyncRecord::CopyBody(void* buffer, std::int32_t* size) const {
  if (buffer == nullptr || size == nullptr) return DB_ERR_NULL_ARGUMENT;
  auto length = static_cast<std::int32_t>(body_.size());
  if (*size < length) {
    *size = length;
    return DB_ERR_BUFFER_TOO_SMALL;
  }
  auto* out = static_cast<std::uint8_t*>(buffer);
  if (length > 0) std::memcpy(out, body_.data(), body_.size());
  if (*size > length) out[length] = 0;
  *size = length;
  return 0;
}

std::int32_t CSyncRecord::GetLength() const { return static_cast<std::int32_t>(body_.size()); }

std::int32_t CSyncRecord::GetStatus() const { return status_; }
void CSyncRecord::SetStatus(std::int32_t status) { status_ = status; }

std::int32_t CSyncRecord::GetId() const { return id_; }
std::int32_t CSyncRecord::GetIndex() const { return index_; }
std::int32_t CSyncRecord::GetCategory() const { return category_; }
void CSyncRecord::SetId(std::int32_t id) { id_ = id; }
void CSyncRecord::SetIndex(std::int32_t index) { index_ = index; }
void CSyncRecord::SetCategory(std::int32_t category) { category_ = category; }

bool CSyncRecord::IsDeleted() const { return (status_ & STATUS_DELETED) != 0; }
bool CSyncRecord::IsArchived() const { return (status_ & STATUS_ARCHIVED) != 0; }
bool CSyncRecord::IsModified() const { return (status_ & STATUS_MODIFIED) != 0; }
bool CSyncRecord::IsUnchanged() const { return status_ == 0; }
bool CSyncRecord::IsNew() const { return (status_ & STATUS_NEW) != 0; }
std::int32_t CSyncRecord::GetPrivate() const { return private_; }
bool CSyncRecord::IsChanged() const { return status_ != 0; }
bool CSyncRecord::IsPending() const { return (marks_ & MARK_PENDING) != 0; }

void CSyncRecord::SetPrivate(bool on) { private_ = on ? 1 : 0; }
void CSyncRecord::SetNew(bool on) { SetBit(STATUS_NEW, on); }
void CSyncRecord::SetDeleted(bool on) { SetBit(STATUS_DELETED, on); }
void CSyncRecord::SetArchived(bool on) { SetBit(STATUS_ARCHIVED, on); }
void CSyncRecord::SetModified(bool on) { SetBit(STATUS_MODIFIED, on); }
void CSyncRecord::SetPending(bool on) { marks_ = on ? (marks_ | MARK_PENDING) : (marks_ & ~MARK_PENDING); }

void CSyncRecord::ClearStatus() { status_ = 0; }

void CSyncRecord::ResetStatus() {
  status_ = 0;
  marks_ = 0;
}

std::int32_t CSyncRecord::GetSyncStatus() const { return status_ == 0 ? STATUS_UNCHANGED_REPORT : status_; }

std::int32_t CSyncRecord::CopyFrom(const CSyncRecord& other) {
  if (&other == this) return 0;
  try {
    std::vector<std::uint8_t> body(other.body_);
    body_.swap(body);
  } catch (const std::bad_alloc&) {
    return DB_ERR_NO_MEMORY;
  }
  id_ = other.id_;
  index_ = other.index_;
  category_ = other.category_;
  status_ = other.status_;
  handle_ = other.handle_;
  private_ = other.private_;
  marks_ = other.marks_;
  alternateIndex_ = other.alternateIndex_;
  return 0;
}

bool CSyncRecord::TestMarks(std::int32_t mask) const { return (marks_ & mask) != 0; }
void CSyncRecord::AddMarks(std::int32_t bits) { marks_ |= bits; }
void CSyncRecord::ClearMarks() { marks_ = 0; }

std::int32_t CSyncRecord::FromRaw(const SyncRawRecord& raw) {
  if (raw.recordSize > raw.bufferSize) return DB_ERR_TOO_LONG;
  if (raw.recordSize > 0 && raw.buffer == nullptr) return DB_ERR_NULL_BUFFER;
  std::int32_t result = SetBody(static_cast<std::int32_t>(raw.recordSize), raw.buffer);
  if (result != 0) return result;
  handle_ = raw.handle;
  id_ = static_cast<std::int32_t>(raw.id);
  index_ = raw.index;
  category_ = raw.category;
  private_ = (raw.attributes & RAW_ATTR_PRIVATE) != 0 ? 1 : 0;
  status_ = 0;
  if ((raw.attributes & RAW_ATTR_DELETED) != 0) status_ |= STATUS_DELETED;
  if ((raw.attributes & RAW_ATTR_MODIFIED) != 0) status_ |= STATUS_MODIFIED;
  if ((raw.attributes & RAW_ATTR_ARCHIVED) != 0) status_ |= STATUS_ARCHIVED;
  return 0;
}

std::uint8_t CSyncRecord::RawAttributes() const {
  std::uint8_t attributes = 0;
  if (IsDeleted()) attributes |= RAW_ATTR_DELETED;
  if (IsModified()) attributes |= RAW_ATTR_MODIFIED;
  if (IsArchived()) attributes |= RAW_ATTR_ARCHIVED;
  if (private_ != 0) attributes |= RAW_ATTR_PRIVATE;
  return attributes;
}

std::int32_t CSyncRecord::ToRaw(SyncRawRecord& raw) const {
  if (body_.size() > raw.bufferSize) return DB_ERR_BUFFER_TOO_SMALL;
  if (!body_.empty() && raw.buffer == nullptr) return DB_ERR_NULL_BUFFER;
  ToRawHeader(raw);
  if (!body_.empty()) std::memcpy(raw.buffer, body_.data(), body_.size());
  raw.recordSize = static_cast<std::uint32_t>(body_.size());
  return 0;
}

std::int32_t CSyncRecord::ToRawHeader(SyncRawRecord& raw) const {
  raw.handle = static_cast<std::uint8_t>(handle_);
  raw.id = static_cast<std::uint32_t>(id_);
  raw.index = static_cast<std::uint16_t>(alternateIndex_ != -1 ? alternateIndex_ : index_);
  raw.category = static_cast<std::int16_t>(category_);
  raw.attributes = RawAttributes();
  raw.recordSize = 0;
  return 0;
}

std::int32_t CSyncRecord::Describe(char* buffer, std::int32_t* size) const {
  if (buffer == nullptr || size == nullptr) return DB_ERR_NULL_ARGUMENT;
  bool byId = id_ != -1 || index_ == -1;
  const char* format = byId ? kIdFormat : kIndexFormat;
  std::int32_t needed = static_cast<std::int32_t>(std::strlen(format)) + kDescriptionExtra;
  if (*size < needed) {
    *size = needed;
    return DB_ERR_BUFFER_TOO_SMALL;
  }
  auto value = static_cast<unsigned>(byId ? id_ : index_);
  int written = std::snprintf(buffer, static_cast<std::size_t>(*size), format, value);
  *size = written < 0 ? 0 : written;
  return 0;
}

void CSyncRecord::SetAlternateIndex(std::int32_t index) { alternateIndex_ = index; }
std::int32_t CSyncRecord::GetAlternateIndex() const { return alternateIndex_; }
