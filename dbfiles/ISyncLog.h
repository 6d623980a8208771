#pragma once
// ISyncLog: where the desktop managers and the synchronizer report what went
// wrong in a HotSync.  The conduit's ISyncLog turns each report into a message
// of its string table and writes it to the HotSync log; tests record the
// reports instead.  One log lives for one HotSync and is shared by every
// manager of that HotSync.
//
// Operations that have a handheld and a desktop variant take a side:
// SIDE_HANDHELD (1, the remote side) or SIDE_DESKTOP (0, the local side).
// Every report returns the log's result; callers ignore it, logging never
// changes the result of a HotSync.

#include <cstddef>
#include <cstdint>

class CSyncRecord;

class ISyncLog {
 public:
  static constexpr std::int32_t SIDE_DESKTOP = 0;
  static constexpr std::int32_t SIDE_HANDHELD = 1;

  virtual ~ISyncLog() = default;

  // Start and end of the HotSync; `failed` picks the failure entry.
  virtual std::int32_t LogSyncStart() = 0;
  virtual std::int32_t LogSyncEnd(bool failed) = 0;

  // A record could not be added to, or read from, one side.
  virtual std::int32_t LogAddFailed(std::int32_t error, const CSyncRecord& record, std::int32_t side) = 0;
  virtual std::int32_t LogReadFailed(std::int32_t error, const CSyncRecord& record, std::int32_t side) = 0;
  // A database could not be created; `databaseDescription` as made by DescribeDatabase.
  virtual std::int32_t LogCreateFailed(std::int32_t error, const char* databaseDescription,
                                       std::int32_t side) = 0;

  // Failures of a whole database, reported with their result code.
  virtual std::int32_t LogPurgeFailed(std::int32_t error, std::int32_t side) = 0;
  virtual std::int32_t LogSaveFailed(std::int32_t error) = 0;
  virtual std::int32_t LogCloseFailed(std::int32_t error, std::int32_t side) = 0;
  virtual std::int32_t LogClearFlagsFailed(std::int32_t error, std::int32_t side) = 0;

  // Conflicts of one record.
  virtual std::int32_t LogDuplicated(const CSyncRecord& record) = 0;
  virtual std::int32_t LogModifiedDeleted(const CSyncRecord& record) = 0;

  // Categories dropped, not moved or over the limit on one side.
  virtual std::int32_t LogCategoryDeleted(const char* name, std::int32_t side) = 0;
  virtual std::int32_t LogCategoryMoveFailed(const char* name, std::int32_t side) = 0;
  virtual std::int32_t LogCategoryLimit(const char* name, std::int32_t side) = 0;

  // Writes a description of a database into `out` (`outSize` bytes, cut to
  // fit, NUL-terminated) for LogCreateFailed.  Returns 0, DB_ERR_NULL_BUFFER
  // for a null `out` or `outSize` 0, or DB_ERR_TOO_LONG when the text was cut.
  virtual std::int32_t DescribeDatabase(char* out, std::size_t outSize, const char* name,
                                        std::uint32_t creator, std::uint32_t type,
                                        std::int32_t flags, std::int32_t version) = 0;

  // The two sides' memo passwords differ; nothing was synchronized.
  virtual std::int32_t LogPasswordMismatch() = 0;
};
