#include <gtest/gtest.h>

#include <string>

#include "platform/text/Mbcs.h"

namespace {

constexpr auto npos = std::string_view::npos;

// Characters whose trail byte looks like ASCII.
const std::string HYO = "\x95\x5c";  // 表, trail '\\'
const std::string SO = "\x83\x5c";   // ソ, trail '\\'
const std::string A_KANA = "\x83\x41";  // ア, trail 'A'
const std::string SA_KANA = "\x83\x54";  // サ, trail 'T'

TEST(MbcsTest, LeadBytes) {
  EXPECT_FALSE(IsLeadByte(0x80));
  EXPECT_TRUE(IsLeadByte(0x81));
  EXPECT_TRUE(IsLeadByte(0x9F));
  EXPECT_FALSE(IsLeadByte(0xA0));
  EXPECT_FALSE(IsLeadByte(0xB1));  // half-width katakana is single-byte
  EXPECT_FALSE(IsLeadByte(0xDF));
  EXPECT_TRUE(IsLeadByte(0xE0));
  EXPECT_TRUE(IsLeadByte(0xFC));
  EXPECT_FALSE(IsLeadByte(0xFD));
  EXPECT_FALSE(IsLeadByte('\\'));
}

TEST(MbcsTest, CompareIsByteWiseByCharacter) {
  EXPECT_EQ(MbsCompare("", ""), 0);
  EXPECT_EQ(MbsCompare("abc", "abc"), 0);
  EXPECT_EQ(MbsCompare("abc", "abd"), -1);
  EXPECT_EQ(MbsCompare("abd", "abc"), 1);
  EXPECT_EQ(MbsCompare("ab", "abc"), -1);
  EXPECT_EQ(MbsCompare("abc", "ab"), 1);
  // Bytes are unsigned: a double-byte character sorts after ASCII.
  EXPECT_EQ(MbsCompare(HYO, "z"), 1);
  EXPECT_EQ(MbsCompare("z", HYO), -1);
  EXPECT_EQ(MbsCompare(SO, HYO), -1);
  // A broken character at the end sorts before the whole one.
  EXPECT_EQ(MbsCompare(HYO.substr(0, 1), HYO), -1);
  EXPECT_EQ(MbsCompare(std::string("a\0b", 3), std::string("a\0c", 3)), -1);
}

TEST(MbcsTest, CompareNoCaseFoldsOnlyWholeAsciiLetters) {
  EXPECT_EQ(MbsCompareNoCase("Memo", "mEMO"), 0);
  EXPECT_EQ(MbsCompareNoCase(A_KANA + "B", A_KANA + "b"), 0);
  // ア (83 41) and ャ (83 61) differ only in a trail byte that looks like
  // 'A' / 'a': they must not compare equal.
  EXPECT_EQ(MbsCompareNoCase(A_KANA, "\x83\x61"), -1);
  EXPECT_EQ(MbsCompareNoCase("\x83\x61", A_KANA), 1);
  // Folding to lower case puts '_' (0x5F) after letters.
  EXPECT_EQ(MbsCompareNoCase("A", "_"), 1);
  EXPECT_EQ(MbsCompareNoCase("[", "a"), -1);
}

TEST(MbcsTest, FindStartsOnlyOnCharacterBoundaries) {
  const std::string text = "x" + HYO + "\x8e\xa6" + "ABC" + SO;  // x表示ABCソ
  EXPECT_EQ(MbsFind(text, "\\", false), npos);
  // "\x5c\x8e" occurs in the bytes but starts on a trail byte.
  EXPECT_EQ(MbsFind(text, "\x5c\x8e", false), npos);
  EXPECT_EQ(MbsFind(text, HYO, false), 1u);
  EXPECT_EQ(MbsFind(text, "abc", true), 5u);
  EXPECT_EQ(MbsFind(text, "abc", false), npos);
  EXPECT_EQ(MbsFind(text, "C" + SO, true), 7u);
  EXPECT_EQ(MbsFind(text, "", false), 0u);
  EXPECT_EQ(MbsFind("", "a", false), npos);
  EXPECT_EQ(MbsFind("ab", "abc", false), npos);

  // A trail byte 'A' is not found case-insensitively as 'a'.
  EXPECT_EQ(MbsFind(A_KANA + "a", "a", true), 2u);
  EXPECT_EQ(MbsFind(A_KANA, "a", true), npos);
  // ャA is 83 83 41: the bytes 83 41 (ア) at offset 1 straddle a boundary.
  EXPECT_EQ(MbsFind("\x83\x83\x41", A_KANA, false), npos);
  // A needle ending in a lone lead byte matches only a lone lead byte.
  EXPECT_EQ(MbsFind(HYO, "\x95", false), npos);
  EXPECT_EQ(MbsFind("a\x95", "\x95", false), 1u);
}

TEST(MbcsTest, ToLowerLeavesTrailBytes) {
  EXPECT_EQ(MbsToLower("ABC xyz"), "abc xyz");
  EXPECT_EQ(MbsToLower(A_KANA + SA_KANA + "QW"), A_KANA + SA_KANA + "qw");
  EXPECT_EQ(MbsToLower("A\x83"), "a\x83");  // broken character at the end
  EXPECT_EQ(MbsToLower("\xb1Z"), "\xb1z");  // after a half-width katakana
}

TEST(MbcsTest, FindLastSkipsTrailBytes) {
  EXPECT_EQ(MbsFindLast("C:\\memo\\" + HYO, '\\'), 7u);
  EXPECT_EQ(MbsFindLast(HYO, '\\'), npos);
  EXPECT_EQ(MbsFindLast(SO + SO, '\\'), npos);
  EXPECT_EQ(MbsFindLast("a\\" + SO, '\\'), 1u);
  EXPECT_EQ(MbsFindLast("", '\\'), npos);
  EXPECT_EQ(MbsFindLast(SA_KANA, 'T'), npos);
  EXPECT_EQ(MbsFindLast("T" + SA_KANA, 'T'), 0u);
  // A lead byte alone at the end is a character of its own.
  EXPECT_EQ(MbsFindLast("ab\x95", '\x95'), 2u);
}

TEST(MbcsTest, TruncateNeverSplitsACharacter) {
  const std::string text = "a" + HYO + "b";  // 61 95 5C 62
  EXPECT_EQ(MbsTruncate(text, 0), 0u);
  EXPECT_EQ(MbsTruncate(text, 1), 1u);
  EXPECT_EQ(MbsTruncate(text, 2), 1u);
  EXPECT_EQ(MbsTruncate(text, 3), 3u);
  EXPECT_EQ(MbsTruncate(text, 4), 4u);
  EXPECT_EQ(MbsTruncate(text, 100), 4u);
  // A category name of at most 15 bytes made of double-byte characters.
  const std::string kanji = HYO + HYO + HYO + HYO + HYO + HYO + HYO + HYO;
  EXPECT_EQ(MbsTruncate(kanji, 15), 14u);
  EXPECT_EQ(MbsTruncate("a\x95", 2), 2u);  // broken last character
}

}  // namespace
