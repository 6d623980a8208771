// CPCategory: name limits and the copy-out conventions.

#include "dbfiles/PCategory.h"

#include <gtest/gtest.h>

#include <cstring>

#include "dbfiles/ResultCodes.h"

namespace {

TEST(PCategory, NamesAreCutTo15BytesWithoutSplittingACharacter) {
  CPCategory category;
  EXPECT_EQ(category.GetName(), nullptr);
  EXPECT_EQ(category.SetName("abcdefghijklmnopqrst"), DB_ERR_TOO_LONG);
  EXPECT_STREQ(category.GetName(), "abcdefghijklmno");
  EXPECT_EQ(category.SetName("Work"), 0);
  EXPECT_STREQ(category.GetName(), "Work");
  // 14 ASCII bytes and a double-byte character: the character would end at
  // byte 16, so the whole character goes.
  EXPECT_EQ(category.SetName("abcdefghijklmn\x82\xa0"), DB_ERR_TOO_LONG);
  EXPECT_STREQ(category.GetName(), "abcdefghijklmn");
  EXPECT_EQ(category.SetName(nullptr), 0);
  EXPECT_EQ(category.GetName(), nullptr);

  std::string longName(300, 'L');
  EXPECT_EQ(category.SetLongName(longName.c_str()), DB_ERR_TOO_LONG);
  EXPECT_EQ(std::strlen(category.GetLongName()), 255u);
}

TEST(PCategory, CopyNameAndCopyLongName) {
  CPCategory category(3, 40, "Home");
  char buffer[8];
  std::int32_t size = 3;
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(category.CopyName(buffer, &size), DB_ERR_BUFFER_TOO_SMALL);
  EXPECT_EQ(size, 4);
  EXPECT_EQ(std::string(buffer, 3), std::string(3, '\0'));  // cleared first
  size = sizeof buffer;
  EXPECT_EQ(category.CopyName(buffer, &size), 0);
  EXPECT_EQ(size, 4);
  EXPECT_STREQ(buffer, "Home");
  EXPECT_EQ(category.CopyName(nullptr, &size), DB_ERR_NULL_ARGUMENT);
  EXPECT_EQ(category.CopyName(buffer, nullptr), DB_ERR_NULL_ARGUMENT);

  category.SetLongName("Home");
  size = 4;  // no room for the NUL
  EXPECT_EQ(category.CopyLongName(buffer, &size), DB_ERR_BUFFER_TOO_SMALL);
  EXPECT_EQ(size, 5);
  EXPECT_EQ(category.CopyLongName(buffer, &size), 0);
  EXPECT_EQ(size, 4);
  EXPECT_STREQ(buffer, "Home");

  CPCategory empty;
  size = 1;
  EXPECT_EQ(empty.CopyLongName(buffer, &size), 0);
  EXPECT_EQ(size, 0);
  EXPECT_STREQ(buffer, "");
}

TEST(PCategory, RenamedFlagAndEquality) {
  CPCategory a(2, 9, "Work");
  CPCategory b(2, 9, "Work");
  b.SetRenamed(true);
  EXPECT_TRUE(b.IsRenamed());
  EXPECT_EQ(b.GetFlags(), CPCategory::FLAG_RENAMED);
  EXPECT_TRUE(a.Equals(b));  // flags do not take part
  b.SetRenamed(false);
  EXPECT_EQ(b.GetFlags(), 0);
  EXPECT_FALSE(a.Equals(CPCategory(2, 9, "work")));
  EXPECT_FALSE(a.Equals(CPCategory(3, 9, "Work")));
  EXPECT_FALSE(a.Equals(CPCategory(2, 8, "Work")));
}

}  // namespace
