#pragma once
// A HotSync log for tests of the desktop managers and the synchronizer: it keeps
// every report as it was made, so that a test checks which report came with
// which code and side, without the conduit's message texts.

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "dbfiles/ISyncLog.h"
#include "dbfiles/SyncRecord.h"

class CRecordingSyncLog : public ISyncLog {
 public:
  struct Report {
    Report(std::string k, std::int32_t e = 0, std::int32_t s = -1, std::string what = {})
        : kind(std::move(k)), error(e), side(s), subject(std::move(what)) {}
    std::string kind;    // the operation without "Log": "SaveFailed", "Duplicated"
    std::int32_t error;  // 0 for a report without a code
    std::int32_t side;   // -1 for a report without a side
    std::string subject; // a record ("id 12"), a category name or a database description
    bool operator==(const Report&) const = default;
  };

  std::vector<Report> reports;

  std::int32_t LogSyncStart() override { return Add({"SyncStart"}); }
  std::int32_t LogSyncEnd(bool failed) override { return Add({failed ? "SyncFailed" : "SyncOk"}); }
  std::int32_t LogAddFailed(std::int32_t error, const CSyncRecord& record, std::int32_t side) override {
    return Add({"AddFailed", error, side, Id(record)});
  }
  std::int32_t LogReadFailed(std::int32_t error, const CSyncRecord& record, std::int32_t side) override {
    return Add({"ReadFailed", error, side, Id(record)});
  }
  std::int32_t LogCreateFailed(std::int32_t error, const char* description, std::int32_t side) override {
    return Add({"CreateFailed", error, side, description});
  }
  std::int32_t LogPurgeFailed(std::int32_t error, std::int32_t side) override {
    return Add({"PurgeFailed", error, side});
  }
  std::int32_t LogSaveFailed(std::int32_t error) override { return Add({"SaveFailed", error}); }
  std::int32_t LogCloseFailed(std::int32_t error, std::int32_t side) override {
    return Add({"CloseFailed", error, side});
  }
  std::int32_t LogClearFlagsFailed(std::int32_t error, std::int32_t side) override {
    return Add({"ClearFlagsFailed", error, side});
  }
  std::int32_t LogDuplicated(const CSyncRecord& record) override { return Add({"Duplicated", 0, -1, Id(record)}); }
  std::int32_t LogModifiedDeleted(const CSyncRecord& record) override {
    return Add({"ModifiedDeleted", 0, -1, Id(record)});
  }
  std::int32_t LogCategoryDeleted(const char* name, std::int32_t side) override {
    return Add({"CategoryDeleted", 0, side, name});
  }
  std::int32_t LogCategoryMoveFailed(const char* name, std::int32_t side) override {
    return Add({"CategoryMoveFailed", 0, side, name});
  }
  std::int32_t LogCategoryLimit(const char* name, std::int32_t side) override {
    return Add({"CategoryLimit", 0, side, name});
  }
  // "<name>/<creator in hexadecimal>".
  std::int32_t DescribeDatabase(char* out, std::size_t outSize, const char* name, std::uint32_t creator,
                                std::uint32_t, std::int32_t, std::int32_t) override {
    if (out == nullptr || outSize == 0) return -1;
    std::snprintf(out, outSize, "%s/%x", name, static_cast<unsigned>(creator));
    return 0;
  }
  std::int32_t LogPasswordMismatch() override { return Add({"PasswordMismatch"}); }

 private:
  // "id 12", or "index 3" for a record known only by its place.
  static std::string Id(const CSyncRecord& record) {
    if (record.GetId() == -1 && record.GetIndex() != -1) return "index " + std::to_string(record.GetIndex());
    return "id " + std::to_string(record.GetId());
  }
  std::int32_t Add(Report report) {
    reports.push_back(std::move(report));
    return 0;
  }
};
