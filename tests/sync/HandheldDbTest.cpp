// CHandheldDb on a simulated device: opening, loading and storing for every
// sync type, the fast HotSync's on-demand reads, record writes and deletes,
// ids, and the properties that are fixed while the database is open.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "HandheldDbTestBase.h"
#include "platform/sync20/SyncLibrary.h"
#include "platform/sync20/SyncStatus.h"

namespace {

using HandheldDbTest = HandheldDbTestBase;

std::string Body(const std::string& text) { return text + '\0'; }

std::vector<std::int32_t> WalkIds(CHandheldDb& db) {
  std::vector<std::int32_t> ids;
  CSyncRecord record;
  for (std::int32_t rc = db.FirstRecord(record); rc == DB_OK; rc = db.NextRecord(record)) ids.push_back(record.GetId());
  return ids;
}

}  // namespace

TEST_F(HandheldDbTest, FastLoadTakesOnlyModifiedRecordsAndReadsTheRestOnDemand) {
  auto db = Make(SyncType::FAST);
  ASSERT_EQ(DB_OK, db->Open());
  ASSERT_EQ(DB_OK, db->Load());
  // The modified records, deleted ones included, each in its index slot.
  EXPECT_EQ(3, db->RecordCount());
  ASSERT_NE(nullptr, db->RecordAt(1));
  EXPECT_EQ(11, db->RecordAt(1)->GetId());
  EXPECT_TRUE(db->RecordAt(1)->IsModified());
  EXPECT_EQ(1, db->RecordAt(1)->GetPrivate());
  EXPECT_EQ(2, db->RecordAt(1)->GetCategory());
  EXPECT_EQ(Body("bravo"), Text(*db->RecordAt(1)));
  EXPECT_TRUE(db->RecordAt(3)->IsDeleted() && db->RecordAt(3)->IsArchived());
  EXPECT_TRUE(db->RecordAt(4)->IsDeleted());
  EXPECT_EQ(nullptr, db->RecordAt(0));

  CSyncRecord record;
  ASSERT_EQ(DB_OK, db->FirstModified(record));
  EXPECT_EQ(11, record.GetId());

  // The all-records walk reads records 0 and 2 from the handheld and keeps them.
  EXPECT_EQ((std::vector<std::int32_t>{10, 11, 12, 13, 14}), WalkIds(*db));
  EXPECT_EQ(5, db->RecordCount());
  EXPECT_EQ(Body("charlie"), Text(*db->RecordAt(2)));
  EXPECT_TRUE(db->RecordAt(2)->IsUnchanged());
  EXPECT_EQ((std::vector<std::int32_t>{10, 11, 12, 13, 14}), WalkIds(*db));  // now from the table

  ASSERT_EQ(DB_OK, db->Store());
  EXPECT_FALSE(db->IsOpen());
  EXPECT_EQ(0u, DirtyOnDevice());
  EXPECT_TRUE(Entries().empty());
}

TEST_F(HandheldDbTest, FastLoadWithNothingModifiedReadsEveryRecordOnDemand) {
  {
    auto clean = Make(SyncType::SLOW);
    ASSERT_EQ(DB_OK, clean->Open());
    ASSERT_EQ(DB_OK, clean->PurgeDeleted());
    ASSERT_EQ(DB_OK, clean->Store());
  }
  auto db = Make(SyncType::FAST);
  ASSERT_EQ(DB_OK, db->Open());
  ASSERT_EQ(DB_OK, db->Load());
  EXPECT_EQ(0, db->RecordCount());
  CSyncRecord record;
  EXPECT_EQ(DB_ERR_NOT_FOUND, db->FirstModified(record));
  EXPECT_EQ((std::vector<std::int32_t>{10, 11, 12}), WalkIds(*db));
}

TEST_F(HandheldDbTest, SlowAndHandheldOverwritesLoadEverythingAndClearTheFlags) {
  for (std::int32_t type : {SyncType::SLOW, SyncType::HANDHELD_OVERWRITES}) {
    SCOPED_TRACE(type);
    CDeviceFixture fresh(HandheldTestMemos(), HandheldTestCategories());
    ASSERT_EQ(0, fresh.Attach());
    auto db = Make(type);
    ASSERT_EQ(DB_OK, db->Open());
    ASSERT_EQ(DB_OK, db->Load());
    EXPECT_EQ(5, db->RecordCount());
    for (std::int32_t i = 0; i < 5; ++i) EXPECT_EQ(10 + i, db->RecordAt(i)->GetId());
    EXPECT_TRUE(db->RecordAt(0)->IsUnchanged());
    ASSERT_EQ(DB_OK, db->Store());
    CPdbFile after;
    ASSERT_EQ(0, fresh.ReadMemoDb(after));
    EXPECT_FALSE(after.RecordAt(1)->IsDirty());
  }
  ASSERT_EQ(0, m_device.Attach());
}

TEST_F(HandheldDbTest, HandheldOverwritesKeepingFlagsLeavesThemSet) {
  auto db = Make(SyncType::HANDHELD_OVERWRITES_KEEP);
  ASSERT_EQ(DB_OK, db->Open());
  ASSERT_EQ(DB_OK, db->Load());
  EXPECT_EQ(5, db->RecordCount());
  ASSERT_EQ(DB_OK, db->Store());
  EXPECT_FALSE(db->IsOpen());
  EXPECT_EQ(2u, DirtyOnDevice());
}

TEST_F(HandheldDbTest, DesktopOverwritesRecreatesTheDatabaseEmpty) {
  for (std::int32_t type : {SyncType::DESKTOP_OVERWRITES, SyncType::DESKTOP_OVERWRITES_4, SyncType::DESKTOP_OVERWRITES_7}) {
    SCOPED_TRACE(type);
    auto db = Make(type);
    ASSERT_EQ(DB_OK, db->Open());
    ASSERT_EQ(DB_OK, db->Load());
    std::int32_t count = -1;
    ASSERT_EQ(DB_OK, db->GetRecordCount(count));
    EXPECT_EQ(0, count);
    EXPECT_EQ(0, db->RecordCount());
    CSyncRecord record;
    record.SetCategory(1);
    record.SetBody(6, "hello");
    record.SetModified(true);
    ASSERT_EQ(DB_OK, db->AddRecord(record));
    ASSERT_EQ(DB_OK, db->Store());
    CPdbFile after = DeviceDb();
    ASSERT_EQ(1u, after.RecordCount());
    EXPECT_EQ(0x01, after.RecordAt(0)->attributes);  // category 1, written clean
    EXPECT_EQ(CMemoApp::DB_CREATOR, after.GetInfo().creator);
    EXPECT_EQ(CMemoApp::DB_TYPE, after.GetInfo().type);
  }
  EXPECT_TRUE(Entries().empty());
}

TEST(HandheldDbWithoutDatabase, DesktopOverwritesCreatesItAndAddsRecordsOneByOne) {
  CDeviceFixture device;
  ASSERT_EQ(0, device.Status());
  ASSERT_EQ(0, device.Attach());
  CRecordingSyncLog log;
  CHandheldDb fast(&log, 3, CMemoApp::DB_NAME, CMemoApp::DB_CREATOR, CMemoApp::DB_TYPE, 0, 0, 0, SyncType::FAST);
  EXPECT_EQ(DB_ERR_HANDHELD_DB_MISSING, fast.Open());

  CHandheldDb db(&log, 3, CMemoApp::DB_NAME, CMemoApp::DB_CREATOR, CMemoApp::DB_TYPE, 0, 0, 0,
                 SyncType::DESKTOP_OVERWRITES);
  ASSERT_EQ(DB_OK, db.Open());  // the delete before the create fails quietly
  std::vector<std::int32_t> ids;
  for (const char* text : {"one", "two", "three"}) {
    CSyncRecord record;
    record.SetBody(static_cast<std::int32_t>(std::strlen(text) + 1), text);
    ASSERT_EQ(DB_OK, db.AddRecord(record));
    EXPECT_EQ(static_cast<std::int32_t>(ids.size()), record.GetIndex());
    ids.push_back(record.GetId());
  }
  EXPECT_NE(ids[0], ids[1]);
  ASSERT_EQ(DB_OK, db.Store());
  CPdbFile after;
  ASSERT_EQ(0, device.ReadMemoDb(after));
  ASSERT_EQ(3u, after.RecordCount());
  EXPECT_EQ(static_cast<std::uint32_t>(ids[2]), after.RecordAt(2)->uniqueId);
  EXPECT_TRUE(log.reports.empty());
}

TEST_F(HandheldDbTest, DoNothingAndUnknownSyncTypes) {
  auto idle = Make(SyncType::DO_NOTHING);
  EXPECT_EQ(DB_OK, idle->Open());
  EXPECT_FALSE(idle->IsOpen());
  EXPECT_EQ(DB_OK, idle->Load());
  EXPECT_EQ(DB_OK, idle->Store());
  EXPECT_EQ(DB_ERR_DB_NOT_OPEN, idle->Close(0));
  EXPECT_EQ(DB_ERR_BAD_SYNC_TYPE, Make(8)->Open());
  EXPECT_EQ(DB_ERR_BAD_SYNC_TYPE, Make(-1)->Open());
}

TEST_F(HandheldDbTest, RecordsAreWrittenClearedOfStatusAndTakeTheirIdAndIndex) {
  auto db = Make(SyncType::SLOW);
  ASSERT_EQ(DB_OK, db->Open());
  // A new record (no id): the handheld gives it one; its status is cleared.
  CSyncRecord added;
  added.SetBody(4, "new");
  added.SetCategory(2);
  added.SetPrivate(true);
  added.SetModified(true);
  added.SetNew(true);
  ASSERT_EQ(DB_OK, db->InsertRecord(added));
  EXPECT_GT(added.GetId(), 0);
  EXPECT_EQ(5, added.GetIndex());
  EXPECT_TRUE(added.IsUnchanged());
  EXPECT_EQ(0, db->RecordCount());  // writes go to the handheld, not the table

  // An existing record changed in place; a deleted, archived one keeps those marks.
  CSyncRecord changed;
  changed.SetId(12);
  changed.SetBody(8, "CHARLIE");
  changed.SetCategory(1);
  changed.SetModified(true);
  ASSERT_EQ(DB_OK, db->ModifyRecord(changed));
  EXPECT_EQ(2, changed.GetIndex());
  CSyncRecord archived;
  archived.SetId(10);
  archived.SetBody(6, "alpha");
  archived.SetDeleted(true);
  archived.SetArchived(true);
  ASSERT_EQ(DB_OK, db->ModifyRecord(archived));

  // Too large for the record buffer.
  CSyncRecord huge;
  std::vector<char> bytes(CHandheldDb::BUFFER_SIZE + 1u, 'x');
  huge.SetBody(static_cast<std::int32_t>(bytes.size()), bytes.data());
  EXPECT_EQ(DB_ERR_BUFFER_TOO_SMALL, db->InsertRecord(huge));

  CSyncRecord gone;
  gone.SetId(11);
  ASSERT_EQ(DB_OK, db->DeleteRecord(gone));
  EXPECT_EQ(SyncStatus::SYNC_ERR_NOT_FOUND, db->DeleteRecord(gone));
  ASSERT_EQ(DB_OK, db->Store());

  CPdbFile after = DeviceDb();
  ASSERT_EQ(5u, after.RecordCount());
  EXPECT_EQ(0x88, after.RecordById(10)->attributes);
  EXPECT_EQ(CDeviceFixture::Body("CHARLIE"), after.RecordById(12)->data);
  EXPECT_EQ(0x01, after.RecordById(12)->attributes);
  EXPECT_EQ(0x12, after.RecordById(static_cast<std::uint32_t>(added.GetId()))->attributes);
  EXPECT_EQ(nullptr, after.RecordById(11));
}

TEST_F(HandheldDbTest, ModifyRecordAtWritesAndFillsTheTableSlot) {
  auto db = Make(SyncType::FAST);
  ASSERT_EQ(DB_OK, db->Open());
  ASSERT_EQ(DB_OK, db->Load());
  CSyncRecord record;
  record.SetId(10);
  record.SetBody(4, "abc");
  EXPECT_EQ(DB_ERR_RECORD_NOT_FOUND, db->ModifyRecordAt(-1, record));
  ASSERT_EQ(DB_OK, db->ModifyRecordAt(0, record));  // slot 0 was empty in the fast table
  ASSERT_NE(nullptr, db->RecordAt(0));
  EXPECT_EQ(10, db->RecordAt(0)->GetId());
  EXPECT_EQ(Body("abc"), Text(*db->RecordAt(0)));
  EXPECT_EQ(4, db->RecordCount());
  ASSERT_EQ(DB_OK, db->ModifyRecordAt(7, record));  // the table grows to cover it
  EXPECT_EQ(8, db->HighWater());
}

TEST_F(HandheldDbTest, GetRecordByIdReadsTheHandheld) {
  auto db = Make(SyncType::SLOW);
  ASSERT_EQ(DB_OK, db->Open());
  CSyncRecord record;
  ASSERT_EQ(DB_OK, db->GetRecordById(11, record, true));
  EXPECT_EQ(1, record.GetIndex());
  EXPECT_EQ(Body("bravo"), Text(record));
  EXPECT_EQ(db->Handle(), record.GetHandle());

  record.SetCategory(3);
  EXPECT_EQ(SyncStatus::SYNC_ERR_NOT_FOUND, db->GetRecordById(77, record, false));
  EXPECT_EQ(77, record.GetId());
  EXPECT_EQ(0, record.GetLength());
  EXPECT_EQ(0, record.GetCategory());
  EXPECT_EQ(-1, record.GetIndex());
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(SyncStatus::SYNC_ERR_NOT_FOUND, db->GetRecordById(77, record, true));
  EXPECT_EQ((Reports{{"ReadFailed", SyncStatus::SYNC_ERR_NOT_FOUND, ISyncLog::SIDE_HANDHELD, "id 77"}}), Entries());
}

TEST_F(HandheldDbTest, PurgesAndCategoryMovesHappenOnTheHandheld) {
  auto db = Make(SyncType::SLOW);
  ASSERT_EQ(DB_OK, db->Open());
  EXPECT_EQ(CAT_ERR_BAD_INDEX, db->PurgeCategory(16, true));
  EXPECT_EQ(CAT_ERR_BAD_INDEX, db->PurgeCategory(-1, false));
  EXPECT_EQ(CAT_ERR_BAD_INDEX, db->ChangeCategory(1, 16));
  ASSERT_EQ(DB_OK, db->PurgeDeleted());
  ASSERT_EQ(DB_OK, db->ChangeCategory(2, 3));
  ASSERT_EQ(DB_OK, db->PurgeCategory(3, true));   // to Unfiled
  ASSERT_EQ(DB_OK, db->PurgeCategory(1, false));  // removed
  std::int32_t count = 0;
  ASSERT_EQ(DB_OK, db->GetRecordCount(count));
  EXPECT_EQ(1, count);
  ASSERT_EQ(DB_OK, db->Store());
  CPdbFile after = DeviceDb();
  ASSERT_EQ(1u, after.RecordCount());
  EXPECT_EQ(11u, after.RecordAt(0)->uniqueId);
  EXPECT_EQ(0, after.RecordAt(0)->Category());
}

TEST_F(HandheldDbTest, GetAllIdsReturnsNativeIdsInHandheldOrder) {
  auto db = Make(SyncType::SLOW);
  ASSERT_EQ(DB_OK, db->Open());
  std::vector<std::int32_t> ids(6, -5);
  std::int32_t capacity = 3;
  EXPECT_EQ(DB_ERR_BUFFER_TOO_SMALL, db->GetAllIds(ids.data(), &capacity));
  EXPECT_EQ(5, capacity);
  EXPECT_EQ(DB_ERR_NULL_BUFFER, db->GetAllIds(nullptr, &capacity));
  EXPECT_EQ(DB_ERR_NULL_ARGUMENT, db->GetAllIds(ids.data(), nullptr));
  capacity = 6;
  ASSERT_EQ(DB_OK, db->GetAllIds(ids.data(), &capacity));
  EXPECT_EQ(5, capacity);
  EXPECT_EQ((std::vector<std::int32_t>{10, 11, 12, 13, 14, -5}), ids);
}

TEST_F(HandheldDbTest, PropertiesAreFixedWhileOpenAndNamesMustFit) {
  auto db = Make(SyncType::SLOW);
  EXPECT_EQ(DB_ERR_TOO_LONG, db->SetName(std::string(32, 'n').c_str()));
  EXPECT_STREQ(CMemoApp::DB_NAME, db->Name());
  EXPECT_EQ(DB_ERR_NULL_ARGUMENT, db->SetName(nullptr));
  EXPECT_EQ(DB_OK, db->SetVersion(2));
  ASSERT_EQ(DB_OK, db->Open());
  EXPECT_EQ(DB_ERR_DB_IS_OPEN, db->SetName("Other"));
  EXPECT_EQ(DB_ERR_DB_IS_OPEN, db->SetCreator(1));
  EXPECT_EQ(DB_ERR_DB_IS_OPEN, db->SetType(1));
  EXPECT_EQ(DB_ERR_DB_IS_OPEN, db->SetDatabaseFlags(1));
  EXPECT_EQ(DB_ERR_DB_IS_OPEN, db->SetVersion(1));
  EXPECT_EQ(2, db->Version());
  ASSERT_EQ(DB_OK, db->Close(1));
  EXPECT_EQ(DB_OK, db->SetName(std::string(31, 'n').c_str()));
  EXPECT_EQ(DB_ERR_HANDHELD_DB_MISSING, db->Open());

  // A name without a NUL in its 32 bytes is not taken at construction.
  char field[32];
  std::memset(field, 'q', sizeof field);
  CHandheldDb unnamed(&m_log, 3, field, 0, 0, 0, 0, 0, SyncType::SLOW);
  EXPECT_STREQ("", unnamed.Name());
  EXPECT_NE(DB_OK, unnamed.Open());
}

TEST_F(HandheldDbTest, DestructionClosesWithoutClearingFlags) {
  {
    auto db = Make(SyncType::SLOW);
    ASSERT_EQ(DB_OK, db->Open());
    CSyncRecord record;
    record.SetBody(2, "z");
    ASSERT_EQ(DB_OK, db->AddRecord(record));
  }
  EXPECT_EQ(2u, DirtyOnDevice());
  EXPECT_EQ(6u, DeviceDb().RecordCount());  // closing wrote the new record
  auto again = Make(SyncType::SLOW);
  EXPECT_EQ(DB_OK, again->Open());  // no longer open in the library
}
