#include <gtest/gtest.h>

#include <string>

#include "platform/text/CodePage.h"
#include "platform/text/LineEnds.h"

namespace {

// CP932 bytes and their UTF-8 forms.
const std::string NIHONGO_ANSI = "\x93\xfa\x96\x7b\x8c\xea";    // 日本語
const std::string NIHONGO_UTF8 = "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e";
const std::string FFFD = "\xef\xbf\xbd";

TEST(CodePageTest, JapaneseBothWays) {
  struct Case {
    std::string ansi;
    std::string utf8;
  };
  const Case cases[] = {
      {"", ""},
      {"memo 1\r\n", "memo 1\r\n"},
      {NIHONGO_ANSI, NIHONGO_UTF8},
      {"\x95\x5c\x83\x5c", "\xe8\xa1\xa8\xe3\x82\xbd"},  // 表ソ: trail '\\'
      {"\xb1\xb2", "\xef\xbd\xb1\xef\xbd\xb2"},          // half-width ｱｲ
      {"C:\\", "C:\\"},  // 0x5C is a backslash, not a yen sign
      {"\x96\xa2\x95\xaa\x97\xde", "\xe6\x9c\xaa\xe5\x88\x86\xe9\xa1\x9e"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AnsiToUtf8(c.ansi), c.utf8);
    std::string back;
    EXPECT_TRUE(Utf8ToAnsi(c.utf8, back));
    EXPECT_EQ(back, c.ansi);
  }
  // Longer than any internal chunk.
  std::string longAnsi, longUtf8;
  for (int i = 0; i < 2000; ++i) {
    longAnsi += NIHONGO_ANSI;
    longUtf8 += NIHONGO_UTF8;
  }
  EXPECT_EQ(AnsiToUtf8(longAnsi), longUtf8);
  std::string back;
  EXPECT_TRUE(Utf8ToAnsi(longUtf8, back));
  EXPECT_EQ(back, longAnsi);
}

TEST(CodePageTest, UndecodableBytesBecomeReplacementCharacters) {
  EXPECT_EQ(AnsiToUtf8("\xff"), FFFD);
  EXPECT_EQ(AnsiToUtf8("a\xff" "b"), "a" + FFFD + "b");
  // A lead byte at the end of the text.
  EXPECT_EQ(AnsiToUtf8("a\x93"), "a" + FFFD);
  // A lead byte before a byte that cannot be a trail byte: only the lead
  // byte is lost.
  EXPECT_EQ(AnsiToUtf8("\x93 x"), FFFD + " x");
  EXPECT_EQ(AnsiToUtf8("\x93\x0d\x0a"), FFFD + "\r\n");
  // An unassigned double-byte code is one unknown character.
  EXPECT_EQ(AnsiToUtf8("\x85\x40" "b"), FFFD + "b");
  // Conversion goes on after an error.
  EXPECT_EQ(AnsiToUtf8("\xff" + NIHONGO_ANSI + "\xff"),
            FFFD + NIHONGO_UTF8 + FFFD);
  // Every byte pair decodes to something without crashing.
  for (int lead = 0; lead < 256; ++lead) {
    for (int trail = 0; trail < 256; trail += 15) {
      const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
      EXPECT_FALSE(AnsiToUtf8(bytes).empty());
    }
  }
}

TEST(CodePageTest, Utf8WithoutAnsiFormFails) {
  std::string out = "stale";
  EXPECT_FALSE(Utf8ToAnsi("ok \xf0\x9f\x98\x80 rest", out));  // an emoji
  EXPECT_EQ(out, "ok ");
  EXPECT_FALSE(Utf8ToAnsi("\xff\xfe", out));  // not UTF-8
  EXPECT_FALSE(Utf8ToAnsi("a\xe6\x97", out));  // cut inside a character
}

TEST(CodePageTest, ConfiguredCodePage) {
  EXPECT_EQ(AnsiCodePage(), "CP932");
  SetAnsiCodePage("EUC-JP");
  EXPECT_EQ(AnsiToUtf8("\xc6\xfc"), "\xe6\x97\xa5");  // 日 in EUC-JP
  std::string out;
  EXPECT_TRUE(Utf8ToAnsi("\xe6\x97\xa5", out));
  EXPECT_EQ(out, "\xc6\xfc");

  // A name iconv does not know: ASCII still passes, the rest is replaced.
  SetAnsiCodePage("NO-SUCH-PAGE");
  EXPECT_EQ(AnsiToUtf8("ab" + NIHONGO_ANSI.substr(0, 2) + "\xff"),
            "ab" + FFFD + FFFD);
  EXPECT_FALSE(Utf8ToAnsi("ab", out));

  SetAnsiCodePage(nullptr);
  EXPECT_EQ(AnsiCodePage(), "CP932");
  EXPECT_EQ(AnsiToUtf8(NIHONGO_ANSI), NIHONGO_UTF8);
}

TEST(LineEndsTest, ByteExactConversions) {
  EXPECT_EQ(CrLfToLf("a\r\nb\nc\r\r\n\r"), "a\nb\nc\r\n\r");
  EXPECT_EQ(LfToCrLf("a\nb\n\nc"), "a\r\nb\r\n\r\nc");
  // Literal: an existing "\r\n" is not recognised.
  EXPECT_EQ(LfToCrLf("a\r\nb"), "a\r\r\nb");
  EXPECT_EQ(CrLfToLf(LfToCrLf("x\n\ny\r")), "x\n\ny\r");
  EXPECT_EQ(CrLfToLf(""), "");
  EXPECT_EQ(LfToCrLf(std::string("\0\n", 2)), std::string("\0\r\n", 3));
}

}  // namespace
