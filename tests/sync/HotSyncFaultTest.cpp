// A HotSync that a failing disk interrupts: every write, flush, rename and
// link of a whole HotSync (handheld database, desktop file, backup, archive)
// fails in turn, and every write is cut short.  The HotSync reports the
// failure; the desktop file and the handheld then load with their old or
// their new content, whole; and the next HotSync (slow, as the host runs it
// after a failure) brings both sides to the memos of a HotSync without faults.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "SyncTestWorld.h"
#include "platform/files/ScopedFileEnv.h"
#include "support/FaultInjectionEnv.h"
#include "support/FolderSnapshot.h"

namespace {

namespace FL = FileLayout;
using Op = IFileEnv::Op;
using Snapshot = FolderSnapshot;

// Both sides at one moment: the handheld's and the desktop's records (the
// handheld's as the device reads them, with every check of the memo
// application) and the names of every file.
struct Sides {
  bool handheldLoads = false;
  bool desktopLoads = false;
  std::vector<SeenRecord> handheld;
  std::vector<SeenRecord> desktop;
  std::set<std::string> names;
};

Sides Look(CSyncTestWorld& world) {
  Sides sides;
  sides.handheldLoads = world.ReadHandheld(sides.handheld);
  sides.desktopLoads = world.ReadDesktop(sides.desktop);
  for (const auto& folder : {world.Device().Folder(), world.Folder()}) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      sides.names.insert(entry.path().filename().string());
    }
  }
  return sides;
}

}  // namespace

TEST(HotSyncFault, EveryFailedFileOperationLeavesWholeSidesThatTheNextHotSyncJoins) {
  // Both sides as a HotSync left them (the backup too); then a change on each.
  CSyncTestWorld world({Memo(1, "one"), Memo(2, "two"), Memo(3, "three"), Memo(4, "four")});
  world.WriteDesktop({{1, "one", 0, 0}, {2, "two", 0, 0}, {3, "three", 0, 0}, {4, "four", 0, 0}});
  ASSERT_EQ(0, world.Device().Attach());
  ASSERT_EQ(0, HotSync(world, 1));
  FixtureMemo archived = Memo(3, "three", 0, true);
  archived.deleted = archived.archived = true;
  ASSERT_EQ(0, world.Device().WriteMemos({Memo(2, "two, changed on the handheld", 0, true), archived}));
  world.WriteDesktop({{1, "one", 0, 0},
                      {2, "two", 0, 0},
                      {3, "three", 0, 0},
                      {4, "four, changed on the desktop", 0, FL::REC_ATTR_MODIFIED},
                      {0, "new on the desktop", 0, FL::REC_ATTR_NEW}});
  const Snapshot deviceBefore = TakeFolderSnapshot(world.Device().Folder());
  const Snapshot desktopBefore = TakeFolderSnapshot(world.Folder());
  const Sides old = Look(world);
  ASSERT_TRUE(old.handheldLoads && old.desktopLoads);

  // One HotSync without faults: what it does, and the sides it leaves.
  CFaultInjectionEnv faults;
  std::vector<CFaultInjectionEnv::SFault> plan;
  {
    CScopedFileEnv use(faults);
    ASSERT_EQ(0, world.Device().Attach());
    ASSERT_EQ(0, HotSync(world, 0));
    plan = faults.EachFault({Op::WRITE, Op::SYNC, Op::SYNC_FOLDER, Op::RENAME, Op::LINK});
  }
  const Sides synced = Look(world);
  ASSERT_TRUE(synced.handheldLoads && synced.desktopLoads);
  ASSERT_EQ(CSyncTestWorld::Texts(synced.handheld), CSyncTestWorld::Texts(synced.desktop));
  ASSERT_NE(CSyncTestWorld::Texts(old.desktop), CSyncTestWorld::Texts(synced.desktop));
  ASSERT_GE(plan.size(), 10u);
  std::set<std::string> names = old.names;
  names.insert(synced.names.begin(), synced.names.end());

  for (const CFaultInjectionEnv::SFault& fault : plan) {
    SCOPED_TRACE(fault.Describe());
    RestoreFolderSnapshot(world.Device().Folder(), deviceBefore);
    RestoreFolderSnapshot(world.Folder(), desktopBefore);
    ASSERT_EQ(0, world.Device().Attach());
    std::int32_t rc = 0;
    {
      CScopedFileEnv use(faults);
      faults.Plan(fault);
      rc = HotSync(world, 0);
      EXPECT_EQ(1, faults.Injected());
    }
    const Sides after = Look(world);
    if (fault.op == Op::SYNC_FOLDER && rc == 0) {
      // The desktop files' writers take a folder that could not be flushed as
      // written: the file is in place, whole.  Then both sides are new.
      EXPECT_EQ(synced.handheld, after.handheld);
      EXPECT_EQ(synced.desktop, after.desktop);
    } else {
      EXPECT_NE(0, rc);
    }
    ASSERT_TRUE(after.handheldLoads);
    ASSERT_TRUE(after.desktopLoads);
    EXPECT_TRUE(after.handheld == old.handheld || after.handheld == synced.handheld);
    EXPECT_TRUE(after.desktop == old.desktop || after.desktop == synced.desktop);
    for (const std::string& name : after.names) EXPECT_EQ(1u, names.count(name)) << name << " left behind";

    ASSERT_EQ(0, world.Device().Attach());
    ASSERT_EQ(0, HotSync(world, 1));
    const Sides joined = Look(world);
    EXPECT_EQ(CSyncTestWorld::Texts(synced.handheld), CSyncTestWorld::Texts(joined.handheld));
    EXPECT_EQ(CSyncTestWorld::Texts(synced.desktop), CSyncTestWorld::Texts(joined.desktop));
  }
}
