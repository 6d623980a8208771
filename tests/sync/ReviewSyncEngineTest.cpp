// Whole HotSyncs through CSyncEngine for the less travelled paths of the
// category merge, the application-specific bytes and the backup of a slow
// HotSync: real desktop files, a simulated handheld, both sides and the log
// checked afterwards.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SyncTestWorld.h"
#include "conduit/SyncLog.h"
#include "dbfiles/CategoryList.h"
#include "sync/SyncEngine.h"

namespace {

namespace FL = FileLayout;

struct Slot {
  std::string name;
  int id = -1;
  bool operator==(const Slot&) const = default;
};

std::vector<Slot> SlotsOf(const std::vector<std::uint8_t>& data) {
  std::vector<Slot> slots(16);
  CCategoryList list;
  if (list.ReadCategoryBlock(data.data(), data.size()) != 0) return slots;
  for (int i = 0; i < 16; ++i) {
    const CPCategory* c = list.GetByIndex(i);
    if (c != nullptr) slots[static_cast<std::size_t>(i)] = Slot{c->Name(), c->GetId()};
  }
  return slots;
}

std::vector<std::uint8_t> HandheldAppInfo(CSyncTestWorld& world) {
  std::vector<SeenRecord> ignored;
  CPdbFile db;
  if (!world.ReadHandheld(ignored, &db) || !db.AppInfo()) return {};
  return *db.AppInfo();
}

std::vector<std::uint8_t> DesktopAppInfo(CSyncTestWorld& world) {
  std::vector<SeenRecord> ignored;
  testfile::File f;
  if (!world.ReadDesktop(ignored, &f) || !f.appInfo) return {};
  return std::vector<std::uint8_t>(f.appInfo->data.begin(), f.appInfo->data.begin() + f.appInfo->length);
}

std::vector<std::uint8_t> Extra(const std::vector<std::uint8_t>& info) {
  if (info.size() <= FL::CAT_BLOCK_SIZE) return {};
  return std::vector<std::uint8_t>(info.begin() + FL::CAT_BLOCK_SIZE, info.end());
}

const SeenRecord* FindText(const std::vector<SeenRecord>& records, const std::string& text) {
  for (const SeenRecord& r : records) {
    if (r.text == text) return &r;
  }
  return nullptr;
}

// Same name in the same slot under another id: the desktop category that
// carries the handheld's id elsewhere brings its records into that slot.
TEST(ReviewSyncEngineTest, ADesktopCategoryWithTheHandheldsIdElsewhereJoinsTheSlot) {
  CSyncTestWorld world({Memo(1, "work memo", 2)}, {Category(2, "Work", 11)});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{1, "work memo", 2, 0}, {2, "project memo", 5, FL::REC_ATTR_NEW | FL::REC_ATTR_MODIFIED}},
                     {Category(2, "Work", 10), Category(5, "Project", 11)});

  ASSERT_EQ(0, HotSync(world, 0));

  std::vector<Slot> handheldSlots = SlotsOf(HandheldAppInfo(world));
  EXPECT_EQ((Slot{"Work", 11}), handheldSlots[2]);
  EXPECT_EQ(Slot{}, handheldSlots[5]);
  EXPECT_EQ(handheldSlots, SlotsOf(DesktopAppInfo(world)));
  std::vector<SeenRecord> handheld;
  std::vector<SeenRecord> desktop;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  ASSERT_TRUE(world.ReadDesktop(desktop));
  for (const auto* side : {&handheld, &desktop}) {
    const SeenRecord* project = FindText(*side, "project memo");
    ASSERT_NE(nullptr, project);
    EXPECT_EQ(2u, project->category);
  }
  EXPECT_TRUE(CSyncTestWorld::LogTexts(CSyncLog::ACT_CATEGORY_DELETED).empty());
  EXPECT_TRUE(CSyncTestWorld::LogTexts(CSyncLog::ACT_CATEGORY_MOVE_FAILED).empty());
}

// A category found only by its id, renamed and moved to another slot on the
// desktop: the handheld takes the new name in its own slot and the desktop
// records follow that slot.
TEST(ReviewSyncEngineTest, ADesktopRenameInAnotherSlotKeepsTheHandheldsSlot) {
  CSyncTestWorld world({Memo(1, "a", 1)}, {Category(1, "Old", 5)});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{1, "a", 3, 0}}, {Category(3, "New", 5, true)});

  ASSERT_EQ(0, HotSync(world, 0));

  std::vector<Slot> handheldSlots = SlotsOf(HandheldAppInfo(world));
  EXPECT_EQ((Slot{"New", 5}), handheldSlots[1]);
  EXPECT_EQ(Slot{}, handheldSlots[3]);
  EXPECT_EQ(handheldSlots, SlotsOf(DesktopAppInfo(world)));
  std::vector<SeenRecord> handheld;
  std::vector<SeenRecord> desktop;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  ASSERT_TRUE(world.ReadDesktop(desktop));
  ASSERT_EQ(1u, desktop.size());
  EXPECT_EQ(1u, desktop[0].category);
  EXPECT_EQ(1u, handheld[0].category);
}

// With the first-sync indicator 2 nothing counts as deleted: a category made
// on each side since the last HotSync survives on both, with its new memo.
// Without the indicator both are taken as deleted on the other side and their
// memos arrive in Unfiled.
TEST(ReviewSyncEngineTest, FirstSyncIndicatorTwoDeletesNoCategory) {
  for (std::int32_t indicator : {0, 2}) {
    CSyncTestWorld world({Memo(1, "h", 1, true)}, {Category(1, "HandheldOnly", 1)});
    ASSERT_EQ(0, world.Device().Attach());
    world.WriteDesktop({{2, "d", 2, FL::REC_ATTR_NEW | FL::REC_ATTR_MODIFIED}}, {Category(2, "DesktopOnly", 2)});

    ASSERT_EQ(0, HotSync(world, 0, indicator));

    std::vector<Slot> handheldSlots = SlotsOf(HandheldAppInfo(world));
    EXPECT_EQ(handheldSlots, SlotsOf(DesktopAppInfo(world))) << indicator;
    std::vector<SeenRecord> handheld;
    std::vector<SeenRecord> desktop;
    ASSERT_TRUE(world.ReadHandheld(handheld));
    ASSERT_TRUE(world.ReadDesktop(desktop));
    const SeenRecord* fromHandheld = FindText(desktop, "h");
    const SeenRecord* fromDesktop = FindText(handheld, "d");
    ASSERT_NE(nullptr, fromHandheld);
    ASSERT_NE(nullptr, fromDesktop);
    auto deleted = CSyncTestWorld::LogTexts(CSyncLog::ACT_CATEGORY_DELETED);
    if (indicator == 2) {
      EXPECT_EQ((Slot{"HandheldOnly", 1}), handheldSlots[1]);
      EXPECT_EQ((Slot{"DesktopOnly", 2}), handheldSlots[2]);
      EXPECT_EQ(1u, fromHandheld->category);
      EXPECT_EQ(2u, fromDesktop->category);
      EXPECT_TRUE(deleted.empty());
    } else {
      EXPECT_EQ(Slot{}, handheldSlots[1]);
      EXPECT_EQ(Slot{}, handheldSlots[2]);
      EXPECT_EQ(0u, fromHandheld->category);
      EXPECT_EQ(0u, fromDesktop->category);
      ASSERT_EQ(2u, deleted.size());
      EXPECT_NE(std::string::npos, deleted[0].find("Remote category DesktopOnly has been deleted"));
      EXPECT_NE(std::string::npos, deleted[1].find("Local category HandheldOnly has been deleted"));
    }
  }
}

// The application-specific bytes: the handheld's win when both sides have
// some; the desktop's reach a handheld that has none.  (The password digest
// inside them, bytes 4 to 19, is the same on both sides: sides with different
// passwords do not synchronise at all.)
TEST(ReviewSyncEngineTest, ApplicationBytesTravelFromWhicheverSideHasThem) {
  {
    std::vector<std::uint8_t> handheldExtra(30, 0x11);
    CSyncTestWorld world({Memo(1, "a")}, {}, &handheldExtra);
    ASSERT_EQ(0, world.Device().Attach());
    std::vector<std::uint8_t> desktopExtra(30, 0x22);
    std::fill(desktopExtra.begin() + 4, desktopExtra.begin() + 20, 0x11);
    world.WriteDesktop({{1, "a", 0, 0}}, {}, desktopExtra);
    ASSERT_EQ(0, HotSync(world, 0));
    EXPECT_EQ(handheldExtra, Extra(DesktopAppInfo(world)));
    EXPECT_EQ(handheldExtra, Extra(HandheldAppInfo(world)));
  }
  {
    std::vector<std::uint8_t> none;
    CSyncTestWorld world({Memo(1, "a")}, {}, &none);
    ASSERT_EQ(0, world.Device().Attach());
    ASSERT_EQ(FL::CAT_BLOCK_SIZE, HandheldAppInfo(world).size());
    std::vector<std::uint8_t> desktopExtra(40, 0x33);
    desktopExtra[0] = 0x01;
    std::fill(desktopExtra.begin() + 4, desktopExtra.begin() + 20, 0);  // not protected
    world.WriteDesktop({{1, "a", 0, 0}}, {}, desktopExtra);
    ASSERT_EQ(0, HotSync(world, 0));
    EXPECT_EQ(desktopExtra, Extra(HandheldAppInfo(world)));
    EXPECT_EQ(desktopExtra, Extra(DesktopAppInfo(world)));
  }
}

// Slow sync: an unmarked handheld record that the previous backup does not
// hold changed on the handheld since the last HotSync here, so its version is
// written over the desktop copy instead of being duplicated.
TEST(ReviewSyncEngineTest, SlowSyncTakesARecordMissingFromTheBackupAsModified) {
  CSyncTestWorld world({Memo(6, "six")});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{6, "six", 0, 0}});
  ASSERT_EQ(0, HotSync(world, 0));  // record.BAK holds record 6 only
  ASSERT_TRUE(std::filesystem::exists(world.BackupPath()));

  // Record 5 appears on both sides, unmarked, with different texts.
  CPdbFile db;
  ASSERT_EQ(0, world.Device().ReadMemoDb(db));
  CPdbRecord r;
  r.uniqueId = 5;
  r.data = CDeviceFixture::Body("handheld five");
  ASSERT_EQ(0, db.WriteRecord(r));
  ASSERT_EQ(0, world.Device().WriteMemoDb(db));
  world.WriteDesktop({{5, "desktop five", 0, 0}, {6, "six", 0, 0}});

  ASSERT_EQ(0, HotSync(world, 1));
  std::vector<SeenRecord> handheld;
  std::vector<SeenRecord> desktop;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  ASSERT_TRUE(world.ReadDesktop(desktop));
  EXPECT_EQ((std::vector<std::string>{"handheld five", "six"}), CSyncTestWorld::Texts(desktop));
  EXPECT_EQ((std::vector<std::string>{"handheld five", "six"}), CSyncTestWorld::Texts(handheld));
  EXPECT_TRUE(CSyncTestWorld::LogTexts(CSyncLog::ACT_DUPLICATED).empty());
}

}  // namespace
