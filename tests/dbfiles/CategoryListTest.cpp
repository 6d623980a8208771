// CCategoryList: adding, finding and deleting categories, file-safe names and
// the category block.

#include "dbfiles/CategoryList.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "dbfiles/ResultCodes.h"
#include "platform/recordfile/FileLayout.h"

namespace {

using RawCategoryBlock = std::array<std::uint8_t, FileLayout::CAT_BLOCK_SIZE>;

void PutSlot(RawCategoryBlock& block, std::size_t slot, const char* name, std::uint8_t id) {
  std::memcpy(block.data() + FileLayout::CAT_NAMES + slot * FileLayout::CAT_NAME_FIELD_SIZE, name,
              std::min(std::strlen(name), FileLayout::CAT_NAME_FIELD_SIZE));
  block[FileLayout::CAT_IDS + slot] = id;
}

CCategoryList ListOf(std::initializer_list<CPCategory> categories) {
  CCategoryList list;
  for (const CPCategory& category : categories) EXPECT_EQ(list.AddCategory(category), 0);
  return list;
}

TEST(CategoryList, AddGivesFileSafeLongNamesAndFreeSlots) {
  CCategoryList list;
  ASSERT_EQ(list.Add(CPCategory(0, 0, "Unfiled")), 0);
  EXPECT_TRUE(list.IsChanged());
  ASSERT_EQ(list.Add(CPCategory(-1, 17, "A/B:C")), 0);
  const CPCategory* added = list.FindById(17);
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->GetIndex(), 1);  // the lowest free slot from 1
  EXPECT_TRUE(added->IsRenamed());  // a new slot counts as renamed
  EXPECT_STREQ(added->GetLongName(), "A_B_C");
  EXPECT_FALSE(list.GetByIndex(0)->IsRenamed());

  EXPECT_EQ(list.AddCategory(CPCategory(5, -1, "No id")), CAT_ERR_TABLE_FULL);
  EXPECT_EQ(list.AddCategory(CPCategory(16, 30, "Bad")), CAT_ERR_BAD_INDEX);
  EXPECT_EQ(list.AddCategory(CPCategory(5, 256, "Bad id")), CAT_ERR_BAD_INDEX);
  EXPECT_EQ(list.GetCount(), 2);
}

TEST(CategoryList, DuplicateIdIsRefusedAndLeavesTheTableUnchanged) {
  CCategoryList list = ListOf({CPCategory(0, 0, "Unfiled"), CPCategory(1, 7, "Work")});
  list.SetChanged(false);
  CCategoryList before(list);
  EXPECT_EQ(list.Add(CPCategory(2, 7, "Home")), CAT_ERR_DUPLICATE_ID);
  EXPECT_EQ(list.Add(CPCategory(-1, 7, "Home")), CAT_ERR_DUPLICATE_ID);
  EXPECT_TRUE(list.Equals(before));
  EXPECT_EQ(list.GetCount(), 2);
  EXPECT_FALSE(list.IsChanged());
  EXPECT_EQ(list.GetByIndex(2), nullptr);
}

TEST(CategoryList, FirstFreeIndexNeverHandsOutSlotZero) {
  CCategoryList list;
  for (std::int32_t slot = 1; slot < CCategoryList::SLOT_COUNT; ++slot) {
    ASSERT_EQ(list.AddCategory(CPCategory(slot, slot, ("C" + std::to_string(slot)).c_str())), 0);
  }
  EXPECT_EQ(list.GetByIndex(0), nullptr);
  EXPECT_EQ(list.FirstFreeIndex(), -1);
  EXPECT_EQ(list.AddCategory(CPCategory(-1, 99, "More")), CAT_ERR_TABLE_FULL);
  ASSERT_EQ(list.AddCategory(CPCategory(0, 0, "Unfiled")), 0);
  EXPECT_EQ(list.AddCategory(CPCategory(3, 98, "Full")), CAT_ERR_TABLE_FULL);
  EXPECT_EQ(list.GetCount(), 16);
}

TEST(CategoryList, FindByNameIgnoresCaseDeleteByNameDoesNot) {
  CCategoryList list = ListOf({CPCategory(0, 0, "Unfiled"), CPCategory(4, 12, "Work")});
  ASSERT_NE(list.FindByName("WORK"), nullptr);
  EXPECT_EQ(list.FindByName("WORK")->GetIndex(), 4);
  EXPECT_EQ(list.FindByName(""), nullptr);
  EXPECT_EQ(list.FindByName(nullptr), nullptr);
  EXPECT_EQ(list.DeleteByName("WORK"), DB_ERR_CATEGORY_NOT_FOUND);
  EXPECT_EQ(list.DeleteByName(""), DB_ERR_EMPTY_NAME);
  EXPECT_EQ(list.DeleteByName("Work"), 0);
  EXPECT_EQ(list.GetCount(), 1);
  EXPECT_EQ(list.DeleteById(12), DB_ERR_CATEGORY_NOT_FOUND);
  EXPECT_EQ(list.RemoveAt(4), DB_ERR_BAD_CATEGORY_INDEX);
  EXPECT_EQ(list.RemoveAt(-1), DB_ERR_BAD_CATEGORY_INDEX);
  EXPECT_EQ(list.RenameAt(4, "X"), CAT_ERR_EMPTY_SLOT);
  EXPECT_EQ(list.RenameAt(16, "X"), DB_ERR_BAD_CATEGORY_INDEX);
  EXPECT_EQ(list.DeleteById(0), 0);
  EXPECT_EQ(list.GetCount(), 0);

  // A trail byte equal to an ASCII letter is not folded: these two names differ.
  CCategoryList kanji = ListOf({CPCategory(1, 1, "\x83\x41")});
  EXPECT_EQ(kanji.FindByName("\x83\x61"), nullptr);
  EXPECT_NE(kanji.FindByName("\x83\x41"), nullptr);
}

TEST(CategoryList, WalkRenameAndSetAt) {
  CCategoryList list = ListOf({CPCategory(0, 0, "Unfiled"), CPCategory(3, 3, "c"), CPCategory(9, 9, "i")});
  std::vector<std::int32_t> seen;
  for (CPCategory* c = list.First(); c != nullptr; c = list.Next()) seen.push_back(c->GetIndex());
  EXPECT_EQ(seen, (std::vector<std::int32_t>{0, 3, 9}));
  EXPECT_EQ(list.Next(), nullptr);

  list.SetChanged(false);
  EXPECT_EQ(list.RenameAt(3, "New:name"), 0);
  EXPECT_STREQ(list.GetByIndex(3)->GetLongName(), "New_name");
  EXPECT_TRUE(list.GetByIndex(3)->IsRenamed());
  EXPECT_TRUE(list.IsChanged());

  EXPECT_EQ(list.SetAt(16, CPCategory(0, 50, "x")), DB_ERR_BAD_CATEGORY_INDEX);
  EXPECT_EQ(list.SetAt(5, CPCategory(1, 50, "Five")), 0);
  EXPECT_EQ(list.GetByIndex(5)->GetIndex(), 5);
  EXPECT_EQ(list.GetCount(), 4);
  EXPECT_EQ(list.SetAt(5, CPCategory(1, 51, "Again")), 0);
  EXPECT_EQ(list.GetCount(), 4);

  list.MarkAllRenamed();
  for (CPCategory* c = list.First(); c != nullptr; c = list.Next()) EXPECT_TRUE(c->IsRenamed());
}

TEST(CategoryList, MakeFileNameReplacesListedBytesPerByte) {
  CCategoryList list;
  char out[64];
  ASSERT_EQ(list.MakeFileName("a\"*+,./:;<=>?[\\]^|z", out, sizeof out), 0);
  EXPECT_STREQ(out, "a_________________z");
  ASSERT_EQ(list.MakeFileName("Bills 2003-a!", out, sizeof out), 0);
  EXPECT_STREQ(out, "Bills 2003-a!");
  // The second byte of 0x81 0x5C equals '\': it is replaced; the lead byte never is.
  ASSERT_EQ(list.MakeFileName("\x81\x5c\x95\x7c", out, sizeof out), 0);
  EXPECT_STREQ(out, "\x81_\x95_");
  // Cut to the buffer without splitting a character.
  ASSERT_EQ(list.MakeFileName("ab\x82\xa0", out, 4), 0);
  EXPECT_STREQ(out, "ab");
  EXPECT_EQ(list.MakeFileName("", out, sizeof out), DB_ERR_EMPTY_NAME);
  EXPECT_EQ(list.MakeFileName("a", nullptr, 4), DB_ERR_NULL_BUFFER);
  EXPECT_EQ(list.SwapBytes(0x1234), 0x3412);
  EXPECT_EQ(list.NewId(), -1);
}

TEST(CategoryList, ReadingTheBlock) {
  RawCategoryBlock block{};
  FileLayout::WriteU16BE(block.data() + FileLayout::CAT_RENAMED, 0x0002);
  PutSlot(block, 0, "Unfiled", 0);
  PutSlot(block, 1, "Business", 1);
  block[FileLayout::CAT_IDS + 2] = 44;  // empty name: skipped despite its id
  PutSlot(block, 3, "ABCDEFGHIJKLMNOP", 3);  // 16 bytes, no NUL

  CCategoryList list;
  ASSERT_EQ(list.ReadCategoryBlock(block.data(), block.size()), 0);
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_TRUE(list.IsChanged());
  EXPECT_FALSE(list.GetByIndex(0)->IsRenamed());
  EXPECT_TRUE(list.GetByIndex(1)->IsRenamed());
  EXPECT_EQ(list.GetByIndex(2), nullptr);
  EXPECT_EQ(list.FindById(44), nullptr);
  EXPECT_STREQ(list.GetByIndex(3)->GetName(), "ABCDEFGHIJKLMNO");
  EXPECT_STREQ(list.GetByIndex(1)->GetLongName(), "Business");

  // Without renamed bits the table is not changed by reading.
  FileLayout::WriteU16BE(block.data(), 0);
  ASSERT_EQ(list.ReadCategoryBlock(block.data(), block.size()), 0);
  EXPECT_FALSE(list.IsChanged());
  EXPECT_EQ(list.GetCount(), 3);  // reading replaces, never adds to, the table

  EXPECT_EQ(list.ReadCategoryBlock(block.data(), block.size() - 1), CAT_ERR_BLOCK_TOO_SHORT);
  EXPECT_EQ(list.ReadCategoryBlock(nullptr, block.size()), DB_ERR_NULL_BUFFER);
}

TEST(CategoryList, DuplicateIdsInTheBlockStopLoadingAtTheSecond) {
  RawCategoryBlock block{};
  PutSlot(block, 0, "Unfiled", 0);
  PutSlot(block, 1, "One", 5);
  PutSlot(block, 2, "Two", 5);
  PutSlot(block, 3, "Three", 6);
  CCategoryList list;
  EXPECT_EQ(list.ReadCategoryBlock(block.data(), block.size()), CAT_ERR_DUPLICATE_ID);
  EXPECT_EQ(list.GetCount(), 2);
  EXPECT_NE(list.GetByIndex(1), nullptr);
  EXPECT_EQ(list.GetByIndex(2), nullptr);
  EXPECT_EQ(list.GetByIndex(3), nullptr);
}

TEST(CategoryList, WriteAndReadBackByteForByte) {
  RawCategoryBlock block{};
  PutSlot(block, 0, "Unfiled", 0);
  PutSlot(block, 1, "Business", 1);
  PutSlot(block, 2, "\x8e\x64\x8e\x96", 130);  // Shift-JIS, id above 127
  PutSlot(block, 15, "Last slot name!", 255);
  CCategoryList list;
  ASSERT_EQ(list.ReadCategoryBlock(block.data(), block.size()), 0);

  std::vector<std::uint8_t> out(300, 0xAA);
  std::int32_t size = 275;
  EXPECT_EQ(list.WriteCategoryBlock(out.data(), &size), DB_ERR_BUFFER_TOO_SMALL);
  EXPECT_EQ(size, 276);
  EXPECT_EQ(out[0], 0xAA);
  size = static_cast<std::int32_t>(out.size());
  ASSERT_EQ(list.WriteCategoryBlock(out.data(), &size), 0);
  EXPECT_EQ(size, 276);
  EXPECT_TRUE(std::equal(block.begin(), block.end(), out.begin()));
  EXPECT_EQ(out[276], 0xAA);  // nothing written past the block

  CCategoryList back;
  ASSERT_EQ(back.ReadCategoryBlock(out.data(), 276), 0);
  EXPECT_TRUE(back.Equals(list));
  EXPECT_EQ(list.WriteCategoryBlock(nullptr, &size), DB_ERR_NULL_BUFFER);
}

TEST(CategoryList, EqualsComparesSlotsIdsAndNamesExactly) {
  CCategoryList a = ListOf({CPCategory(0, 0, "Unfiled"), CPCategory(1, 1, "Work")});
  CCategoryList b = ListOf({CPCategory(0, 0, "Unfiled"), CPCategory(1, 1, "Work")});
  b.GetByIndex(1)->SetRenamed(true);
  EXPECT_TRUE(a.Equals(b));
  b.GetByIndex(1)->SetName("WORK");
  EXPECT_FALSE(a.Equals(b));
  CCategoryList c = ListOf({CPCategory(0, 0, "Unfiled"), CPCategory(2, 1, "Work")});
  EXPECT_FALSE(a.Equals(c));
  CCategoryList d = ListOf({CPCategory(0, 0, "Unfiled")});
  EXPECT_FALSE(a.Equals(d));
  EXPECT_FALSE(d.Equals(a));
}

}  // namespace
