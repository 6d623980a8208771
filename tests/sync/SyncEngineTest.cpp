// CSyncEngine pieces that the whole-HotSync scenarios do not single out: the
// database entries of the sync properties, add failures and their log entries,
// and the archive of a category index.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "SyncTestWorld.h"
#include "dbfiles/ResultCodes.h"
#include "platform/sync20/SyncLibrary.h"
#include "platform/sync20/SyncStatus.h"
#include "support/RecordingSyncLog.h"
#include "sync/HandheldDb.h"
#include "sync/SyncEngine.h"
#include "sync/SyncTables.h"

namespace {

namespace FL = FileLayout;

TEST(SyncEngineTest, TheDatabaseListTakesPrecedenceOverTheNames) {
  FixtureMemo memo;
  memo.id = 5;
  memo.text = "listed";
  CSyncTestWorld world({memo});
  ASSERT_EQ(0, world.Device().Attach());
  DatabaseListEntry entry{};
  std::strcpy(entry.name, CMemoApp::DB_NAME);
  entry.creator = CMemoApp::DB_CREATOR;
  entry.type = CMemoApp::DB_TYPE;
  entry.modificationNumber = 77;
  SyncProperties properties = world.Properties(0);
  properties.databaseNames[0] = "NoSuchDatabase";
  properties.databaseList = &entry;
  CSyncEngine engine(properties, CSyncEngine::FEATURES_CONDUIT, ConduitLog());
  ASSERT_EQ(0, engine.Synchronize());
  std::vector<SeenRecord> desktop;
  recordfile::File f;
  ASSERT_TRUE(world.ReadDesktop(desktop, &f));
  ASSERT_EQ(1u, desktop.size());
  EXPECT_EQ(77u, f.header->modificationNumber);  // the new desktop file takes the entry's information
  EXPECT_EQ(CMemoApp::DB_CREATOR, f.header->creator);
}

TEST(SyncEngineTest, AMissingDatabaseNameEndsTheHotSyncSafely) {
  CSyncTestWorld world;
  ASSERT_EQ(0, world.Device().Attach());
  SyncProperties properties = world.Properties(0);
  properties.databaseNames[0] = nullptr;
  CSyncEngine engine(properties, CSyncEngine::FEATURES_CONDUIT, ConduitLog());
  EXPECT_EQ(DB_ERR_NULL_ARGUMENT, engine.Synchronize());
  // More databases than names without a list: the loop stops at the first
  // missing name instead of reading past the 32 names.
  properties = world.Properties(0);
  properties.databaseCount = 40;
  for (auto& name : properties.databaseNames) name = CMemoApp::DB_NAME;
  CSyncEngine many(properties, CSyncEngine::FEATURES_CONDUIT, ConduitLog());
  EXPECT_EQ(DB_ERR_NULL_ARGUMENT, many.Synchronize());
}

TEST(SyncEngineTest, AFailedAddIsLoggedWithTheRecordAndReturned) {
  CSyncTestWorld world;
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{42, "to the handheld", 0, FL::REC_ATTR_NEW}});
  auto recording = std::make_unique<CRecordingSyncLog>();
  CRecordingSyncLog& log = *recording;
  CSyncEngine engine(world.Properties(0), CSyncEngine::FEATURES_CONDUIT, std::move(recording));
  ASSERT_EQ(0, engine.PrepareDatabaseEntry(0));
  ASSERT_EQ(0, engine.OpenAll());
  ASSERT_EQ(0, engine.Handheld()->Load());
  ASSERT_EQ(0, engine.Desktop()->Load());
  CSyncRecord desktop;
  ASSERT_EQ(0, engine.Desktop()->GetRecordById(42, desktop, false));
  CSyncRecord empty;
  log.reports.clear();
  SyncFailAfter(0);
  std::int32_t rc = engine.ApplyActions(ACT_ADD_TO_HANDHELD, empty, desktop);
  SyncFailAfter(-1);
  EXPECT_TRUE(SyncStatus::IsCommFailure(rc));
  EXPECT_EQ((std::vector<CRecordingSyncLog::Report>{{"AddFailed", rc, ISyncLog::SIDE_HANDHELD, "id 42"}}),
            log.reports);
}

TEST(SyncEngineTest, ArchivesAreNamedAfterTheHandheldsCategories) {
  FixtureCategory business;
  business.slot = 3;
  business.name = "Business";
  business.id = 9;
  CSyncTestWorld world({}, {business});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({});
  CSyncEngine engine(world.Properties(0), CSyncEngine::FEATURES_CONDUIT, ConduitLog());
  ASSERT_EQ(0, engine.PrepareDatabaseEntry(0));
  ASSERT_EQ(0, engine.OpenAll());
  CArchiveDb* archive = nullptr;
  ASSERT_EQ(0, engine.ArchiveFor(3, archive));
  ASSERT_NE(nullptr, archive);
  EXPECT_EQ((world.Folder() / "Business.ARC").string(), archive->Path());
  CArchiveDb* again = nullptr;
  ASSERT_EQ(0, engine.ArchiveFor(3, again));
  EXPECT_EQ(archive, again);
  // An index without a category uses Unfiled's archive; 16 is out of range.
  ASSERT_EQ(0, engine.ArchiveFor(7, archive));
  EXPECT_EQ((world.Folder() / "Unfiled.ARC").string(), archive->Path());
  EXPECT_EQ(CAT_ERR_BAD_INDEX, engine.ArchiveFor(16, archive));
  engine.FreeArchives(false);
  EXPECT_EQ(nullptr, engine.Archive(3));
  EXPECT_FALSE(std::filesystem::exists(world.Folder() / "Business.ARC"));
}

}  // namespace
