// The category table: reading and writing the category block, adding with
// fresh identifiers, renaming, finding and walking.

#include <gtest/gtest.h>

#include "support/MemoAppBytes.h"
#include "support/TempFolder.h"
#include "store/CategoryTable.h"
#include "store/MemoDatabase.h"

using namespace recordfile;
namespace fl = FileLayout;

namespace {

CCategoryTable MakeTable(const std::vector<std::optional<Category>>& slots) {
  CCategoryTable table;
  const Bytes block = CategoryBlock(slots);
  table.ReadFrom(block.data(), block.size());
  return table;
}

TEST(CategoryTableTest, ReadsNamesIdsAndRenamedBits) {
  auto slots = DefaultCategories();
  slots[2]->renamed = true;                                  // bit 2 -> bytes 00 04
  slots[9] = Category{"\x8e\x64\x8e\x96", 200, true};       // "仕事", id above 127
  slots[15] = Category{"Sixteen bytes!!!", 15, false};       // no zero in its field
  Bytes block = CategoryBlock(slots);
  EXPECT_EQ(block[fl::CAT_RENAMED], 0x02);
  EXPECT_EQ(block[fl::CAT_RENAMED + 1], 0x04);
  CCategoryTable table;
  table.ReadFrom(block.data(), block.size());

  EXPECT_EQ(table.Count(), 5);
  CCategory c;
  ASSERT_EQ(table.FindByIndex(2, c), CCategoryTable::CAT_OK);
  EXPECT_EQ(c.name, "Personal");
  EXPECT_EQ(c.renamed, 1);
  ASSERT_EQ(table.FindByIndex(9, c), CCategoryTable::CAT_OK);
  EXPECT_EQ(c.uniqueId, 200 - 256);  // sign-extended
  EXPECT_EQ(c.renamed, 1);
  ASSERT_EQ(table.FindByIndex(15, c), CCategoryTable::CAT_OK);
  EXPECT_EQ(c.name, "Sixteen bytes!!");  // never runs into the id bytes
  EXPECT_EQ(table.FindByIndex(3, c), CCategoryTable::CAT_NOT_FOUND);
  EXPECT_EQ(table.FindByIndex(16, c), CCategoryTable::CAT_NOT_FOUND);
  EXPECT_EQ(table.FindByIndex(-1, c), CCategoryTable::CAT_NOT_FOUND);
}

TEST(CategoryTableTest, WritesTheBlockAndLeavesTheRestAlone) {
  auto slots = DefaultCategories();
  slots[9] = Category{"Travel", 200, false};
  CCategoryTable table = MakeTable(slots);
  ASSERT_EQ(table.Rename(9, "A name far longer than fifteen"), CCategoryTable::CAT_OK);
  // 14 ASCII bytes and a double-byte character: cut before the character.
  ASSERT_EQ(table.Rename(2, "abcdefghijklmn\x8a\xbf"), CCategoryTable::CAT_OK);

  Bytes data(fl::CAT_BLOCK_SIZE + 8, 0xEE);
  table.WriteTo(data.data(), data.size());
  EXPECT_EQ(data[fl::CAT_RENAMED], 0x02);
  EXPECT_EQ(data[fl::CAT_RENAMED + 1], 0x04);
  EXPECT_EQ(ToString(data, fl::CAT_NAMES + 9 * fl::CAT_NAME_FIELD_SIZE, 16), std::string("A name far long\0", 16));
  EXPECT_EQ(ToString(data, fl::CAT_NAMES + 2 * fl::CAT_NAME_FIELD_SIZE, 16),
            std::string("abcdefghijklmn\0\0", 16));
  EXPECT_EQ(data[fl::CAT_IDS + 9], 200);
  EXPECT_EQ(data[fl::CAT_IDS + 1], 1);
  EXPECT_EQ(data[fl::CAT_LAST_ID], 0);
  EXPECT_EQ(data[fl::CAT_RESERVED], 0);
  for (std::size_t i = fl::CAT_BLOCK_SIZE; i < data.size(); ++i) EXPECT_EQ(data[i], 0xEE) << i;

  // What was written reads back the same.
  CCategoryTable again;
  again.ReadFrom(data.data(), data.size());
  CCategory c;
  ASSERT_EQ(again.FindByIndex(9, c), CCategoryTable::CAT_OK);
  EXPECT_EQ(c.name, "A name far long");
  EXPECT_EQ(c.renamed, 1);
  EXPECT_EQ(c.uniqueId, 200 - 256);
}

TEST(CategoryTableTest, ShortDataIsNeverWrittenPast) {
  CCategoryTable table = MakeTable(DefaultCategories());
  Bytes data(fl::CAT_BLOCK_SIZE, 0xEE);
  const std::size_t size = fl::CAT_NAMES + fl::CAT_NAME_FIELD_SIZE + 3;  // "Bus" of slot 1
  table.WriteTo(data.data(), size);
  EXPECT_EQ(ToString(data, fl::CAT_NAMES, 8), std::string("Unfiled\0", 8));
  EXPECT_EQ(ToString(data, fl::CAT_NAMES + fl::CAT_NAME_FIELD_SIZE, 3), "Bus");
  for (std::size_t i = size; i < data.size(); ++i) ASSERT_EQ(data[i], 0xEE) << i;
  table.WriteTo(data.data(), 1);  // not even room for the renamed word
  EXPECT_EQ(data[0], 0);
  EXPECT_EQ(data[1], 0);
}

TEST(CategoryTableTest, AddTakesLowestFreeIndexAndAFreshId) {
  CCategoryTable table = MakeTable(DefaultCategories());
  CCategory added;
  ASSERT_EQ(table.Add(added), CCategoryTable::CAT_OK);
  EXPECT_EQ(added.index, 3);
  EXPECT_EQ(added.uniqueId, 128);
  ASSERT_EQ(table.Remove(3), CCategoryTable::CAT_OK);
  ASSERT_EQ(table.Add(added), CCategoryTable::CAT_OK);  // the removed add used up 128
  EXPECT_EQ(added.index, 3);
  EXPECT_EQ(added.uniqueId, 129);
  EXPECT_EQ(table.Remove(3), CCategoryTable::CAT_OK);
  EXPECT_EQ(table.Remove(3), CCategoryTable::CAT_NOT_FOUND);

  for (int i = 3; i < 16; ++i) ASSERT_EQ(table.Add(added), CCategoryTable::CAT_OK) << i;
  EXPECT_EQ(table.Count(), 16);
  EXPECT_EQ(table.Add(added), CCategoryTable::CAT_FULL);
}

TEST(CategoryTableTest, AddNeverReusesAnIdTheTableHolds) {
  // Categories added on the desktop before an earlier save hold 128 and 130
  // (stored as bytes 0x80 and 0x82, read back as -128 and -126).
  auto slots = DefaultCategories();
  slots[3] = Category{"Desk one", 0x80, true};
  slots[4] = Category{"Desk two", 0x82, true};
  slots[5] = Category{"Hand", 0x83, false};
  CCategoryTable table = MakeTable(slots);
  CCategory added;
  ASSERT_EQ(table.Add(added), CCategoryTable::CAT_OK);
  EXPECT_EQ(added.uniqueId, 129);
  ASSERT_EQ(table.Add(added), CCategoryTable::CAT_OK);
  EXPECT_EQ(added.uniqueId, 132);

  // Past 255 the low byte wraps; ids held there are skipped as well.
  auto low = DefaultCategories();
  for (std::size_t i = 3; i < 14; ++i) low[i] = Category{"c" + std::to_string(i), static_cast<std::uint8_t>(i), false};
  CCategoryTable wrapping = MakeTable(low);
  for (int i = 0; i < 128; ++i) {
    ASSERT_EQ(wrapping.Add(added), CCategoryTable::CAT_OK);
    wrapping.Remove(added.index);
  }
  ASSERT_EQ(wrapping.Add(added), CCategoryTable::CAT_OK);
  EXPECT_EQ(added.uniqueId & 0xFF, 14);  // 256..269 are taken by ids 0..13
}

TEST(CategoryTableTest, FindRenameAndWalk) {
  CCategoryTable empty;
  CCategory c;
  EXPECT_EQ(empty.First(c), CCategoryTable::CAT_EMPTY);
  EXPECT_EQ(empty.Next(c), CCategoryTable::CAT_EMPTY);
  EXPECT_EQ(empty.FindByName("Unfiled", c), CCategoryTable::CAT_NOT_FOUND);

  auto slots = DefaultCategories();
  slots[7] = Category{"\x83\x81\x83\x82", 7, false};  // "メモ"
  CCategoryTable table = MakeTable(slots);
  std::vector<int> order;
  for (int rc = table.First(c); rc == CCategoryTable::CAT_OK; rc = table.Next(c)) order.push_back(c.index);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 7}));
  EXPECT_EQ(table.Next(c), CCategoryTable::CAT_NOT_FOUND);

  EXPECT_EQ(table.FindByName("business", c), CCategoryTable::CAT_NOT_FOUND);  // case matters
  EXPECT_EQ(table.FindByName("Busines", c), CCategoryTable::CAT_NOT_FOUND);
  ASSERT_EQ(table.FindByName("\x83\x81\x83\x82", c), CCategoryTable::CAT_OK);
  EXPECT_EQ(c.index, 7);
  EXPECT_EQ(c.renamed, 0);
  ASSERT_EQ(table.Rename(7, "Notes"), CCategoryTable::CAT_OK);
  ASSERT_EQ(table.FindByName("Notes", c), CCategoryTable::CAT_OK);
  EXPECT_EQ(c.index, 7);
  EXPECT_EQ(c.renamed, 1);
  EXPECT_EQ(table.Rename(8, "Nothing"), CCategoryTable::CAT_NOT_FOUND);
}

TEST(CategoryTableTest, DesktopChangesSurviveSaveAndLoad) {
  CTempFolder dir;
  File file = MemoFile();
  auto slots = DefaultCategories();
  slots[3] = Category{"Earlier add", 0x80, true};
  file.appInfo = DataBlock(MemoAppInfo(slots, std::nullopt, "hint kept"));
  const auto p = dir / "record.dat";
  WriteAll(p, Build(file));

  CMemoDatabase db;
  ASSERT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, nullptr), RDB_OK);
  CCategoryTable* table = db.GetCategories();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(db.GetCategories(), table);  // built once per load
  CCategory added;
  ASSERT_EQ(table->Add(added), CCategoryTable::CAT_OK);
  ASSERT_EQ(table->Rename(added.index, "Travel"), CCategoryTable::CAT_OK);
  ASSERT_EQ(table->Rename(1, "Work"), CCategoryTable::CAT_OK);
  ASSERT_EQ(db.Save(), RDB_OK);

  const File saved = Parse(ReadAll(p));
  const Bytes data = saved.appInfo->data;
  const Bytes original = MemoAppInfo(slots, std::nullopt, "hint kept");
  ASSERT_EQ(data.size(), original.size());
  EXPECT_TRUE(std::equal(data.begin() + fl::CAT_BLOCK_SIZE, data.end(), original.begin() + fl::CAT_BLOCK_SIZE));
  EXPECT_EQ(data[fl::CAT_RENAMED + 1], 0x1A);  // slots 1, 3 and 4
  EXPECT_EQ(data[fl::CAT_IDS + 4], 129);

  CMemoDatabase again;
  ASSERT_EQ(again.Load(p, RDB_OPEN_READ_WRITE, nullptr), RDB_OK);
  CCategory c;
  ASSERT_EQ(again.GetCategories()->FindByName("Travel", c), CCategoryTable::CAT_OK);
  EXPECT_EQ(c.index, 4);
  EXPECT_EQ(c.renamed, 1);
  ASSERT_EQ(again.GetCategories()->FindByIndex(1, c), CCategoryTable::CAT_OK);
  EXPECT_EQ(c.name, "Work");
  EXPECT_EQ(c.renamed, 1);
  EXPECT_EQ(again.PasswordHint(), "hint kept");
}

}  // namespace
