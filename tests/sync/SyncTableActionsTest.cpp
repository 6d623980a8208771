// Every entry of every decision table, run through the engine's record
// handler over a real desktop file and a simulated handheld.  The expected
// outcome is worked out from the meaning of each action bit (what it does to
// the two sides, the archive and the log), then compared with what both sides
// and the archive hold after the handler and the stores.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "SyncTestWorld.h"
#include "conduit/SyncLog.h"
#include "sync/HandheldDb.h"
#include "sync/SyncEngine.h"
#include "sync/SyncTables.h"

namespace {

constexpr std::uint32_t ID = 1000;
constexpr const char* HANDHELD_TEXT = "handheld version";
constexpr const char* DESKTOP_TEXT = "desktop version";

enum class Kind { FAST_PAIR, SLOW_PAIR, FAST_DESKTOP, SLOW_DESKTOP, DESKTOP_TO_HANDHELD, HANDHELD_TO_DESKTOP };

struct TableCase {
  Kind kind;
  SyncTableEntry entry;
  bool differ;
  std::string name;
};

std::string Hex(std::int32_t v) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(v));
  return buffer;
}

std::vector<TableCase> AllCases() {
  std::vector<TableCase> cases;
  auto add = [&](Kind kind, const SyncTable& table, bool bothContents) {
    for (const SyncTableEntry& e : table.entries) {
      std::string base = std::string(table.name) + "_r" + std::to_string(e.row) + "c" + std::to_string(e.column) +
                         "_hh" + std::to_string(e.handheldStatus) + "_dt" + std::to_string(e.desktopStatus) +
                         "_act" + Hex(e.action);
      if (e.comparison == SYNC_COMPARE_SAME) {
        cases.push_back({kind, e, false, base + "_same"});
      } else if (e.comparison == SYNC_COMPARE_DIFFER || !bothContents) {
        cases.push_back({kind, e, true, base + "_differ"});
      } else {
        cases.push_back({kind, e, false, base + "_same"});
        cases.push_back({kind, e, true, base + "_differ"});
      }
    }
  };
  add(Kind::FAST_PAIR, FastSyncTable(), true);
  add(Kind::SLOW_PAIR, SlowSyncTable(), false);
  add(Kind::FAST_DESKTOP, FastDesktopTable(), false);
  add(Kind::SLOW_DESKTOP, SlowDesktopTable(), false);
  add(Kind::DESKTOP_TO_HANDHELD, DesktopToHandheldTable(), false);
  add(Kind::HANDHELD_TO_DESKTOP, HandheldToDesktopTable(), false);
  return cases;
}

std::uint16_t FileAttributes(std::int32_t status) {
  namespace FL = FileLayout;
  if (status == SYNC_STATUS_UNCHANGED) return 0;
  std::uint16_t a = 0;
  if (status & SYNC_STATUS_DELETED) a |= FL::REC_ATTR_DELETED;
  if (status & SYNC_STATUS_ARCHIVED) a |= FL::REC_ATTR_ARCHIVED;
  if (status & SYNC_STATUS_MODIFIED) a |= FL::REC_ATTR_MODIFIED;
  if (status & SYNC_STATUS_NEW) a |= FL::REC_ATTR_NEW;
  return a;
}

// What a test expects on both sides after the handler.
struct Expected {
  struct Handheld {
    std::string text;
    bool deleted = false;
    bool archived = false;
  };
  std::optional<Handheld> handheld;      // the record with ID on the handheld
  std::optional<std::string> desktop;    // the record with ID on the desktop
  std::vector<std::string> handheldNew;  // records under other ids
  std::vector<std::string> desktopNew;
  std::vector<std::string> archive;
  int duplicated = 0;
  int modifiedDeleted = 0;
};

// The outcome of an action word, bit by bit, from the two records' statuses and
// contents.  `handheldStatus` is 64 when the handheld has no record.
Expected Model(std::int32_t action, std::int32_t handheldStatus, const Expected& start, const std::string& h,
               const std::string& d) {
  Expected x = start;
  bool differ = h != d;
  bool markedGone = handheldStatus != SYNC_STATUS_ABSENT && handheldStatus != SYNC_STATUS_UNCHANGED &&
                    (handheldStatus & (SYNC_STATUS_DELETED | SYNC_STATUS_ARCHIVED)) != 0;
  auto duplicate = [&] {
    x.desktop = h;
    x.handheldNew.push_back(d);
    x.desktopNew.push_back(d);
    ++x.duplicated;
  };
  auto archiveDesktop = [&] {
    x.archive.push_back(d);
    x.desktop.reset();
  };
  if (action & ACT_DELETE_DESKTOP) x.desktop.reset();
  if (action & ACT_ARCHIVE_DESKTOP) archiveDesktop();
  if ((action & ACT_DELETE_HANDHELD) && !markedGone) x.handheld.reset();
  if (action & ACT_ARCHIVE_HANDHELD) {
    x.archive.push_back(h);
    if (!markedGone) x.handheld.reset();
  }
  if (action & ACT_ADD_TO_HANDHELD) x.handheld = Expected::Handheld{d};
  if (action & ACT_ADD_TO_DESKTOP) x.desktop = h;
  if (action & ACT_HANDHELD_OVER_DESKTOP) x.desktop = h;
  if (action & ACT_DESKTOP_OVER_HANDHELD) x.handheld = Expected::Handheld{d};
  if ((action & ACT_DUPLICATE_IF_DIFFERENT) && differ) duplicate();
  if (action & ACT_RESOLVE_HH_ARCHIVED_DT_MODIFIED) {
    if (differ) {
      x.handheld = Expected::Handheld{h};
      duplicate();
    } else {
      archiveDesktop();
    }
  }
  if (action & ACT_RESOLVE_HH_MODIFIED_DT_ARCHIVED) {
    if (differ) {
      duplicate();
    } else {
      archiveDesktop();
    }
  }
  if (action & ACT_RESOLVE_BOTH_ARCHIVED) {
    x.archive.push_back(d);
    if (differ) x.archive.push_back(h);
    x.desktop.reset();
  }
  if (action & ACT_DUPLICATE) duplicate();
  if (action & ACT_DELETE_HANDHELD_BY_ID) x.handheld.reset();
  if (action & ACT_LOG_MODIFIED_DELETED) ++x.modifiedDeleted;
  return x;
}

void PrintTo(const TableCase& c, std::ostream* os) { *os << c.name; }

class TableActionTest : public ::testing::TestWithParam<TableCase> {};

TEST_P(TableActionTest, BothSidesShowTheActionsOfTheEntry) {
  const TableCase& c = GetParam();
  const SyncTableEntry& e = c.entry;
  const std::string h = HANDHELD_TEXT;
  const std::string d = c.differ ? DESKTOP_TEXT : HANDHELD_TEXT;

  bool pair = c.kind == Kind::FAST_PAIR || c.kind == Kind::SLOW_PAIR;
  std::int32_t hs = SYNC_STATUS_ABSENT;
  std::int32_t ds = SYNC_STATUS_ABSENT;
  switch (c.kind) {
    case Kind::FAST_PAIR:
    case Kind::SLOW_PAIR:
      hs = e.handheldStatus;
      ds = e.desktopStatus;
      break;
    case Kind::FAST_DESKTOP:
      ds = e.desktopStatus;
      // A desktop record that is not new has its counterpart on the handheld.
      if (ds != SYNC_STATUS_ABSENT && (ds == SYNC_STATUS_UNCHANGED || (ds & SYNC_STATUS_NEW) == 0)) {
        hs = SYNC_STATUS_UNCHANGED;
      }
      break;
    case Kind::SLOW_DESKTOP:
    case Kind::DESKTOP_TO_HANDHELD:
      ds = e.desktopStatus;
      break;
    case Kind::HANDHELD_TO_DESKTOP:
      hs = e.handheldStatus;
      break;
  }

  // The handheld stores what it can: the archive mark only on deleted records.
  std::vector<FixtureMemo> memos;
  Expected start;
  if (hs != SYNC_STATUS_ABSENT) {
    FixtureMemo m;
    m.id = ID;
    m.text = h;
    bool unchanged = hs == SYNC_STATUS_UNCHANGED;
    m.dirty = !unchanged && (hs & SYNC_STATUS_MODIFIED) != 0;
    m.deleted = !unchanged && (hs & SYNC_STATUS_DELETED) != 0;
    m.archived = m.deleted && (hs & SYNC_STATUS_ARCHIVED) != 0;
    memos.push_back(m);
    start.handheld = Expected::Handheld{h, m.deleted, m.archived};
  }
  CSyncTestWorld world(memos);
  ASSERT_EQ(0, world.Device().Status());
  ASSERT_EQ(0, world.Device().Attach());
  if (ds != SYNC_STATUS_ABSENT) {
    world.WriteDesktop({{ID, d, 0, FileAttributes(ds)}});
    start.desktop = d;
  } else if (c.kind != Kind::HANDHELD_TO_DESKTOP) {
    world.WriteDesktop({});
  }

  std::int32_t syncType = 0;
  switch (c.kind) {
    case Kind::FAST_PAIR:
    case Kind::FAST_DESKTOP: syncType = 0; break;
    case Kind::SLOW_PAIR:
    case Kind::SLOW_DESKTOP: syncType = 1; break;
    case Kind::DESKTOP_TO_HANDHELD: syncType = 3; break;
    case Kind::HANDHELD_TO_DESKTOP: syncType = 2; break;
  }
  CSyncEngine engine(world.Properties(syncType), CSyncEngine::FEATURES_CONDUIT, ConduitLog());
  ASSERT_EQ(0, engine.PrepareDatabaseEntry(0));
  ASSERT_EQ(0, engine.OpenAll());
  ASSERT_EQ(0, engine.Handheld()->Load());
  ASSERT_EQ(0, engine.Desktop()->Load());
  if (c.kind == Kind::DESKTOP_TO_HANDHELD) {
    ASSERT_EQ(0, engine.CopyAppInfoToHandheld());
  }
  if (c.kind == Kind::HANDHELD_TO_DESKTOP) {
    // As the flow does: the new desktop file takes the database's header.
    ASSERT_EQ(0, engine.Desktop()->SetDbInfo(CMemoApp::DB_NAME, 0, CMemoApp::DB_TYPE, CMemoApp::DB_CREATOR, 0, 0, 0,
                                             0, 0));
    ASSERT_EQ(0, engine.CopyAppInfoToDesktop());
  }

  CSyncRecord handheld;
  CSyncRecord desktop;
  if (pair && hs != SYNC_STATUS_ABSENT) {
    ASSERT_EQ(0, engine.Handheld()->GetRecordById(ID, handheld, false));
  }
  if (c.kind == Kind::HANDHELD_TO_DESKTOP) {
    ASSERT_EQ(0, engine.Handheld()->GetRecordById(ID, handheld, false));
  }
  if (ds != SYNC_STATUS_ABSENT) {
    ASSERT_EQ(0, engine.Desktop()->GetRecordById(ID, desktop, false));
  }
  // Statuses the handheld cannot store (archived without deleted, new) are
  // given to the record in memory, as a handheld read would give them.
  if (hs != SYNC_STATUS_ABSENT && c.kind != Kind::FAST_DESKTOP) {
    handheld.SetStatus(hs == SYNC_STATUS_UNCHANGED ? 0 : hs);
  }

  std::int32_t rc = 0;
  switch (c.kind) {
    case Kind::FAST_PAIR:
    case Kind::SLOW_PAIR:
      if (hs != SYNC_STATUS_ABSENT) {
        rc = engine.SyncHandheldRecord(handheld);
      } else {
        // The handheld pass never meets a record the handheld does not have;
        // the action of that row is applied with an empty handheld record.
        std::int32_t key = SyncKey(SYNC_STATUS_ABSENT, ds);
        rc = engine.ApplyActions(c.kind == Kind::FAST_PAIR ? engine.FastSyncAction(key) : engine.SlowSyncAction(key),
                                 handheld, desktop);
      }
      break;
    case Kind::FAST_DESKTOP:
    case Kind::SLOW_DESKTOP:
      if (ds != SYNC_STATUS_ABSENT) {
        rc = engine.SyncDesktopRecord(desktop);
      } else {
        rc = engine.ApplyActions(c.kind == Kind::FAST_DESKTOP ? engine.FastDesktopAction(ds)
                                                              : engine.SlowDesktopAction(ds),
                                 handheld, desktop);
      }
      break;
    case Kind::DESKTOP_TO_HANDHELD:
      rc = engine.ApplyActions(engine.DesktopToHandheldAction(desktop.GetSyncStatus()), handheld, desktop);
      break;
    case Kind::HANDHELD_TO_DESKTOP:
      rc = engine.ApplyActions(engine.HandheldToDesktopAction(SyncKey(handheld.GetSyncStatus(), 0)), handheld,
                               desktop);
      break;
  }
  ASSERT_EQ(0, rc);
  ASSERT_EQ(0, engine.Handheld()->Store());
  ASSERT_EQ(0, engine.Desktop()->Store());
  engine.FreeArchives(true);

  Expected x = Model(e.action, hs, start, h, d);

  std::vector<SeenRecord> seenHandheld;
  ASSERT_TRUE(world.ReadHandheld(seenHandheld));
  const SeenRecord* hh = CSyncTestWorld::FindId(seenHandheld, ID);
  if (x.handheld) {
    ASSERT_NE(nullptr, hh) << "handheld record missing";
    EXPECT_EQ(x.handheld->text, hh->text);
    EXPECT_EQ(x.handheld->deleted, hh->deleted);
    EXPECT_EQ(x.handheld->archived, hh->archived);
  } else {
    EXPECT_EQ(nullptr, hh) << "handheld record still there";
  }
  std::vector<std::string> others;
  for (const SeenRecord& r : seenHandheld) {
    if (r.id != ID) others.push_back(r.text);
  }
  EXPECT_EQ(x.handheldNew, others);

  std::vector<SeenRecord> seenDesktop;
  ASSERT_TRUE(world.ReadDesktop(seenDesktop));
  const SeenRecord* dt = CSyncTestWorld::FindId(seenDesktop, ID);
  if (x.desktop) {
    ASSERT_NE(nullptr, dt) << "desktop record missing";
    EXPECT_EQ(*x.desktop, dt->text);
  } else {
    EXPECT_EQ(nullptr, dt) << "desktop record still there";
  }
  others.clear();
  for (const SeenRecord& r : seenDesktop) {
    if (r.id != ID) {
      others.push_back(r.text);
      // A desktop record made by the HotSync carries the handheld's id.
      EXPECT_NE(nullptr, CSyncTestWorld::FindId(seenHandheld, r.id));
    }
  }
  EXPECT_EQ(x.desktopNew, others);

  std::vector<SeenRecord> archived;
  CSyncTestWorld::ReadRecords(world.ArchivePath("Unfiled"), archived);
  std::vector<std::string> archivedTexts;
  for (const SeenRecord& r : archived) archivedTexts.push_back(r.text);
  EXPECT_EQ(x.archive, archivedTexts);

  EXPECT_EQ(x.duplicated, static_cast<int>(CSyncTestWorld::LogTexts(CSyncLog::ACT_DUPLICATED).size()));
  EXPECT_EQ(x.modifiedDeleted, static_cast<int>(CSyncTestWorld::LogTexts(CSyncLog::ACT_MODIFIED_DELETED).size()));
}

INSTANTIATE_TEST_SUITE_P(AllTables, TableActionTest, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<TableCase>& testInfo) { return testInfo.param.name; });

// The tables as drawn: one entry per filled cell, and no key twice.
TEST(SyncTablesTest, EachTableHasOneEntryPerFilledCell) {
  EXPECT_EQ(80u, FastSyncTable().entries.size());
  EXPECT_EQ(129u, SlowSyncTable().entries.size());
  EXPECT_EQ(15u, FastDesktopTable().entries.size());
  EXPECT_EQ(15u, SlowDesktopTable().entries.size());
  EXPECT_EQ(14u, DesktopToHandheldTable().entries.size());
  EXPECT_EQ(8u, HandheldToDesktopTable().entries.size());
  for (const SyncTable* t : {&FastSyncTable(), &SlowSyncTable(), &FastDesktopTable(), &SlowDesktopTable(),
                             &DesktopToHandheldTable(), &HandheldToDesktopTable()}) {
    for (std::size_t i = 0; i < t->entries.size(); ++i) {
      for (std::size_t j = i + 1; j < t->entries.size(); ++j) {
        EXPECT_NE(t->entries[i].key, t->entries[j].key) << t->name;
      }
    }
  }
}

// A key that is in no table does nothing to either side.
TEST(SyncTablesTest, AKeyMissingFromTheTablePerformsNothing) {
  for (std::int32_t syncType : {0, 1}) {
    // Handheld unchanged (fast: not even visited normally) or deleted, desktop
    // deleted and archived: neither table has a column for desktop status 3.
    FixtureMemo memo;
    memo.id = ID;
    memo.text = "hh";
    memo.dirty = true;
    memo.deleted = syncType == 1;
    CSyncTestWorld world({memo});
    ASSERT_EQ(0, world.Device().Attach());
    namespace FL = FileLayout;
    world.WriteDesktop({{ID, "dt", 0, FL::REC_ATTR_DELETED | FL::REC_ATTR_ARCHIVED}});

    CSyncEngine engine(world.Properties(syncType), CSyncEngine::FEATURES_CONDUIT, ConduitLog());
    ASSERT_EQ(0, engine.PrepareDatabaseEntry(0));
    ASSERT_EQ(0, engine.OpenAll());
    ASSERT_EQ(0, engine.Handheld()->Load());
    ASSERT_EQ(0, engine.Desktop()->Load());
    CSyncRecord handheld;
    ASSERT_EQ(0, engine.Handheld()->GetRecordById(ID, handheld, false));
    if (syncType == 0) handheld.SetStatus(0);
    EXPECT_EQ(0, engine.SyncHandheldRecord(handheld));
    EXPECT_FALSE(engine.Desktop()->IsDirty());
    engine.FreeArchives(true);
    ASSERT_EQ(0, engine.Handheld()->Store());
    ASSERT_EQ(0, engine.Desktop()->Store());
    std::vector<SeenRecord> seen;
    ASSERT_TRUE(world.ReadHandheld(seen));
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("hh", seen[0].text);
    EXPECT_FALSE(std::filesystem::exists(world.ArchivePath("Unfiled")));
    EXPECT_TRUE(LogEntries().empty());
  }
}

// The engine's lookups give 0 for keys outside the tables, including a
// comparison bit on a fast key.
TEST(SyncTablesTest, LookupsOfUnknownKeysGiveZero) {
  CSyncTestWorld world;
  CSyncEngine engine(world.Properties(0), CSyncEngine::FEATURES_CONDUIT, ConduitLog());
  EXPECT_EQ(0, engine.FastSyncAction(SyncKey(4, 3)));
  EXPECT_EQ(0, engine.FastSyncAction(SyncKey(4, 4, SYNC_COMPARE_DIFFER)));
  EXPECT_EQ(0, engine.SlowSyncAction(SyncKey(4, 4)));  // the slow table needs the comparison
  EXPECT_EQ(0, engine.DesktopToHandheldAction(SYNC_STATUS_ABSENT));
  EXPECT_EQ(0, engine.HandheldToDesktopAction(SyncKey(8, 0)));
  EXPECT_EQ(ACT_DUPLICATE_IF_DIFFERENT, engine.FastSyncAction(SyncKey(4, 4)));
}

}  // namespace
