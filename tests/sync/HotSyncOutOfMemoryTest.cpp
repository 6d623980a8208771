// Whole HotSyncs with memory running out at every allocation in turn: the
// HotSync must end without crashing or throwing, leave both sides' files
// readable, and the next HotSync must bring both sides together again.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <tuple>
#include <vector>

#include "SyncTestWorld.h"
#include "platform/recordfile/FileLayout.h"
#include "platform/sync20/SyncStatus.h"
#include "support/AllocationFailure.h"

namespace {

namespace FL = FileLayout;

// Both sides with changes of every kind: new, modified, deleted and archived
// records, categories on both sides, a record without an id on the desktop.
std::vector<FixtureMemo> HandheldMemos() {
  FixtureMemo archived = Memo(7, "archived on the handheld", 1, true);
  archived.deleted = archived.archived = true;
  FixtureMemo deleted = Memo(8, "deleted on the handheld", 0, true);
  deleted.deleted = true;
  return {Memo(5, "handheld edit", 1, true), Memo(6, "unchanged"), Memo(11, "new on the handheld", 2, true),
          archived, deleted};
}

void WriteDesktop(const CSyncTestWorld& world) {
  world.WriteDesktop({{5, "desktop edit", 1, FL::REC_ATTR_MODIFIED},
                      {6, "unchanged", 0, 0},
                      {0, "new on the desktop", 2, FL::REC_ATTR_NEW},
                      {9, "archived on the desktop", 0, FL::REC_ATTR_DELETED | FL::REC_ATTR_ARCHIVED},
                      {10, "only on the desktop", 0, 0}},
                     {Category(1, "Work", 1), Category(2, "Home", 4)}, std::vector<std::uint8_t>(12, 3));
}

std::vector<std::tuple<std::uint32_t, std::string, std::uint32_t>> Keys(const std::vector<SeenRecord>& records) {
  std::vector<std::tuple<std::uint32_t, std::string, std::uint32_t>> keys;
  for (const SeenRecord& r : records) {
    if (!r.deleted) keys.emplace_back(r.id, r.text, r.category);
  }
  std::sort(keys.begin(), keys.end());
  return keys;
}

class HotSyncOutOfMemoryTest : public ::testing::TestWithParam<std::int32_t> {};

TEST_P(HotSyncOutOfMemoryTest, EveryAllocationFailureLeavesBothSidesWhole) {
  const std::int32_t syncType = GetParam();
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    CSyncTestWorld world(HandheldMemos(), {Category(1, "Work", 1), Category(3, "Calls", 9, true)});
    // Attaching reads device.json, whose JSON library cannot survive memory
    // running out (see AttachReportsTheFirstFailure).
    EXPECT_EQ(0, world.Device().Attach());
    WriteDesktop(world);
    LogReset();
    const SyncProperties properties = world.Properties(syncType);
    std::unique_ptr<ISyncLog> log = ConduitLog();
    bool fired = false;
    {
      CAllocationFailure failure(n);
      {
        // The conduit's entry point turns a synchronizer that cannot be made
        // into its failure result; Synchronize itself must not throw.
        std::unique_ptr<CSyncEngine> engine;
        try {
          engine = std::make_unique<CSyncEngine>(properties, CSyncEngine::FEATURES_CONDUIT, std::move(log));
        } catch (const std::bad_alloc&) {
        }
        if (engine) (void)engine->Synchronize();
      }
      fired = failure.Fired();
    }
    if (!fired) return false;
    std::vector<SeenRecord> handheld;
    std::vector<SeenRecord> desktop;
    // Desktop-overwrites removes the handheld's database before it makes it
    // anew: one that could not be made is missing, never damaged.
    EXPECT_TRUE(!world.Device().HasMemoDb() || world.ReadHandheld(handheld)) << "allocation " << n;
    EXPECT_TRUE(world.ReadDesktop(desktop)) << "allocation " << n;
    EXPECT_EQ(0, HotSync(world, 1)) << "allocation " << n;
    EXPECT_TRUE(world.ReadHandheld(handheld) && world.ReadDesktop(desktop));
    EXPECT_EQ(Keys(handheld), Keys(desktop)) << "allocation " << n;
    return !::testing::Test::HasFailure();
  });
  EXPECT_FALSE(::testing::Test::HasFailure());
  EXPECT_GT(failures, 100u);
}

// Fast, slow, handheld overwrites desktop, desktop overwrites handheld.
INSTANTIATE_TEST_SUITE_P(SyncTypes, HotSyncOutOfMemoryTest, ::testing::Values(0, 1, 2, 3));

// The library's entry point answers rather than throws when the device
// object itself cannot be made.
TEST(HotSyncOutOfMemory, AttachReportsTheFirstFailure) {
  CSyncTestWorld world(HandheldMemos());
  std::int32_t rc = 0;
  {
    CAllocationFailure failure(1);
    rc = world.Device().Attach();
  }
  EXPECT_EQ(SyncStatus::SYNC_ERR_NO_MEMORY, rc);
  EXPECT_EQ(0, world.Device().Attach());
}

}  // namespace
