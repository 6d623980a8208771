// The category rules: the 15-category limit, names in bytes, the identifier a
// refused new category uses up, and rename with and without merge (delete is
// checked end to end by the quillet category tests).  Every refusal must leave
// table and records as they were.

#include <gtest/gtest.h>

#include <memory>

#include "support/MemoAppBytes.h"
#include "store/CategoryRules.h"
#include "store/CategoryTable.h"
#include "store/MemoDatabase.h"

using namespace recordfile;
namespace fl = FileLayout;
using R = CCategoryRules;

namespace {

CCategoryTable TableOf(const std::vector<std::optional<Category>>& slots) {
  CCategoryTable table;
  const Bytes block = CategoryBlock(slots);
  table.ReadFrom(block.data(), block.size());
  return table;
}

// The table's bytes: what the file would hold.
Bytes Image(const CCategoryTable& table) {
  Bytes data(fl::CAT_BLOCK_SIZE, 0);
  table.WriteTo(data.data(), data.size());
  return data;
}

CCategory At(const CCategoryTable& table, int index) {
  CCategory c;
  EXPECT_EQ(table.FindByIndex(index, c), CCategoryTable::CAT_OK) << "index " << index;
  return c;
}

// Memos in Unfiled (0), Business (1) and Personal (2); the second Business
// memo is deleted.
void AddMemos(CMemoDatabase& db) {
  const struct { int category; std::uint32_t attributes; } memos[] = {
      {1, 0}, {2, 0}, {1, CRecord::ATTR_DELETED}, {0, 0}, {1, 0}};
  for (const auto& m : memos) {
    auto record = std::make_unique<CMemoRecord>();
    record->category = m.category;
    record->attributes = m.attributes;
    db.AddRecord(std::move(record));
  }
}

std::vector<std::pair<int, std::uint32_t>> Marks(const CMemoDatabase& db) {
  std::vector<std::pair<int, std::uint32_t>> marks;
  for (int i = 0; i < db.RecordCount(); ++i) marks.emplace_back(db.RecordAt(i)->category, db.RecordAt(i)->attributes);
  return marks;
}

TEST(CategoryRulesTest, NamesAreCountedInBytesWithoutCuttingACharacter) {
  const std::string kanji = "\x8e\x64";  // one double-byte character
  const struct { std::string name; int result; } cases[] = {
      {"", R::CR_ERR_EMPTY_NAME},
      {std::string(15, 'a'), R::CR_OK},
      {std::string(16, 'a'), R::CR_ERR_NAME_TOO_LONG},
      {std::string(13, 'a') + kanji, R::CR_OK},                   // 15 bytes
      {std::string(14, 'a') + kanji, R::CR_ERR_NAME_TOO_LONG},    // 16 bytes, 15 characters
  };
  for (const auto& c : cases) EXPECT_EQ(R::ValidateName(c.name), c.result) << c.name;
  EXPECT_EQ(R::FitName(std::string(14, 'a') + kanji), 14u);
  EXPECT_EQ(R::FitName(std::string(13, 'a') + kanji + "b"), 15u);
}

TEST(CategoryRulesTest, AddStopsAtFifteenAndATakenNameUsesUpItsIdentifier) {
  CCategoryTable table = TableOf(DefaultCategories());
  int index = -1;
  // Names differ by case only: two categories.
  ASSERT_EQ(R::Add(table, "business", index), R::CR_OK);
  EXPECT_EQ(index, 3);
  EXPECT_EQ(At(table, 3).renamed, 1);
  const int firstId = At(table, 3).uniqueId;

  // The dialog's flow: an empty category first, then the name from the prompt.
  int pending = -1;
  ASSERT_EQ(R::BeginAdd(table, pending), R::CR_OK);
  EXPECT_EQ(At(table, pending).name, "");
  EXPECT_EQ(R::FinishAdd(table, pending, "Business"), R::CR_ERR_NAME_TAKEN);
  EXPECT_EQ(table.Count(), 4);
  ASSERT_EQ(R::Add(table, "Travel", index), R::CR_OK);
  EXPECT_EQ(At(table, index).uniqueId, firstId + 2);  // firstId + 1 went to the refused one

  for (int n = 5; n <= 15; ++n) ASSERT_EQ(R::Add(table, "c" + std::to_string(n), index), R::CR_OK) << n;
  EXPECT_EQ(table.Count(), 16);
  const Bytes before = Image(table);
  EXPECT_EQ(R::Add(table, "sixteenth", index), R::CR_ERR_TABLE_FULL);
  EXPECT_EQ(R::BeginAdd(table, pending), R::CR_ERR_TABLE_FULL);
  EXPECT_EQ(Image(table), before);
}

TEST(CategoryRulesTest, ANewCategoryNeverTakesTheUnfiledSlot) {
  auto slots = DefaultCategories();
  slots[0].reset();  // a file whose Unfiled slot has no name
  CCategoryTable table = TableOf(slots);
  int index = -1;
  ASSERT_EQ(R::Add(table, "New", index), R::CR_OK);
  EXPECT_EQ(index, 3);
  CCategory c;
  EXPECT_EQ(table.FindByIndex(0, c), CCategoryTable::CAT_NOT_FOUND);
}

TEST(CategoryRulesTest, RenameMergesOntoAnotherCategoryOnlyWhenAllowed) {
  CMemoDatabase db;
  AddMemos(db);
  CCategoryTable table = TableOf(DefaultCategories());
  const auto marks = Marks(db);
  int selected = -1;
  // Onto its own name: accepted and marked renamed, nothing merges.
  ASSERT_EQ(R::Rename(db, table, 2, "Personal", false, selected), R::CR_OK);
  EXPECT_EQ(selected, 2);
  EXPECT_EQ(At(table, 2).renamed, 1);
  const Bytes before = Image(table);
  EXPECT_EQ(R::Rename(db, table, 0, "Other", true, selected), R::CR_ERR_UNFILED);
  EXPECT_EQ(R::Rename(db, table, 1, "Personal", false, selected), R::CR_ERR_MERGE_NEEDED);
  EXPECT_EQ(selected, 2);
  EXPECT_EQ(Image(table), before);
  EXPECT_EQ(Marks(db), marks);

  selected = -1;
  ASSERT_EQ(R::Rename(db, table, 1, "Personal", true, selected), R::CR_OK);
  EXPECT_EQ(selected, 2);
  CCategory gone;
  EXPECT_EQ(table.FindByIndex(1, gone), CCategoryTable::CAT_NOT_FOUND);
  const CCategory kept = At(table, 2);
  EXPECT_EQ(kept.name, "Personal");
  EXPECT_EQ(kept.uniqueId, 2);
  EXPECT_EQ(kept.renamed, 1);
  const std::vector<std::pair<int, std::uint32_t>> expected = {
      {2, CRecord::ATTR_MODIFIED}, {2, 0}, {1, CRecord::ATTR_DELETED}, {0, 0}, {2, CRecord::ATTR_MODIFIED}};
  EXPECT_EQ(Marks(db), expected);
}

}  // namespace
