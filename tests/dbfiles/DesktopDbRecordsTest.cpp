// What the desktop manager does to records, categories and blocks in memory.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "dbfiles/DesktopDb.h"
#include "dbfiles/ResultCodes.h"
#include "dbfiles/SyncType.h"
#include "platform/recordfile/FileLayout.h"

namespace {

namespace FL = FileLayout;

CSyncRecord MakeDbRecord(std::int32_t id, std::int32_t category, const char* body = "") {
  CSyncRecord r;
  r.SetId(id);
  r.SetCategory(category);
  r.SetBody(static_cast<std::int32_t>(std::strlen(body)), body);
  return r;
}

class DesktopRecords : public ::testing::Test {
 protected:
  void SetUp() override {
    for (auto [id, cat] : {std::pair{1, 3}, {2, 0}, {3, 3}, {4, 2}}) {
      CSyncRecord r = MakeDbRecord(id, cat);
      ASSERT_EQ(db.InsertRecord(r), DB_OK);
    }
    db.SetDirty(false);
  }
  std::int32_t CategoryOf(std::int32_t id) { return db.RecordAt(db.IndexOfId(id))->GetCategory(); }
  bool ModifiedOf(std::int32_t id) { return db.RecordAt(db.IndexOfId(id))->IsModified(); }
  CDesktopDb db;
};

TEST_F(DesktopRecords, PurgeCategoryMovesOrDeletes) {
  EXPECT_EQ(db.PurgeCategory(16, true), CAT_ERR_BAD_INDEX);
  EXPECT_EQ(db.PurgeCategory(-1, false), CAT_ERR_BAD_INDEX);
  EXPECT_FALSE(db.IsDirty());

  ASSERT_EQ(db.PurgeCategory(3, true), DB_OK);
  EXPECT_EQ(CategoryOf(1), 0);
  EXPECT_EQ(CategoryOf(3), 0);
  EXPECT_TRUE(ModifiedOf(1));
  EXPECT_FALSE(ModifiedOf(2));  // already in category 0: untouched
  EXPECT_TRUE(db.IsDirty());

  ASSERT_EQ(db.PurgeCategory(0, false), DB_OK);
  EXPECT_EQ(db.RecordCount(), 1);
  EXPECT_EQ(db.IndexOfId(4), 3);
  EXPECT_EQ(db.IndexOfId(1), -1);
}

TEST_F(DesktopRecords, ChangeAndRemapCategoriesMarkRecordsModified) {
  EXPECT_EQ(db.ChangeCategory(3, 16), CAT_ERR_BAD_INDEX);
  EXPECT_EQ(db.ChangeCategory(16, 3), CAT_ERR_BAD_INDEX);
  ASSERT_EQ(db.ChangeCategory(3, 7), DB_OK);
  EXPECT_EQ(CategoryOf(1), 7);
  EXPECT_TRUE(ModifiedOf(3));
  EXPECT_FALSE(ModifiedOf(4));

  EXPECT_EQ(db.RemapCategories(nullptr), DB_ERR_NULL_BUFFER);
  std::int32_t map[16];
  std::fill(std::begin(map), std::end(map), -1);
  map[2] = 5;
  ASSERT_EQ(db.RemapCategories(map), DB_OK);
  EXPECT_EQ(CategoryOf(4), 5);
  EXPECT_TRUE(ModifiedOf(4));
  EXPECT_EQ(CategoryOf(1), 7);
  EXPECT_FALSE(ModifiedOf(2));

  // A record whose category lies outside the map is left alone.
  CSyncRecord odd = MakeDbRecord(9, 40);
  ASSERT_EQ(db.InsertRecord(odd), DB_OK);
  std::fill(std::begin(map), std::end(map), 1);
  ASSERT_EQ(db.RemapCategories(map), DB_OK);
  EXPECT_EQ(CategoryOf(9), 40);
  EXPECT_EQ(CategoryOf(2), 1);
}

TEST_F(DesktopRecords, ModifyKeepsTheSlotIndexAndClearsStatus) {
  CSyncRecord change = MakeDbRecord(3, 9, "new text");
  change.SetIndex(77);  // whatever the caller carries, the stored index stays the slot
  change.SetModified(true);
  change.SetPending(true);
  ASSERT_EQ(db.ModifyRecord(change), DB_OK);
  const CSyncRecord* stored = db.RecordAt(2);
  EXPECT_EQ(stored->GetIndex(), 2);
  EXPECT_EQ(stored->GetCategory(), 9);
  EXPECT_EQ(stored->GetLength(), 8);
  EXPECT_TRUE(stored->IsUnchanged());
  EXPECT_FALSE(stored->IsPending());
  EXPECT_TRUE(db.IsDirty());
  CSyncRecord absent = MakeDbRecord(99, 0);
  EXPECT_EQ(db.ModifyRecord(absent), DB_ERR_RECORD_NOT_FOUND);

  // ModifyRecordAt may give the slot another id: lookups follow.
  CSyncRecord replacement = MakeDbRecord(50, 1);
  ASSERT_EQ(db.ModifyRecordAt(1, replacement), DB_OK);
  EXPECT_EQ(db.IndexOfId(2), -1);
  EXPECT_EQ(db.IndexOfId(50), 1);
  EXPECT_EQ(db.RecordAt(1)->GetIndex(), 1);
  CSyncRecord out;
  ASSERT_EQ(db.GetRecordById(50, out, false), DB_OK);
  EXPECT_EQ(out.GetCategory(), 1);
  EXPECT_EQ(db.ModifyRecordAt(-1, replacement), DB_ERR_RECORD_NOT_FOUND);
  EXPECT_EQ(db.ModifyRecordAt(1999, replacement), DB_ERR_RECORD_NOT_FOUND);
  EXPECT_EQ(db.ModifyRecordAt(5000, replacement), DB_ERR_RECORD_NOT_FOUND);
}

TEST_F(DesktopRecords, LookupByIdClearsOnlyThatRecordsPendingMark) {
  CDesktopDb slow;
  for (std::int32_t id : {1, 2, 3}) {
    CSyncRecord r = MakeDbRecord(id, 0);
    r.SetPending(true);
    ASSERT_EQ(slow.InsertRecord(r), DB_OK);
  }
  CSyncRecord out;
  ASSERT_EQ(slow.GetRecordById(2, out, true), DB_OK);
  EXPECT_EQ(slow.GetRecordById(8, out, true), DB_ERR_NOT_FOUND);
  ASSERT_EQ(slow.FirstPending(out), DB_OK);
  EXPECT_EQ(out.GetId(), 1);
  ASSERT_EQ(slow.NextRecord(out), DB_OK);
  EXPECT_EQ(out.GetId(), 3);
  EXPECT_EQ(slow.NextRecord(out), DB_ERR_NOT_FOUND);
}

TEST_F(DesktopRecords, FirstNewAndPurgeDeleted) {
  CSyncRecord out;
  EXPECT_EQ(db.FirstNew(out), DB_ERR_NOT_FOUND);
  CSyncRecord fresh = MakeDbRecord(0, 0, "x");
  fresh.SetNew(true);
  ASSERT_EQ(db.InsertRecord(fresh), DB_OK);
  CSyncRecord gone = MakeDbRecord(6, 0);
  gone.SetDeleted(true);
  ASSERT_EQ(db.InsertRecord(gone), DB_OK);
  ASSERT_EQ(db.FirstNew(out), DB_OK);
  EXPECT_EQ(out.GetIndex(), 4);
  db.SetDirty(false);
  ASSERT_EQ(db.PurgeDeleted(), DB_OK);
  EXPECT_TRUE(db.IsDirty());
  EXPECT_EQ(db.IndexOfId(6), -1);
  EXPECT_EQ(db.RecordCount(), 5);
}

TEST(DesktopBlocks, AppInfoGetSetRoundTrip) {
  CDesktopDb db;
  DbBlockInfo info;
  std::uint8_t buffer[64] = {};
  info.data = buffer;
  info.bufferSize = sizeof(buffer);
  EXPECT_EQ(db.GetAppInfo(info), DB_ERR_NO_APP_INFO_BLOCK);
  EXPECT_EQ(db.GetSortInfo(info), DB_ERR_NO_SORT_INFO_BLOCK);

  DbBlockInfo in;
  std::strcpy(in.name, "MemoDB");
  std::uint8_t data[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  in.data = data;
  in.dataLength = sizeof(data);
  in.reserved = 0xA1B2C3D4;
  ASSERT_EQ(db.SetAppInfo(in), DB_OK);
  EXPECT_TRUE(db.IsDirty());
  EXPECT_EQ(db.AppInfoBytes().size(), 66u);

  DbBlockInfo small;
  std::uint8_t tiny[4];
  small.data = tiny;
  small.bufferSize = sizeof(tiny);
  EXPECT_EQ(db.GetAppInfo(small), DB_ERR_BUFFER_TOO_SMALL);
  EXPECT_EQ(small.dataLength, 10);
  DbBlockInfo noBuffer;
  noBuffer.bufferSize = 100;
  EXPECT_EQ(db.GetAppInfo(noBuffer), DB_ERR_NULL_BUFFER);

  ASSERT_EQ(db.GetAppInfo(info), DB_OK);
  EXPECT_STREQ(info.name, "MemoDB");
  EXPECT_EQ(info.dataLength, 10);
  EXPECT_EQ(info.reserved, 0xA1B2C3D4u);
  EXPECT_EQ(std::memcmp(buffer, data, sizeof(data)), 0);

  DbBlockInfo broken;
  broken.dataLength = 5;
  EXPECT_EQ(db.SetSortInfo(broken), DB_ERR_NULL_BUFFER);
}

TEST(DesktopBlocks, AppInfoExtraWithAndWithoutAnOldBlock) {
  CDesktopDb db(nullptr, CDbManager::DB_FLAGS_CONDUIT, "MemoDB", "record.dat", "/nowhere", 0);
  EXPECT_FALSE(db.HasAppInfoExtra());
  EXPECT_EQ(db.AppInfoExtraSize(), 0u);
  EXPECT_EQ(db.AppInfoExtraPtr(), nullptr);
  EXPECT_EQ(db.SetAppInfoExtra(4, nullptr), DB_ERR_NULL_BUFFER);

  // No block: a new one with the category room and the extra bytes.
  const std::uint8_t hint[] = {'h', 'i', 'n', 't', 0};
  ASSERT_EQ(db.SetAppInfoExtra(sizeof(hint), hint), DB_OK);
  EXPECT_TRUE(db.HasAppInfoExtra());
  EXPECT_EQ(db.AppInfoExtraSize(), sizeof(hint));
  EXPECT_EQ(std::memcmp(db.AppInfoExtraPtr(), hint, sizeof(hint)), 0);
  EXPECT_EQ(db.AppInfoBytes().size(), 56u + 276u + sizeof(hint));

  std::uint8_t out[8] = {};
  std::uint32_t size = 2;
  EXPECT_EQ(db.GetAppInfoExtra(out, &size), DB_ERR_BUFFER_TOO_SMALL);
  EXPECT_EQ(size, sizeof(hint));
  size = sizeof(out);
  EXPECT_EQ(db.GetAppInfoExtra(nullptr, &size), DB_ERR_NULL_BUFFER);
  ASSERT_EQ(db.GetAppInfoExtra(out, &size), DB_OK);
  EXPECT_EQ(size, sizeof(hint));
  EXPECT_EQ(std::memcmp(out, hint, sizeof(hint)), 0);

  // An old block with categories: they survive a larger extra part.
  CCategoryList* none = db.CategoryTable();
  EXPECT_EQ(none, nullptr);
  std::vector<std::uint8_t> categoryData(278, 7);
  std::fill(categoryData.begin(), categoryData.begin() + 276, 0);
  std::memcpy(&categoryData[FL::CAT_NAMES], "Unfiled", 7);
  std::memcpy(&categoryData[FL::CAT_NAMES + FL::CAT_NAME_FIELD_SIZE], "Work", 4);
  categoryData[FL::CAT_IDS + 1] = 9;
  DbBlockInfo app;
  app.data = categoryData.data();
  app.dataLength = static_cast<std::uint16_t>(categoryData.size());
  ASSERT_EQ(db.SetAppInfo(app), DB_OK);
  std::vector<std::uint8_t> longer(100, 0x5A);
  ASSERT_EQ(db.SetAppInfoExtra(static_cast<std::uint32_t>(longer.size()), longer.data()), DB_OK);
  EXPECT_EQ(db.AppInfoExtraSize(), 100u);
  ASSERT_EQ(db.CategoriesFromAppInfo(), DB_OK);
  ASSERT_NE(db.CategoryTable(), nullptr);
  ASSERT_NE(db.CategoryTable()->GetByIndex(1), nullptr);
  EXPECT_STREQ(db.CategoryTable()->GetByIndex(1)->GetName(), "Work");
  EXPECT_EQ(db.CategoryTable()->GetByIndex(1)->GetId(), 9);

  // Shorter extra bytes: the room after them is cleared, the length follows.
  ASSERT_EQ(db.SetAppInfoExtra(3, hint), DB_OK);
  EXPECT_EQ(db.AppInfoExtraSize(), 3u);
  const std::uint8_t* extra = db.AppInfoExtraPtr();
  EXPECT_EQ(extra[3], 0);
  EXPECT_EQ(extra[99], 0);
  ASSERT_EQ(db.SetAppInfoExtra(0, nullptr), DB_OK);
  EXPECT_EQ(db.AppInfoExtraSize(), 0u);
  EXPECT_FALSE(db.HasAppInfoExtra());
}

TEST(DesktopBlocks, CategoriesToAppInfoCreatesTheBlockAndKeepsExtraBytes) {
  CDesktopDb db(nullptr, CDbManager::DB_FLAGS_CONDUIT, "MemoDB", "record.dat", "/nowhere", 0);
  EXPECT_EQ(db.CategoriesFromAppInfo(), DB_ERR_NO_APP_INFO);
  EXPECT_EQ(db.CategoriesToAppInfo(), DB_OK);  // no table: nothing to do
  EXPECT_TRUE(db.AppInfoBytes().empty());

  // Build a table through an app-info block with 16 bytes of extra data.
  std::vector<std::uint8_t> data(FL::CAT_BLOCK_SIZE + 16, 0);
  std::memcpy(&data[FL::CAT_NAMES], "Unfiled", 7);
  for (int i = 0; i < 16; ++i) data[FL::CAT_BLOCK_SIZE + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0xC0 + i);
  DbBlockInfo app;
  app.data = data.data();
  app.dataLength = static_cast<std::uint16_t>(data.size());
  ASSERT_EQ(db.SetAppInfo(app), DB_OK);
  ASSERT_EQ(db.CategoriesFromAppInfo(), DB_OK);
  ASSERT_EQ(db.CategoryTable()->Add(CPCategory(2, 20, "Bills/2003")), DB_OK);
  ASSERT_EQ(db.CategoriesToAppInfo(), DB_OK);
  EXPECT_EQ(db.AppInfoExtraSize(), 16u);
  EXPECT_EQ(db.AppInfoExtraPtr()[15], 0xCF);
  ASSERT_EQ(db.CategoriesFromAppInfo(), DB_OK);
  ASSERT_NE(db.CategoryTable()->GetByIndex(2), nullptr);
  EXPECT_STREQ(db.CategoryTable()->GetByIndex(2)->GetName(), "Bills/2003");

  // A database without a block: the standard 332-byte block, length 276,
  // carrying the manager's database name.
  CDesktopDb blank(nullptr, CDbManager::DB_FLAGS_CONDUIT, "MemoDB-fresh", "record.dat", "/nowhere", 0);
  std::uint8_t seedData[276] = {};
  std::memcpy(&seedData[FL::CAT_NAMES], "Unfiled", 7);
  DbBlockInfo seed;
  seed.data = seedData;
  seed.dataLength = sizeof(seedData);
  ASSERT_EQ(blank.SetAppInfo(seed), DB_OK);
  ASSERT_EQ(blank.CategoriesFromAppInfo(), DB_OK);
  blank.Release();  // drops the block; the category table stays
  ASSERT_TRUE(blank.AppInfoBytes().empty());
  ASSERT_EQ(blank.CategoryTable()->Add(CPCategory(3, 30, "Home")), DB_OK);
  ASSERT_EQ(blank.CategoriesToAppInfo(), DB_OK);
  ASSERT_EQ(blank.AppInfoBytes().size(), 332u);
  DbBlockInfo got;
  std::uint8_t area[400] = {};
  got.data = area;
  got.bufferSize = sizeof(area);
  ASSERT_EQ(blank.GetAppInfo(got), DB_OK);
  EXPECT_EQ(got.dataLength, 276);
  EXPECT_STREQ(got.name, "MemoDB-fresh");
  EXPECT_EQ(std::memcmp(&area[FL::CAT_NAMES + 3 * FL::CAT_NAME_FIELD_SIZE], "Home", 5), 0);
  EXPECT_EQ(area[FL::CAT_IDS + 3], 30);
}

TEST(DesktopBlocks, SetDbInfoCutsLongNamesWholeCharacters) {
  CDesktopDb db;
  // 30 ASCII bytes and a double-byte character would need 32 bytes: the
  // character goes as a whole.
  std::string name(30, 'n');
  name += "\x95\x5C";
  ASSERT_EQ(db.SetDbInfo(name.c_str(), 0x8, 0x44415441, 0x5155494C, 3, 4, 5, 6, 7), DB_OK);
  ASSERT_EQ(db.HeaderBytes().size(), 84u);
  std::string stored(reinterpret_cast<const char*>(db.HeaderBytes().data()) + 6);
  EXPECT_EQ(stored, std::string(30, 'n'));
  EXPECT_TRUE(db.IsDirty());
}

}  // namespace
