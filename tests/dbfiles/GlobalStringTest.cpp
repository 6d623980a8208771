// CGlobalString: the zero-filled block, its growth and comparisons.

#include "dbfiles/GlobalString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(GlobalString, BlockIsAtLeast256ZeroBytesAndGrowsByRequestPlus64) {
  CGlobalString text;
  EXPECT_EQ(text.Status(), 0);
  EXPECT_EQ(text.Capacity(), 256u);
  EXPECT_STREQ(text.Text(), "");
  EXPECT_TRUE(text.IsEmpty());

  std::string big(300, 'b');
  ASSERT_EQ(text.Set(big.c_str()), 0);
  EXPECT_EQ(text.Capacity(), 301u + 64u);
  EXPECT_EQ(text.Text(), big);

  // A shorter text leaves no bytes of the longer one behind the NUL.
  ASSERT_EQ(text.Set("short"), 0);
  EXPECT_EQ(text.Length(), 5u);
  const char* block = text.Text();
  for (std::size_t i = 5; i < text.Capacity(); ++i) ASSERT_EQ(block[i], '\0') << i;

  ASSERT_EQ(text.Set(nullptr), 0);
  EXPECT_TRUE(text.IsEmpty());
}

TEST(GlobalString, ComparesExactlyOrIgnoringCaseByCharacters) {
  CGlobalString name("Work");
  EXPECT_TRUE(name.Equals("Work"));
  EXPECT_FALSE(name.Equals("WORK"));
  EXPECT_EQ(name.CompareNoCase("WORK"), 0);
  EXPECT_LT(name.Compare("Worl"), 0);
  EXPECT_GT(name.Compare(nullptr), 0);
  // The trail byte 0x5A looks like 'Z' but is no letter to fold.
  CGlobalString kanji("\x83\x5A");
  EXPECT_NE(kanji.CompareNoCase("\x83\x7A"), 0);
}

}  // namespace
