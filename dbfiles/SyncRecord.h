#pragma once
// CSyncRecord: one memo record in memory during a HotSync, as the desktop and
// handheld managers hold and hand it out.  The record owns a copy of its body.
//
// Sync status bits: STATUS_DELETED, STATUS_ARCHIVED, STATUS_MODIFIED,
// STATUS_NEW.  Marks are the managers' own bits; MARK_PENDING is set on every
// record the desktop manager loads in a slow HotSync and cleared when the
// record is looked up by id or modified, so the records still pending after
// the handheld walk are those the handheld no longer has.

#include <cstdint>
#include <vector>

#include "platform/sync20/SyncBlocks.h"

class CSyncRecord {
 public:
  static constexpr std::int32_t STATUS_DELETED = 0x1;
  static constexpr std::int32_t STATUS_ARCHIVED = 0x2;
  static constexpr std::int32_t STATUS_MODIFIED = 0x4;
  static constexpr std::int32_t STATUS_NEW = 0x8;
  // What GetSyncStatus reports for a record whose status is 0.
  static constexpr std::int32_t STATUS_UNCHANGED_REPORT = 32;
  static constexpr std::int32_t MARK_PENDING = 0x1;

  // Results of Compare.
  static constexpr std::int32_t CMP_EQUAL = 0;
  static constexpr std::int32_t CMP_LENGTH = 1;
  static constexpr std::int32_t CMP_BYTES = 2;
  static constexpr std::int32_t CMP_CATEGORY = 3;
  static constexpr std::int32_t CMP_PRIVATE = 4;

  CSyncRecord() = default;
  // Copies every field; the body is duplicated.  (Throws std::bad_alloc only
  // when memory runs out; CopyFrom reports that as DB_ERR_NO_MEMORY instead.)
  CSyncRecord(const CSyncRecord& other) = default;
  CSyncRecord& operator=(const CSyncRecord& other) = default;

  virtual ~CSyncRecord();
  // Frees the body and returns every field to its initial value.
  virtual void Clear();
  // 0 equal, 1 lengths differ, 2 bytes differ, 3 categories differ, 4 private
  // flags differ, tested in that order.
  virtual std::int32_t Compare(const CSyncRecord& other) const;
  // Replaces the body by a copy of `length` bytes (0: no body).  Returns 0,
  // DB_ERR_NULL_BUFFER for null bytes with a length above 0,
  // DB_ERR_TOO_LONG for a negative length, DB_ERR_NO_MEMORY.
  virtual std::int32_t SetBody(std::int32_t length, const void* bytes);
  // The body, or nullptr when there is none.
  virtual const std::uint8_t* Body() const;
  // Copies the body into `buffer` of *size bytes and sets *size to the length.
  // No buffer or size: DB_ERR_NULL_ARGUMENT.  *size below the length:
  // DB_ERR_BUFFER_TOO_SMALL with the length in *size.  An empty record yields
  // size 0 and an empty string (when *size is at least 1).  A body is followed
  // by a NUL when there is room for one.
  virtual std::int32_t CopyBody(void* buffer, std::int32_t* size) const;
  virtual std::int32_t GetLength() const;

  virtual std::int32_t GetStatus() const;
  virtual void SetStatus(std::int32_t status);

  virtual std::int32_t GetId() const;
  virtual std::int32_t GetIndex() const;
  virtual std::int32_t GetCategory() const;
  virtual void SetId(std::int32_t id);
  virtual void SetIndex(std::int32_t index);
  virtual void SetCategory(std::int32_t category);

  virtual bool IsDeleted() const;
  virtual bool IsArchived() const;
  virtual bool IsModified() const;
  virtual bool IsUnchanged() const;  // sync status 0
  virtual bool IsNew() const;
  virtual std::int32_t GetPrivate() const;  // 1 private, 0 not
  virtual bool IsChanged() const;    // sync status not 0
  virtual bool IsPending() const;

  virtual void SetPrivate(bool on);
  virtual void SetNew(bool on);
  virtual void SetDeleted(bool on);
  virtual void SetArchived(bool on);
  virtual void SetModified(bool on);
  virtual void SetPending(bool on);

  // Sync status 0.
  virtual void ClearStatus();
  // Sync status 0 and marks 0.
  virtual void ResetStatus();
  // The sync status, or STATUS_UNCHANGED_REPORT (32) when it is 0.
  virtual std::int32_t GetSyncStatus() const;

  // Copies every field of `other`, body duplicated.  0 or DB_ERR_NO_MEMORY
  // (this record is then unchanged).
  virtual std::int32_t CopyFrom(const CSyncRecord& other);

  virtual bool TestMarks(std::int32_t mask) const;
  virtual void AddMarks(std::int32_t bits);
  virtual void ClearMarks();

  // From the handheld's record block: handle, id, index, category, data
  // (recordSize bytes of the buffer, at most bufferSize), private flag and the
  // deleted, modified and archived status bits; marks and the alternate index
  // are left alone.  DB_ERR_NULL_BUFFER when recordSize > 0 and there is no
  // buffer; DB_ERR_TOO_LONG when recordSize exceeds bufferSize;
  // DB_ERR_NO_MEMORY.
  virtual std::int32_t FromRaw(const SyncRawRecord& raw);
  // Into the handheld's record block: handle, id, index (the alternate index
  // when it is not -1), category, the data copied into raw.buffer, recordSize
  // and attributes from the status and private flag.  bufferSize and buffer
  // are the caller's.  DB_ERR_BUFFER_TOO_SMALL when the data is larger than
  // bufferSize; DB_ERR_NULL_BUFFER when there is data but no buffer.  The
  // block is unchanged on failure.
  virtual std::int32_t ToRaw(SyncRawRecord& raw) const;
  // Like ToRaw without the data (recordSize 0, buffer untouched): the block
  // that names a record to read or delete.
  virtual std::int32_t ToRawHeader(SyncRawRecord& raw) const;

  // Log text: "Record ID %u" with the id when the id is not -1 or when both
  // id and index are -1, else "Record Index %u" with the index.  `size` is in
  // and out: a buffer shorter than the format's length + 10 gives
  // DB_ERR_BUFFER_TOO_SMALL with that size in *size; on success *size is the
  // text's length.  No buffer or size: DB_ERR_NULL_ARGUMENT.
  virtual std::int32_t Describe(char* buffer, std::int32_t* size) const;

  virtual void SetAlternateIndex(std::int32_t index);
  virtual std::int32_t GetAlternateIndex() const;

  std::int32_t GetHandle() const { return m_handle; }
  void SetHandle(std::int32_t handle) { m_handle = handle; }
  std::int32_t GetMarks() const { return m_marks; }

 private:
  void SetBit(std::int32_t bit, bool on) { m_status = on ? (m_status | bit) : (m_status & ~bit); }
  std::uint8_t RawAttributes() const;

  std::int32_t m_id = -1;
  std::int32_t m_index = -1;
  std::int32_t m_category = 0;
  std::int32_t m_status = 0;
  std::vector<std::uint8_t> m_body;
  std::int32_t m_handle = 0;
  std::int32_t m_private = 0;
  std::int32_t m_marks = 0;
  std::int32_t m_alternateIndex = -1;
};
