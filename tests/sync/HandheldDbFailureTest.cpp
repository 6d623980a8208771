// CHandheldDb when the handheld fails mid-HotSync: which failures are reported
// to the log, with which code and side, and what the device keeps.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "HandheldDbTestBase.h"
#include "platform/sync20/SyncLibrary.h"

namespace {

using HandheldDbFailureTest = HandheldDbTestBase;
constexpr std::int32_t HH = ISyncLog::SIDE_HANDHELD;

}  // namespace

TEST_F(HandheldDbFailureTest, FailedCreateIsLoggedWithTheDatabaseDescription) {
  auto db = Make(SyncType::DESKTOP_OVERWRITES);
  SyncFailAfter(1);  // the delete goes through, the create does not
  EXPECT_EQ(0x2004, db->Open());
  EXPECT_FALSE(db->IsOpen());
  EXPECT_EQ((Reports{{"CreateFailed", 0x2004, HH, "QuilletMemoDB/44655275"}}), Entries());
  SyncFailAfter(-1);
  EXPECT_FALSE(m_device.HasMemoDb());  // deleted before the failed create
}

TEST_F(HandheldDbFailureTest, FailedClearAndCloseAreBothLoggedAndTheDeviceKeepsItsFile) {
  auto db = Make(SyncType::SLOW);
  ASSERT_EQ(DB_OK, db->Open());
  CSyncRecord record;
  record.SetBody(2, "x");
  ASSERT_EQ(DB_OK, db->AddRecord(record));
  SyncFailAfter(0);
  EXPECT_EQ(0x2004, db->Store());
  EXPECT_FALSE(db->IsOpen());
  EXPECT_EQ((Reports{{"ClearFlagsFailed", 0x2004, HH}, {"CloseFailed", 0x2004, HH}}), Entries());
  SyncFailAfter(-1);
  EXPECT_EQ(5u, DeviceDb().RecordCount());  // the added record never reached the device
  EXPECT_EQ(2u, DirtyOnDevice());
}

TEST_F(HandheldDbFailureTest, ACloseFailureAloneIsReturned) {
  auto db = Make(SyncType::SLOW);
  ASSERT_EQ(DB_OK, db->Open());
  SyncFailAfter(1);  // clearing the flags works, closing does not
  EXPECT_EQ(0x2004, db->Store());
  EXPECT_EQ((Reports{{"CloseFailed", 0x2004, HH}}), Entries());
}

TEST_F(HandheldDbFailureTest, ReadFailuresDuringLoadsNameTheRecordIndex) {
  auto slow = Make(SyncType::SLOW);
  ASSERT_EQ(DB_OK, slow->Open());
  SyncFailAfter(3);  // record count, records 0 and 1
  EXPECT_EQ(0x2004, slow->Load());
  EXPECT_EQ(2, slow->RecordCount());
  EXPECT_EQ((Reports{{"ReadFailed", 0x2004, HH, "index 2"}}), Entries());
  SyncFailAfter(-1);
  slow.reset();
  m_log.reports.clear();

  ASSERT_EQ(0, m_device.Attach());
  auto fast = Make(SyncType::FAST);
  ASSERT_EQ(DB_OK, fast->Open());
  SyncFailAfter(2);  // record count, the first modified record (index 1)
  EXPECT_EQ(0x2004, fast->Load());
  EXPECT_EQ((Reports{{"ReadFailed", 0x2004, HH, "index 1"}}), Entries());
}

TEST_F(HandheldDbFailureTest, AFailedOnDemandReadIsLoggedAndReturned) {
  auto db = Make(SyncType::FAST);
  ASSERT_EQ(DB_OK, db->Open());
  ASSERT_EQ(DB_OK, db->Load());
  SyncFailAfter(1);  // the record count for the walk, then the read of record 0 fails
  CSyncRecord record;
  EXPECT_EQ(0x2004, db->FirstRecord(record));
  EXPECT_EQ((Reports{{"ReadFailed", 0x2004, HH, "index 0"}}), Entries());
}

TEST_F(HandheldDbFailureTest, AFailedPurgeIsLogged) {
  auto db = Make(SyncType::SLOW);
  ASSERT_EQ(DB_OK, db->Open());
  SyncFailAfter(0);
  EXPECT_EQ(0x2004, db->PurgeDeleted());
  EXPECT_EQ((Reports{{"PurgeFailed", 0x2004, HH}}), Entries());
}

TEST_F(HandheldDbFailureTest, LibraryStatusesPassThroughUnchanged) {
  auto db = Make(SyncType::SLOW);
  ASSERT_EQ(DB_OK, db->Open());
  SyncFailAfter(0);
  std::int32_t count = 0;
  EXPECT_EQ(0x2004, db->GetRecordCount(count));
  std::vector<std::int32_t> ids(8);
  EXPECT_EQ(0x2004, db->GetAllIds(ids.data(), &count));
  EXPECT_EQ(0x2004, db->ChangeCategory(1, 2));
  EXPECT_EQ(0x2004, db->LoadCategories());
  EXPECT_TRUE(Entries().empty());
}
