#pragma once
// Shared set-up of the CHandheldDb tests: a device with a memo database, the
// HotSync log and a manager made as the synchronizer makes it.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dbfiles/ResultCodes.h"
#include "dbfiles/SyncType.h"
#include "handheld/MemoApp.h"
#include "support/RecordingSyncLog.h"
#include "sync/DeviceFixture.h"
#include "sync/HandheldDb.h"

// Five memos: index 0 clean (Work), 1 dirty and private (Home), 2 clean (Work),
// 3 deleted and archived, 4 deleted without a dirty mark.
inline std::vector<FixtureMemo> HandheldTestMemos() {
  return {{.id = 10, .text = "alpha", .category = 1},
          {.id = 11, .text = "bravo", .category = 2, .dirty = true, .secret = true},
          {.id = 12, .text = "charlie", .category = 1},
          {.id = 13, .text = "delta", .dirty = true, .deleted = true, .archived = true},
          {.id = 14, .deleted = true}};
}

inline std::vector<FixtureCategory> HandheldTestCategories() {
  return {{.slot = 1, .name = "Work", .id = 1}, {.slot = 2, .name = "Home", .id = 2, .renamed = true}};
}

using Reports = std::vector<CRecordingSyncLog::Report>;

class HandheldDbTestBase : public ::testing::Test {
 protected:
  HandheldDbTestBase() : HandheldDbTestBase(HandheldTestMemos()) {}
  explicit HandheldDbTestBase(const std::vector<FixtureMemo>& memos,
                              const std::vector<std::uint8_t>* appExtra = nullptr)
      : m_device(memos, HandheldTestCategories(), appExtra) {}

  void SetUp() override {
    ASSERT_EQ(0, m_device.Status());
    ASSERT_EQ(0, m_device.Attach());
  }

  // A manager as the synchronizer makes it: feature flags 3, version 0, card 0.
  std::unique_ptr<CHandheldDb> Make(std::int32_t syncType, const char* name = CMemoApp::DB_NAME) {
    return std::make_unique<CHandheldDb>(&m_log, 3, name, CMemoApp::DB_CREATOR, CMemoApp::DB_TYPE, 0, 0, 0,
                                         syncType);
  }

  // The memo database as the device holds it now.
  CPdbFile DeviceDb() {
    CPdbFile db;
    EXPECT_EQ(0, m_device.ReadMemoDb(db));
    return db;
  }

  std::size_t DirtyOnDevice() {
    CPdbFile db = DeviceDb();
    std::size_t n = 0;
    for (std::size_t i = 0; i < db.RecordCount(); ++i) {
      if (db.RecordAt(i)->IsDirty()) ++n;
    }
    return n;
  }

  // What the manager reported to the HotSync log.
  const Reports& Entries() const { return m_log.reports; }

  static std::string Text(const CSyncRecord& record) {
    return record.GetLength() == 0 ? std::string()
                                   : std::string(reinterpret_cast<const char*>(record.Body()),
                                                 static_cast<std::size_t>(record.GetLength()));
  }

  CDeviceFixture m_device;
  CRecordingSyncLog m_log;
};
