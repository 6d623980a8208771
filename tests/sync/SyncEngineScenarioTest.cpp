// Whole HotSyncs through CSyncEngine exactly as OpenConduit runs them: built
// from a sync properties block, Synchronize, destroyed; real desktop files and
// a simulated handheld; both sides, the archives, the backup and the HotSync
// log checked afterwards.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "SyncTestWorld.h"
#include "conduit/SyncLog.h"
#include "dbfiles/CategoryList.h"
#include "dbfiles/ResultCodes.h"
#include "platform/sync20/SyncLibrary.h"
#include "platform/sync20/SyncStatus.h"
#include "store/MemoDatabase.h"
#include "store/MemoRecord.h"
#include "sync/SyncEngine.h"

namespace {

namespace FL = FileLayout;

FixtureMemo Deleted(std::uint32_t id, const std::string& text, bool archived, bool dirty = true) {
  FixtureMemo m = Memo(id, text, 0, dirty);
  m.deleted = true;
  m.archived = archived;
  return m;
}

// The category slots of a category block: name and id per slot ("" when empty).
struct Slots {
  std::vector<std::string> names = std::vector<std::string>(16);
  std::vector<int> ids = std::vector<int>(16, -1);
  bool operator==(const Slots&) const = default;
};

Slots SlotsOf(const std::vector<std::uint8_t>& data) {
  Slots s;
  CCategoryList list;
  if (list.ReadCategoryBlock(data.data(), data.size()) != 0) return s;
  for (int i = 0; i < 16; ++i) {
    const CPCategory* c = list.GetByIndex(i);
    if (c == nullptr) continue;
    s.names[static_cast<std::size_t>(i)] = c->Name();
    s.ids[static_cast<std::size_t>(i)] = c->GetId();
  }
  return s;
}

// The handheld's application information (empty when it has none).
std::vector<std::uint8_t> HandheldAppInfo(CSyncTestWorld& world) {
  std::vector<SeenRecord> ignored;
  CPdbFile db;
  if (!world.ReadHandheld(ignored, &db) || !db.AppInfo()) return {};
  return *db.AppInfo();
}

Slots HandheldSlots(CSyncTestWorld& world) { return SlotsOf(HandheldAppInfo(world)); }

Slots DesktopSlots(CSyncTestWorld& world) {
  std::vector<SeenRecord> ignored;
  recordfile::File f;
  if (!world.ReadDesktop(ignored, &f) || !f.appInfo) return Slots{};
  std::vector<std::uint8_t> data(f.appInfo->data.begin(), f.appInfo->data.begin() + f.appInfo->length);
  return SlotsOf(data);
}

std::vector<std::uint8_t> DesktopAppExtra(CSyncTestWorld& world) {
  std::vector<SeenRecord> ignored;
  recordfile::File f;
  if (!world.ReadDesktop(ignored, &f) || !f.appInfo || f.appInfo->length <= FL::CAT_BLOCK_SIZE) return {};
  return std::vector<std::uint8_t>(f.appInfo->data.begin() + FL::CAT_BLOCK_SIZE,
                                   f.appInfo->data.begin() + f.appInfo->length);
}

std::vector<std::uint8_t> HandheldAppExtra(CSyncTestWorld& world) {
  const std::vector<std::uint8_t> info = HandheldAppInfo(world);
  if (info.size() <= FL::CAT_BLOCK_SIZE) return {};
  return std::vector<std::uint8_t>(info.begin() + FL::CAT_BLOCK_SIZE, info.end());
}

const SeenRecord* FindText(const std::vector<SeenRecord>& records, const std::string& text) {
  for (const SeenRecord& r : records) {
    if (r.text == text) return &r;
  }
  return nullptr;
}

// Both sides hold the same records: same ids, texts and categories.
void ExpectSidesEqual(CSyncTestWorld& world) {
  std::vector<SeenRecord> handheld;
  std::vector<SeenRecord> desktop;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  ASSERT_TRUE(world.ReadDesktop(desktop));
  auto key = [](const SeenRecord& r) { return std::make_tuple(r.id, r.text, r.category); };
  std::vector<std::tuple<std::uint32_t, std::string, std::uint32_t>> a;
  std::vector<std::tuple<std::uint32_t, std::string, std::uint32_t>> b;
  for (const auto& r : handheld) a.push_back(key(r));
  for (const auto& r : desktop) b.push_back(key(r));
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  EXPECT_EQ(a, b);
}

std::size_t LogCount(std::int32_t activity) { return CSyncTestWorld::LogTexts(activity).size(); }

// ---- Switching modes ---------------------------------------------------------------------------------------

TEST(SyncScenarioTest, FirstHotSyncWithoutDesktopFileCopiesTheHandheld) {
  std::vector<std::uint8_t> extra(40, 0);
  extra[10] = 0x5A;
  CSyncTestWorld world({Memo(5, "milk", 1, true), Memo(6, "eggs"), Deleted(7, "gone", false)},
                       {Category(1, "Shopping", 1)}, &extra);
  ASSERT_EQ(0, world.Device().Attach());

  ASSERT_EQ(0, HotSync(world, 0));

  std::vector<SeenRecord> desktop;
  ASSERT_TRUE(world.ReadDesktop(desktop));
  ASSERT_EQ(2u, desktop.size());
  EXPECT_EQ("milk", CSyncTestWorld::FindId(desktop, 5)->text);
  EXPECT_EQ(1u, CSyncTestWorld::FindId(desktop, 5)->category);
  EXPECT_EQ("eggs", CSyncTestWorld::FindId(desktop, 6)->text);
  EXPECT_EQ("Shopping", DesktopSlots(world).names[1]);
  EXPECT_EQ(extra, DesktopAppExtra(world));
  // The backup is the new desktop file, byte for byte.
  EXPECT_EQ(recordfile::ReadAll(world.DesktopPath()), recordfile::ReadAll(world.BackupPath()));
  // The handheld's flags are cleared.
  CPdbFile db;
  std::vector<SeenRecord> handheld;
  ASSERT_TRUE(world.ReadHandheld(handheld, &db));
  for (std::size_t i = 0; i < db.RecordCount(); ++i) EXPECT_FALSE(db.RecordAt(i)->IsDirty());
  EXPECT_EQ(2u, LogCount(CSyncLog::ACT_SYNC_OK));  // the start marks 19/20/19 and the end entry
  EXPECT_EQ(0u, LogCount(CSyncLog::ACT_SYNC_FAILED));
}

TEST(SyncScenarioTest, MissingHandheldDatabaseIsCreatedFromTheDesktop) {
  CSyncTestWorld world({}, {}, nullptr, false);
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{11, "from desktop", 1, 0}, {0, "brand new", 0, FL::REC_ATTR_NEW}},
                     {Category(1, "Work", 3)}, std::vector<std::uint8_t>(8, 7));

  ASSERT_EQ(0, HotSync(world, 0));

  ASSERT_TRUE(world.Device().HasMemoDb());
  std::vector<SeenRecord> handheld;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  ASSERT_EQ(2u, handheld.size());
  EXPECT_EQ("from desktop", CSyncTestWorld::FindId(handheld, 11)->text);
  EXPECT_EQ("Work", HandheldSlots(world).names[1]);
  ExpectSidesEqual(world);
  // The record without an id got one from the handheld, and the desktop kept it.
  std::vector<SeenRecord> desktop;
  ASSERT_TRUE(world.ReadDesktop(desktop));
  for (const SeenRecord& r : desktop) EXPECT_NE(0u, r.id);
}

TEST(SyncScenarioTest, MissingDesktopFileSwitchesEveryLaterDatabaseToo) {
  CSyncTestWorld world({Memo(5, "one")});
  ASSERT_EQ(0, world.Device().Attach());
  SyncProperties properties = world.Properties(1);
  properties.databaseNames[1] = CMemoApp::DB_NAME;
  properties.databaseCount = 2;
  CSyncEngine engine(properties, CSyncEngine::FEATURES_CONDUIT, ConduitLog());
  EXPECT_EQ(0, engine.Synchronize());
  EXPECT_EQ(2, engine.CurrentSyncType());
  std::vector<SeenRecord> desktop;
  ASSERT_TRUE(world.ReadDesktop(desktop));
  ASSERT_EQ(1u, desktop.size());
}

// ---- Records -----------------------------------------------------------------------------------------------------

TEST(SyncScenarioTest, ConflictingEditsAreDuplicatedOnBothSidesAndLoggedOnce) {
  CSyncTestWorld world({Memo(5, "handheld edit", 0, true), Memo(6, "same edit", 0, true)});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{5, "desktop edit", 0, FL::REC_ATTR_MODIFIED}, {6, "same edit", 0, FL::REC_ATTR_MODIFIED}});

  ASSERT_EQ(0, HotSync(world, 0));

  std::vector<SeenRecord> handheld;
  std::vector<SeenRecord> desktop;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  ASSERT_TRUE(world.ReadDesktop(desktop));
  EXPECT_EQ((std::vector<std::string>{"desktop edit", "handheld edit", "same edit"}), CSyncTestWorld::Texts(handheld));
  EXPECT_EQ("handheld edit", CSyncTestWorld::FindId(handheld, 5)->text);
  EXPECT_EQ("handheld edit", CSyncTestWorld::FindId(desktop, 5)->text);
  ExpectSidesEqual(world);
  auto duplicated = CSyncTestWorld::LogTexts(CSyncLog::ACT_DUPLICATED);
  ASSERT_EQ(1u, duplicated.size());
  EXPECT_NE(std::string::npos, duplicated[0].find("modified on both Palm organizer and the Desktop: Record ID 5"));
}

TEST(SyncScenarioTest, ModifiedOnOneSideDeletedOnTheOtherKeepsTheModifiedVersion) {
  CSyncTestWorld world({Deleted(5, "", false), Memo(6, "handheld keeps", 0, true)});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{5, "desktop keeps", 0, FL::REC_ATTR_MODIFIED}, {6, "old", 0, FL::REC_ATTR_DELETED}});

  ASSERT_EQ(0, HotSync(world, 0));

  std::vector<SeenRecord> handheld;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  ASSERT_NE(nullptr, CSyncTestWorld::FindId(handheld, 5));
  EXPECT_EQ("desktop keeps", CSyncTestWorld::FindId(handheld, 5)->text);
  EXPECT_FALSE(CSyncTestWorld::FindId(handheld, 5)->deleted);
  EXPECT_EQ("handheld keeps", CSyncTestWorld::FindId(handheld, 6)->text);
  ExpectSidesEqual(world);
  auto messages = CSyncTestWorld::LogTexts(CSyncLog::ACT_MODIFIED_DELETED);
  EXPECT_EQ(2u, messages.size());
}

TEST(SyncScenarioTest, ArchivedRecordsGoToTheirCategorysArchiveFile) {
  // The handheld archives 5 (a deleted record keeps no category on the
  // handheld, so it goes to the Unfiled archive); the desktop archives 8 of
  // category "Bills/2003", whose archive file name is made file-safe.
  CSyncTestWorld world({Deleted(5, "handheld archived", true), Memo(8, "desktop archived", 1), Memo(9, "stays", 1)},
                       {Category(1, "Bills/2003", 1)});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{5, "handheld archived", 0, 0},
                      {8, "desktop archived", 1, FL::REC_ATTR_ARCHIVED | FL::REC_ATTR_MODIFIED},
                      {9, "stays", 1, 0}},
                     {Category(1, "Bills/2003", 1)});

  ASSERT_EQ(0, HotSync(world, 0));

  std::vector<SeenRecord> handheld;
  std::vector<SeenRecord> desktop;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  ASSERT_TRUE(world.ReadDesktop(desktop));
  EXPECT_EQ((std::vector<std::string>{"stays"}), CSyncTestWorld::Texts(handheld));
  EXPECT_EQ((std::vector<std::string>{"stays"}), CSyncTestWorld::Texts(desktop));
  std::vector<SeenRecord> unfiled;
  std::vector<SeenRecord> bills;
  ASSERT_TRUE(CSyncTestWorld::ReadRecords(world.ArchivePath("Unfiled"), unfiled));
  ASSERT_TRUE(CSyncTestWorld::ReadRecords(world.ArchivePath("Bills_2003"), bills));
  EXPECT_EQ((std::vector<std::string>{"handheld archived"}), CSyncTestWorld::Texts(unfiled));
  EXPECT_EQ((std::vector<std::string>{"desktop archived"}), CSyncTestWorld::Texts(bills));
  EXPECT_EQ(8u, bills[0].id);

  // A second archived record of the same category joins the first.
  world.WriteDesktop({{9, "stays", 1, FL::REC_ATTR_ARCHIVED}}, {Category(1, "Bills/2003", 1)});
  ASSERT_EQ(0, HotSync(world, 0));
  ASSERT_TRUE(CSyncTestWorld::ReadRecords(world.ArchivePath("Bills_2003"), bills));
  EXPECT_EQ((std::vector<std::string>{"desktop archived", "stays"}), CSyncTestWorld::Texts(bills));
}

TEST(SyncScenarioTest, DesktopMemosWithoutIdsGetTheHandheldsIds) {
  CSyncTestWorld world({Memo(5, "old")});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{5, "old", 0, 0},
                      {0, "new one", 0, FL::REC_ATTR_NEW | FL::REC_ATTR_MODIFIED},
                      {0, "new two", 0, FL::REC_ATTR_NEW | FL::REC_ATTR_MODIFIED}});

  ASSERT_EQ(0, HotSync(world, 0));

  std::vector<SeenRecord> desktop;
  ASSERT_TRUE(world.ReadDesktop(desktop));
  ASSERT_EQ(3u, desktop.size());
  for (const SeenRecord& r : desktop) EXPECT_NE(0u, r.id);
  EXPECT_NE(desktop[1].id, desktop[2].id);
  ExpectSidesEqual(world);
  // A second HotSync finds nothing to do.
  auto before = recordfile::ReadAll(world.DesktopPath());
  ASSERT_EQ(0, HotSync(world, 0));
  EXPECT_EQ(before, recordfile::ReadAll(world.DesktopPath()));
}

TEST(SyncScenarioTest, EqualCountsSkipTheIdComparison) {
  // The handheld holds 5, the desktop holds 6, neither changed: a fast HotSync
  // sees no change and equal counts, so neither side learns of the other.
  CSyncTestWorld world({Memo(5, "five")});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{6, "six", 0, 0}});
  ASSERT_EQ(0, HotSync(world, 0));
  std::vector<SeenRecord> handheld;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  EXPECT_EQ((std::vector<std::string>{"five"}), CSyncTestWorld::Texts(handheld));

  // With different counts each side receives the records only the other has.
  world.WriteDesktop({{6, "six", 0, 0}, {7, "seven", 0, 0}});
  ASSERT_EQ(0, HotSync(world, 0));
  ASSERT_TRUE(world.ReadHandheld(handheld));
  EXPECT_EQ((std::vector<std::string>{"five", "seven", "six"}), CSyncTestWorld::Texts(handheld));
  ExpectSidesEqual(world);
}

TEST(SyncScenarioTest, ADesktopIdStandingTwiceReachesTheHandheldAsANewRecord) {
  // A damaged desktop file holds two records with id 5.  The first is the
  // handheld's record 5; the second must reach the handheld as a record of its
  // own, without replacing record 5 there.
  CSyncTestWorld world({Memo(5, "five")});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{5, "five", 0, 0}, {5, "five again", 0, 0}});
  ASSERT_EQ(0, HotSync(world, 0));

  std::vector<SeenRecord> handheld;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  EXPECT_EQ((std::vector<std::string>{"five", "five again"}), CSyncTestWorld::Texts(handheld));
  std::vector<SeenRecord> desktop;
  ASSERT_TRUE(world.ReadDesktop(desktop));
  ASSERT_EQ(2u, desktop.size());
  EXPECT_NE(desktop[0].id, desktop[1].id);
  ExpectSidesEqual(world);
}

TEST(SyncScenarioTest, ProtectedMemosTravelUntouchedAndStillOpenWithThePassword) {
  CSyncTestWorld world;
  ASSERT_EQ(0, world.Device().Status());
  std::vector<std::uint8_t> bodyBefore;
  std::vector<std::uint8_t> infoBefore;
  {
    CMemoApp app(world.Device().Device());
    ASSERT_EQ(0, app.Open());
    std::uint32_t id = 0;
    ASSERT_EQ(0, app.AddMemo("secret text", 0, false, &id));
    ASSERT_EQ(0, app.SetPassword("pass", "the hint"));
    ASSERT_EQ(0, app.Save());
    bodyBefore = app.Database().RecordAt(0)->data;
    infoBefore = *app.Database().AppInfo();
  }
  ASSERT_EQ(0, world.Device().Attach());

  ASSERT_EQ(0, HotSync(world, 0));

  std::vector<SeenRecord> desktop;
  recordfile::File f;
  ASSERT_TRUE(world.ReadDesktop(desktop, &f));
  ASSERT_EQ(1u, f.records.size());
  EXPECT_EQ(bodyBefore, f.records[0].data);
  ASSERT_TRUE(f.appInfo.has_value());
  std::vector<std::uint8_t> desktopInfo(f.appInfo->data.begin(), f.appInfo->data.begin() + f.appInfo->length);
  EXPECT_EQ(infoBefore, desktopInfo);

  CMemoDatabase store;
  EXPECT_EQ(RDB_BAD_PASSWORD, store.Load(world.DesktopPath().string(), RDB_OPEN_READ_ONLY, "wrong"));
  ASSERT_EQ(RDB_OK, store.Load(world.DesktopPath().string(), RDB_OPEN_READ_ONLY, "pass"));
  ASSERT_EQ(1, store.RecordCount());
  EXPECT_EQ("secret text", store.MemoAt(0)->text);
  EXPECT_EQ("the hint", store.PasswordHint());

  // An edit on the desktop (already encrypted by the extension) reaches the
  // handheld byte for byte, and the digest stays.
  std::vector<std::uint8_t> edited = f.records[0].data;
  f.records[0].attributes = FL::REC_ATTR_MODIFIED;
  f.records[0].data[0] ^= 0xFF;
  edited[0] ^= 0xFF;
  recordfile::WriteAll(world.DesktopPath(), recordfile::Build(recordfile::Consistent(f)));
  ASSERT_EQ(0, HotSync(world, 0));
  CPdbFile db;
  std::vector<SeenRecord> handheld;
  ASSERT_TRUE(world.ReadHandheld(handheld, &db));
  EXPECT_EQ(edited, db.RecordAt(0)->data);
  EXPECT_EQ(infoBefore, *db.AppInfo());
}

// ---- Categories ---------------------------------------------------------------------------------------------

TEST(SyncScenarioTest, CategoriesRenamedAddedAndDeletedOnEitherSide) {
  CSyncTestWorld world({Memo(1, "in home", 1), Memo(2, "in old", 2), Memo(3, "in gone", 3), Memo(4, "in hh new", 4)},
                       {Category(1, "Home", 1), Category(2, "Old", 2), Category(3, "Gone", 3),
                        Category(4, "HandheldNew", 4, true)});
  ASSERT_EQ(0, world.Device().Attach());
  // Desktop: Home renamed to Family, Gone deleted (its record moved to
  // Unfiled), Old kept, a new category Desk (id 128) in slot 3; the handheld
  // deleted nothing the desktop knows... except "Remote" (id 9), which the
  // handheld no longer has.
  world.WriteDesktop({{1, "in home", 1, 0},
                      {2, "in old", 2, 0},
                      {3, "in gone", 0, FL::REC_ATTR_MODIFIED},
                      {5, "in desk", 3, FL::REC_ATTR_MODIFIED},
                      {6, "in remote", 5, 0}},
                     {Category(1, "Family", 1, true), Category(2, "Old", 2), Category(3, "Desk", 128, true),
                      Category(5, "Remote", 9)});
  // The handheld has record 6 too (in Unfiled: its category is gone there).
  ASSERT_EQ(0, world.Device().WriteMemos({Memo(6, "in remote")}));

  ASSERT_EQ(0, HotSync(world, 0));

  Slots hh = HandheldSlots(world);
  EXPECT_EQ("Family", hh.names[1]);
  EXPECT_EQ("Old", hh.names[2]);
  EXPECT_EQ("Desk", hh.names[3]);  // Gone was deleted on the desktop: its slot is free again
  EXPECT_EQ(128, hh.ids[3]);
  EXPECT_EQ("HandheldNew", hh.names[4]);
  EXPECT_EQ("", hh.names[5]);
  Slots dt = DesktopSlots(world);
  EXPECT_EQ(hh.names, dt.names);
  EXPECT_EQ(hh.ids, dt.ids);

  std::vector<SeenRecord> handheld;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  EXPECT_EQ(0u, CSyncTestWorld::FindId(handheld, 3)->category);  // moved to Unfiled with its category
  EXPECT_EQ(3u, CSyncTestWorld::FindId(handheld, 5)->category);
  EXPECT_EQ(4u, CSyncTestWorld::FindId(handheld, 4)->category);
  EXPECT_EQ(0u, CSyncTestWorld::FindId(handheld, 6)->category);
  ExpectSidesEqual(world);

  auto deleted = CSyncTestWorld::LogTexts(CSyncLog::ACT_CATEGORY_DELETED);
  ASSERT_EQ(2u, deleted.size());
  EXPECT_NE(std::string::npos, deleted[0].find("Remote category Remote has been deleted"));
  EXPECT_NE(std::string::npos, deleted[1].find("Local category Gone has been deleted"));
}

// A desktop file without application information takes the handheld's
// categories and application bytes instead of failing every HotSync.
TEST(SyncScenarioTest, ADesktopFileWithoutApplicationInformationTakesTheHandhelds) {
  std::vector<std::uint8_t> extra(24, 3);
  std::fill(extra.begin() + 4, extra.begin() + 20, 0);  // no password: the file's plain body fits
  CSyncTestWorld world({Memo(5, "x", 1)}, {Category(1, "Cat", 1)}, &extra);
  ASSERT_EQ(0, world.Device().Attach());
  recordfile::File f;
  f.header = recordfile::Header{};
  f.header->name = CMemoApp::DB_NAME;
  recordfile::Record r;
  r.id = 5;
  r.category = 1;
  r.data = CDeviceFixture::Body("x");
  f.records.push_back(r);
  recordfile::WriteAll(world.DesktopPath(), recordfile::Build(recordfile::Consistent(f)));

  ASSERT_EQ(0, HotSync(world, 0));
  EXPECT_EQ("Cat", DesktopSlots(world).names[1]);
  EXPECT_EQ(extra, DesktopAppExtra(world));
  EXPECT_EQ("Cat", HandheldSlots(world).names[1]);
  ExpectSidesEqual(world);
}

TEST(SyncScenarioTest, ARenameOnBothSidesKeepsTheHandheldName) {
  CSyncTestWorld world({Memo(1, "a", 1)}, {Category(1, "HandheldName", 1, true)});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{1, "a", 1, 0}}, {Category(1, "DesktopName", 1, true)});
  ASSERT_EQ(0, HotSync(world, 0));
  EXPECT_EQ("HandheldName", HandheldSlots(world).names[1]);
  EXPECT_EQ("HandheldName", DesktopSlots(world).names[1]);
}

TEST(SyncScenarioTest, DuplicateHandheldNamesMergeIntoTheLowerSlot) {
  // The handheld made a second "Twin" with a new memo in it.
  CSyncTestWorld world({Memo(1, "a", 2), Memo(2, "b", 5, true)},
                       {Category(2, "Twin", 2), Category(5, "Twin", 5, true)});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{1, "a", 2, 0}}, {Category(2, "Twin", 2)});
  ASSERT_EQ(0, HotSync(world, 0));
  Slots hh = HandheldSlots(world);
  EXPECT_EQ("Twin", hh.names[2]);
  EXPECT_EQ("", hh.names[5]);
  std::vector<SeenRecord> handheld;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  EXPECT_EQ(2u, CSyncTestWorld::FindId(handheld, 2)->category);
  ExpectSidesEqual(world);
}

TEST(SyncScenarioTest, MoreThanFifteenCategoriesSendTheExtraOnesRecordsToUnfiled) {
  std::vector<FixtureCategory> full;
  for (std::uint8_t slot = 1; slot <= 15; ++slot) full.push_back(Category(slot, "H" + std::to_string(slot), slot));
  CSyncTestWorld world({Memo(1, "a", 1)}, full);
  ASSERT_EQ(0, world.Device().Attach());
  // The desktop dropped H15 and made "Extra" (id 128) in its slot.
  std::vector<FixtureCategory> desktopCategories(full.begin(), full.end() - 1);
  desktopCategories.push_back(Category(15, "Extra", 128, true));
  world.WriteDesktop({{1, "a", 1, 0}, {2, "extra memo", 15, FL::REC_ATTR_NEW | FL::REC_ATTR_MODIFIED}},
                     desktopCategories);

  ASSERT_EQ(0, HotSync(world, 0, 2));  // first-sync indicator 2: nothing counts as deleted

  Slots hh = HandheldSlots(world);
  EXPECT_EQ("H15", hh.names[15]);
  EXPECT_EQ(hh.names, DesktopSlots(world).names);
  std::vector<SeenRecord> handheld;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  const SeenRecord* extra = nullptr;
  for (const SeenRecord& r : handheld) {
    if (r.text == "extra memo") extra = &r;
  }
  ASSERT_NE(nullptr, extra);
  EXPECT_EQ(0u, extra->category);
  ExpectSidesEqual(world);
  EXPECT_EQ(1u, LogCount(CSyncLog::ACT_CATEGORY_LIMIT));
  auto deleted = CSyncTestWorld::LogTexts(CSyncLog::ACT_CATEGORY_DELETED);
  ASSERT_EQ(1u, deleted.size());
  EXPECT_NE(std::string::npos, deleted[0].find("Local category Extra has been deleted"));
}

// Same name in the same slot under another id: the desktop category that
// carries the handheld's id elsewhere brings its records into that slot.
TEST(SyncScenarioTest, ADesktopCategoryWithTheHandheldsIdElsewhereJoinsTheSlot) {
  CSyncTestWorld world({Memo(1, "work memo", 2)}, {Category(2, "Work", 11)});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{1, "work memo", 2, 0}, {2, "project memo", 5, FL::REC_ATTR_NEW | FL::REC_ATTR_MODIFIED}},
                     {Category(2, "Work", 10), Category(5, "Project", 11)});

  ASSERT_EQ(0, HotSync(world, 0));

  const Slots hh = HandheldSlots(world);
  EXPECT_EQ("Work", hh.names[2]);
  EXPECT_EQ(11, hh.ids[2]);
  EXPECT_EQ("", hh.names[5]);
  EXPECT_EQ(-1, hh.ids[5]);
  EXPECT_EQ(hh, DesktopSlots(world));
  std::vector<SeenRecord> handheld;
  std::vector<SeenRecord> desktop;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  ASSERT_TRUE(world.ReadDesktop(desktop));
  for (const auto* side : {&handheld, &desktop}) {
    const SeenRecord* project = FindText(*side, "project memo");
    ASSERT_NE(nullptr, project);
    EXPECT_EQ(2u, project->category);
  }
  EXPECT_EQ(0u, LogCount(CSyncLog::ACT_CATEGORY_DELETED));
  EXPECT_EQ(0u, LogCount(CSyncLog::ACT_CATEGORY_MOVE_FAILED));
}

// A category found only by its id, renamed and moved to another slot on the
// desktop: the handheld takes the new name in its own slot and the desktop
// records follow that slot.
TEST(SyncScenarioTest, ADesktopRenameInAnotherSlotKeepsTheHandheldsSlot) {
  CSyncTestWorld world({Memo(1, "a", 1)}, {Category(1, "Old", 5)});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{1, "a", 3, 0}}, {Category(3, "New", 5, true)});

  ASSERT_EQ(0, HotSync(world, 0));

  const Slots hh = HandheldSlots(world);
  EXPECT_EQ("New", hh.names[1]);
  EXPECT_EQ(5, hh.ids[1]);
  EXPECT_EQ("", hh.names[3]);
  EXPECT_EQ(-1, hh.ids[3]);
  EXPECT_EQ(hh, DesktopSlots(world));
  std::vector<SeenRecord> handheld;
  std::vector<SeenRecord> desktop;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  ASSERT_TRUE(world.ReadDesktop(desktop));
  ASSERT_EQ(1u, desktop.size());
  EXPECT_EQ(1u, desktop[0].category);
  EXPECT_EQ(1u, handheld[0].category);
}

TEST(SyncScenarioTest, FirstSyncIndicatorOneKeepsEveryHandheldCategory) {
  // Without the indicator, a handheld category unknown to the desktop and not
  // marked renamed counts as deleted on the desktop.
  for (std::int32_t indicator : {0, 1}) {
    CSyncTestWorld world({Memo(1, "a", 1)}, {Category(1, "OnlyHere", 1)});
    ASSERT_EQ(0, world.Device().Attach());
    world.WriteDesktop({{1, "a", 1, 0}});
    ASSERT_EQ(0, HotSync(world, 0, indicator));
    std::vector<SeenRecord> handheld;
    ASSERT_TRUE(world.ReadHandheld(handheld));
    if (indicator == 1) {
      EXPECT_EQ("OnlyHere", HandheldSlots(world).names[1]);
      EXPECT_EQ(1u, handheld[0].category);
    } else {
      EXPECT_EQ("", HandheldSlots(world).names[1]);
      EXPECT_EQ(0u, handheld[0].category);
    }
    EXPECT_EQ(HandheldSlots(world).names, DesktopSlots(world).names);
  }
}

// With the first-sync indicator 2 nothing counts as deleted: a category made
// on each side since the last HotSync survives on both, with its new memo.
// Without the indicator both are taken as deleted on the other side and their
// memos arrive in Unfiled.
TEST(SyncScenarioTest, FirstSyncIndicatorTwoDeletesNoCategory) {
  for (std::int32_t indicator : {0, 2}) {
    CSyncTestWorld world({Memo(1, "h", 1, true)}, {Category(1, "HandheldOnly", 1)});
    ASSERT_EQ(0, world.Device().Attach());
    world.WriteDesktop({{2, "d", 2, FL::REC_ATTR_NEW | FL::REC_ATTR_MODIFIED}}, {Category(2, "DesktopOnly", 2)});

    ASSERT_EQ(0, HotSync(world, 0, indicator));

    const Slots hh = HandheldSlots(world);
    EXPECT_EQ(hh, DesktopSlots(world)) << indicator;
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
      EXPECT_EQ("HandheldOnly", hh.names[1]);
      EXPECT_EQ(1, hh.ids[1]);
      EXPECT_EQ("DesktopOnly", hh.names[2]);
      EXPECT_EQ(2, hh.ids[2]);
      EXPECT_EQ(1u, fromHandheld->category);
      EXPECT_EQ(2u, fromDesktop->category);
      EXPECT_TRUE(deleted.empty());
    } else {
      EXPECT_EQ("", hh.names[1]);
      EXPECT_EQ("", hh.names[2]);
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
TEST(SyncScenarioTest, ApplicationBytesTravelFromWhicheverSideHasThem) {
  {
    std::vector<std::uint8_t> handheldExtra(30, 0x11);
    CSyncTestWorld world({Memo(1, "a")}, {}, &handheldExtra);
    ASSERT_EQ(0, world.Device().Attach());
    std::vector<std::uint8_t> desktopExtra(30, 0x22);
    std::fill(desktopExtra.begin() + 4, desktopExtra.begin() + 20, 0x11);
    world.WriteDesktop({{1, "a", 0, 0}}, {}, desktopExtra);
    ASSERT_EQ(0, HotSync(world, 0));
    EXPECT_EQ(handheldExtra, DesktopAppExtra(world));
    EXPECT_EQ(handheldExtra, HandheldAppExtra(world));
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
    EXPECT_EQ(desktopExtra, HandheldAppExtra(world));
    EXPECT_EQ(desktopExtra, DesktopAppExtra(world));
  }
}

// ---- Slow sync and the backup ---------------------------------------------------------------------------

TEST(SyncScenarioTest, SlowSyncUsesTheBackupToFindHandheldChanges) {
  CSyncTestWorld world({Memo(5, "before")});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{5, "before", 0, 0}});
  ASSERT_EQ(0, HotSync(world, 0));  // writes record.BAK
  ASSERT_TRUE(std::filesystem::exists(world.BackupPath()));

  // The handheld changes the record without marking it (it was synchronised
  // with another desktop since).
  CPdbFile db;
  ASSERT_EQ(0, world.Device().ReadMemoDb(db));
  ASSERT_EQ(0, db.SetData(0, CDeviceFixture::Body("after")));
  ASSERT_EQ(0, world.Device().WriteMemoDb(db));

  ASSERT_EQ(0, HotSync(world, 1));
  std::vector<SeenRecord> desktop;
  ASSERT_TRUE(world.ReadDesktop(desktop));
  ASSERT_EQ(1u, desktop.size());
  EXPECT_EQ("after", desktop[0].text);  // handheld version over the desktop copy
  EXPECT_EQ(0u, LogCount(CSyncLog::ACT_DUPLICATED));
}

TEST(SyncScenarioTest, SlowSyncWithoutBackupDuplicatesDifferentUnchangedPairs) {
  CSyncTestWorld world({Memo(5, "handheld text"), Memo(6, "same")});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{5, "desktop text", 0, 0}, {6, "same", 0, 0}});
  ASSERT_EQ(0, HotSync(world, 1));
  std::vector<SeenRecord> handheld;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  EXPECT_EQ((std::vector<std::string>{"desktop text", "handheld text", "same"}), CSyncTestWorld::Texts(handheld));
  ExpectSidesEqual(world);
  EXPECT_EQ(1u, LogCount(CSyncLog::ACT_DUPLICATED));
}

TEST(SyncScenarioTest, SlowSyncDropsDesktopRecordsTheHandheldNoLongerHas) {
  CSyncTestWorld world({Memo(5, "kept")});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{5, "kept", 0, 0}, {6, "deleted on the handheld", 0, 0}});
  ASSERT_EQ(0, HotSync(world, 1));
  std::vector<SeenRecord> desktop;
  ASSERT_TRUE(world.ReadDesktop(desktop));
  EXPECT_EQ((std::vector<std::string>{"kept"}), CSyncTestWorld::Texts(desktop));
}

// A pending desktop record marked only "modified" (the handheld no longer has
// it) goes to the handheld; it never ends the HotSync with 4374, and the next
// HotSync runs clean.
TEST(SyncScenarioTest, SlowSyncAddsAModifiedDesktopRecordTheHandheldLacks) {
  CSyncTestWorld world({Memo(5, "kept")});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{5, "kept", 0, 0}, {6, "edited on the desktop", 0, FL::REC_ATTR_MODIFIED}});
  ASSERT_EQ(0, HotSync(world, 1));
  std::vector<SeenRecord> handheld;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  EXPECT_EQ((std::vector<std::string>{"edited on the desktop", "kept"}), CSyncTestWorld::Texts(handheld));
  ExpectSidesEqual(world);
  EXPECT_EQ(0, HotSync(world, 1));
  EXPECT_EQ(0, HotSync(world, 0));
}

// A slow HotSync with a desktop record that has no id yet and no marks adds
// it to the handheld instead of deleting it.
TEST(SyncScenarioTest, SlowSyncKeepsADesktopRecordWithoutId) {
  CSyncTestWorld world;
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{0, "made on the desktop", 0, 0}});
  ASSERT_EQ(0, HotSync(world, 1));
  std::vector<SeenRecord> handheld;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  EXPECT_EQ((std::vector<std::string>{"made on the desktop"}), CSyncTestWorld::Texts(handheld));
  ExpectSidesEqual(world);
}

// A record archived on the handheld before a slow HotSync is archived, not
// brought back.
TEST(SyncScenarioTest, SlowSyncArchivesAHandheldArchivedRecord) {
  CSyncTestWorld world({Deleted(5, "archived", true), Memo(6, "kept")});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{5, "archived", 0, 0}, {6, "kept", 0, 0}});
  ASSERT_EQ(0, HotSync(world, 1));
  std::vector<SeenRecord> handheld;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  EXPECT_EQ((std::vector<std::string>{"kept"}), CSyncTestWorld::Texts(handheld));
  ExpectSidesEqual(world);
  std::vector<SeenRecord> archived;
  ASSERT_TRUE(CSyncTestWorld::ReadRecords(world.ArchivePath("Unfiled"), archived));
  EXPECT_EQ((std::vector<std::string>{"archived"}), CSyncTestWorld::Texts(archived));
}

// Slow sync: an unmarked handheld record that the previous backup does not
// hold changed on the handheld since the last HotSync here, so its version is
// written over the desktop copy instead of being duplicated.
TEST(SyncScenarioTest, SlowSyncTakesARecordMissingFromTheBackupAsModified) {
  CSyncTestWorld world({Memo(6, "six")});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{6, "six", 0, 0}});
  ASSERT_EQ(0, HotSync(world, 0));  // record.BAK holds record 6 only
  ASSERT_TRUE(std::filesystem::exists(world.BackupPath()));

  // Record 5 appears on both sides, unmarked, with different texts.
  ASSERT_EQ(0, world.Device().WriteMemos({Memo(5, "handheld five")}));
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

TEST(SyncScenarioTest, ADamagedBackupDoesNotStopSlowSync) {
  CSyncTestWorld world({Memo(5, "one")});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{5, "one", 0, 0}});
  recordfile::WriteAll(world.BackupPath(), recordfile::Bytes(50, 0xEE));
  ASSERT_EQ(0, HotSync(world, 1));
  EXPECT_EQ(recordfile::ReadAll(world.DesktopPath()), recordfile::ReadAll(world.BackupPath()));
}

// ---- Sync types -------------------------------------------------------------------------------------------------

TEST(SyncScenarioTest, HandheldOverwritesDesktop) {
  for (std::int32_t type : {2, 5}) {
    CSyncTestWorld world({Memo(5, "handheld", 0, true), Deleted(6, "deleted", false)});
    ASSERT_EQ(0, world.Device().Attach());
    world.WriteDesktop({{7, "desktop only", 0, 0}});
    ASSERT_EQ(0, HotSync(world, type));
    std::vector<SeenRecord> desktop;
    ASSERT_TRUE(world.ReadDesktop(desktop));
    EXPECT_EQ((std::vector<std::string>{"handheld"}), CSyncTestWorld::Texts(desktop));
    CPdbFile db;
    std::vector<SeenRecord> handheld;
    ASSERT_TRUE(world.ReadHandheld(handheld, &db));
    // Type 5 leaves the handheld's sync flags set.
    EXPECT_EQ(type == 5, db.RecordAt(static_cast<std::size_t>(db.IndexOfId(5)))->IsDirty());
  }
}

// Records archived on the handheld are archived once by handheld overwrites
// desktop, not a second time by the next HotSync.
TEST(SyncScenarioTest, HandheldOverwritesDesktopArchivesOnce) {
  CSyncTestWorld world({Deleted(5, "archived", true), Memo(6, "live")});
  ASSERT_EQ(0, world.Device().Attach());
  ASSERT_EQ(0, HotSync(world, 2));
  ASSERT_EQ(0, HotSync(world, 0));
  std::vector<SeenRecord> archived;
  ASSERT_TRUE(CSyncTestWorld::ReadRecords(world.ArchivePath("Unfiled"), archived));
  EXPECT_EQ((std::vector<std::string>{"archived"}), CSyncTestWorld::Texts(archived));
  ExpectSidesEqual(world);
}

// A category that sits in another slot on each side under the same name and
// id is merged once; its desktop records follow the handheld's slot.
TEST(SyncScenarioTest, ACategoryInAnotherSlotWithTheSameIdIsMerged) {
  CSyncTestWorld world({Memo(1, "a", 2)}, {Category(2, "Work", 7)});
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({{1, "a", 3, 0}, {2, "b", 3, FL::REC_ATTR_NEW}}, {Category(3, "Work", 7)});
  ASSERT_EQ(0, HotSync(world, 0));
  EXPECT_EQ("Work", DesktopSlots(world).names[2]);
  EXPECT_EQ("", DesktopSlots(world).names[3]);
  std::vector<SeenRecord> handheld;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  for (const SeenRecord& r : handheld) EXPECT_EQ(2u, r.category) << r.text;
  ExpectSidesEqual(world);
}

TEST(SyncScenarioTest, DesktopOverwritesWithoutRewritingTheDesktopArchivesNothingTwice) {
  // Types 4 and 7 leave the desktop file as it is, archive marks included, so
  // its archived record is archived once, by the next HotSync that rewrites it.
  for (std::int32_t type : {4, 7}) {
    CSyncTestWorld world({Memo(5, "kept")});
    ASSERT_EQ(0, world.Device().Attach());
    world.WriteDesktop({{5, "kept", 0, 0}, {6, "old", 0, FL::REC_ATTR_DELETED | FL::REC_ATTR_ARCHIVED}});
    ASSERT_EQ(0, HotSync(world, type));
    EXPECT_FALSE(std::filesystem::exists(world.ArchivePath("Unfiled"))) << type;
    ASSERT_EQ(0, HotSync(world, 3));
    std::vector<SeenRecord> archived;
    ASSERT_TRUE(CSyncTestWorld::ReadRecords(world.ArchivePath("Unfiled"), archived));
    EXPECT_EQ((std::vector<std::string>{"old"}), CSyncTestWorld::Texts(archived)) << type;
  }
}

TEST(SyncScenarioTest, DesktopOverwritesHandheld) {
  for (std::int32_t type : {3, 4, 7}) {
    CSyncTestWorld world({Memo(5, "handheld only", 0, true)});
    ASSERT_EQ(0, world.Device().Attach());
    world.WriteDesktop({{7, "desktop", 0, 0}, {8, "deleted", 0, FL::REC_ATTR_DELETED}});
    auto before = recordfile::ReadAll(world.DesktopPath());
    ASSERT_EQ(0, HotSync(world, type));
    std::vector<SeenRecord> handheld;
    ASSERT_TRUE(world.ReadHandheld(handheld));
    EXPECT_EQ((std::vector<std::string>{"desktop"}), CSyncTestWorld::Texts(handheld));
    EXPECT_EQ(7u, handheld[0].id);
    std::vector<SeenRecord> desktop;
    ASSERT_TRUE(world.ReadDesktop(desktop));
    if (type == 3) {
      EXPECT_EQ((std::vector<std::string>{"desktop"}), CSyncTestWorld::Texts(desktop));
    } else {
      EXPECT_EQ(before, recordfile::ReadAll(world.DesktopPath()));  // 4 and 7 write nothing
    }
  }
}

TEST(SyncScenarioTest, DesktopOverwritesHandheldWithoutDesktopFileLeavesTheHandheldAlone) {
  CSyncTestWorld world({Memo(5, "precious")});
  ASSERT_EQ(0, world.Device().Attach());
  EXPECT_NE(0, HotSync(world, 3));
  std::vector<SeenRecord> handheld;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  EXPECT_EQ((std::vector<std::string>{"precious"}), CSyncTestWorld::Texts(handheld));
  // The same for a desktop file that cannot be read.
  recordfile::WriteAll(world.DesktopPath(), recordfile::Bytes(30, 1));
  EXPECT_NE(0, HotSync(world, 3));
  ASSERT_TRUE(world.ReadHandheld(handheld));
  EXPECT_EQ((std::vector<std::string>{"precious"}), CSyncTestWorld::Texts(handheld));
}

TEST(SyncScenarioTest, SyncTypeSixTouchesNothingAndEightIsRefused) {
  CSyncTestWorld world({Memo(5, "x", 0, true)});
  // Not even attached: type 6 makes no library call, type 8 is refused first.
  EXPECT_EQ(0, HotSync(world, 6));
  EXPECT_EQ(DB_ERR_BAD_START_SYNC_TYPE, HotSync(world, 8));
  EXPECT_TRUE(LogEntries().empty());
  EXPECT_FALSE(std::filesystem::exists(world.DesktopPath()));
}

TEST(SyncScenarioTest, NegativeSyncTypeRegistersThenFails) {
  CSyncTestWorld world({Memo(5, "x")});
  ASSERT_EQ(0, world.Device().Attach());
  EXPECT_EQ(DB_ERR_BAD_SYNC_TYPE, HotSync(world, -1));
  EXPECT_EQ(1u, LogCount(CSyncLog::ACT_SYNC_FAILED));
  EXPECT_FALSE(std::filesystem::exists(world.DesktopPath()));
}

TEST(SyncScenarioTest, NoDatabasesRegistersAndUnregisters) {
  CSyncTestWorld world;
  ASSERT_EQ(0, world.Device().Attach());
  SyncProperties properties = world.Properties(0);
  properties.databaseCount = 0;
  CSyncEngine engine(properties, CSyncEngine::FEATURES_CONDUIT, ConduitLog());
  LogReset();
  EXPECT_EQ(0, engine.Synchronize());
  EXPECT_EQ(0u, engine.ConduitHandle());
  EXPECT_EQ(4u, LogEntries().size());  // three start marks and the end entry
  // Without a device the registration itself fails.
  world.Device().Detach();
  CSyncEngine detached(world.Properties(0), CSyncEngine::FEATURES_CONDUIT, ConduitLog());
  EXPECT_TRUE(SyncStatus::IsCommFailure(detached.Synchronize()));
}

// ---- A handheld that fails mid-HotSync ------------------------------------------------------------------

TEST(SyncScenarioTest, AHandheldFailingMidHotSyncLeavesTheDesktopAsItWas) {
  // Enough work for many library calls: edits on both sides, an archive, a
  // conflict, a desktop record without id, a category rename.
  std::vector<FixtureMemo> memos = {Memo(1, "h1", 1, true), Memo(2, "h2", 0, true), Deleted(3, "h3", true),
                                    Memo(4, "h4"), Memo(5, "h5")};
  std::vector<DesktopMemo> desktopMemos = {{1, "d1", 1, FL::REC_ATTR_MODIFIED},
                                           {2, "h2", 0, 0},
                                           {3, "h3", 0, 0},
                                           {4, "d4", 0, FL::REC_ATTR_MODIFIED},
                                           {5, "h5", 0, FL::REC_ATTR_ARCHIVED},
                                           {0, "d6", 0, FL::REC_ATTR_NEW}};
  std::vector<FixtureCategory> categories = {Category(1, "Cat", 1)};
  std::vector<FixtureCategory> desktopCategories = {Category(1, "Renamed", 1, true)};

  for (std::int32_t type : {0, 1, 2}) {
    int failures = 0;
    for (std::int32_t calls = 0; calls < 80; ++calls) {
      CSyncTestWorld world(memos, categories);
      ASSERT_EQ(0, world.Device().Attach());
      world.WriteDesktop(desktopMemos, desktopCategories);
      auto before = recordfile::ReadAll(world.DesktopPath());
      SyncFailAfter(calls);
      std::int32_t rc = HotSync(world, type);
      SyncFailAfter(-1);
      if (rc == 0) break;  // the HotSync needs fewer calls than that
      ++failures;
      if (LogCount(CSyncLog::ACT_SYNC_OK) == 2) {
        // Only the final unregistration failed: the HotSync itself was complete.
        ExpectSidesEqual(world);
        continue;
      }
      EXPECT_EQ(before, recordfile::ReadAll(world.DesktopPath())) << "type " << type << " after " << calls;
      EXPECT_FALSE(std::filesystem::exists(world.BackupPath())) << "type " << type << " after " << calls;
      // Archives written before the handheld was asked to store stay: it may
      // have purged the records they hold.
      const bool archiveKept = std::filesystem::exists(world.ArchivePath("Unfiled"));
      // The next HotSync, with the link whole, does the work (again).
      ASSERT_EQ(0, world.Device().Attach());
      ASSERT_EQ(0, HotSync(world, type)) << "type " << type << " after " << calls;
      std::vector<SeenRecord> archived;
      ASSERT_TRUE(CSyncTestWorld::ReadRecords(world.ArchivePath("Unfiled"), archived));
      std::vector<std::string> expected = {"h3", "h5"};
      if (type == 2) expected = {"h3"};
      std::vector<std::string> texts = CSyncTestWorld::Texts(archived);
      if (archiveKept) {
        // Archived once or twice, never nowhere.
        EXPECT_EQ(std::set<std::string>(expected.begin(), expected.end()),
                  std::set<std::string>(texts.begin(), texts.end()))
            << "type " << type << " after " << calls;
        EXPECT_LE(texts.size(), 2 * expected.size()) << "type " << type << " after " << calls;
      } else {
        EXPECT_EQ(expected, texts) << "type " << type << " after " << calls;
      }
      ExpectSidesEqual(world);
    }
    EXPECT_GT(failures, 10) << "type " << type;
  }
}

}  // namespace
