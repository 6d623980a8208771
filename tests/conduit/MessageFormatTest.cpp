// The log's message formatter: width, flags and the multibyte-safe cut.

#include "conduit/MessageFormat.h"

#include <gtest/gtest.h>

namespace {

TEST(MessageFormat, PositionalLookingWidthsBehaveAsWidths) {
  EXPECT_EQ(FormatLogMessage("%1s, Error %2u", {"Record ID 5", 16387u}), "Record ID 5, Error 16387");
  EXPECT_EQ(FormatLogMessage("[%5s][%-5s][%3u]", {"ab", "cd", 7u}), "[   ab][cd   ][  7]");
  EXPECT_EQ(FormatLogMessage("%05d|%5d|%d", {-42, -3, 12}), "-0042|   -3|12");
  EXPECT_EQ(FormatLogMessage("%x %X %04x %lu", {4388u, 0xABCu, 0xFu, 9u}), "1124 ABC 000f 9");
  EXPECT_EQ(FormatLogMessage("%.3s|%c|100%%", {"abcdef", 65}), "abc|A|100%");
}

TEST(MessageFormat, MismatchedAndMissingArgumentsAreSafe) {
  EXPECT_EQ(FormatLogMessage("%u", {-1}), "4294967295");
  EXPECT_EQ(FormatLogMessage("%s/%s", {-5, 6u}), "-5/6");
  EXPECT_EQ(FormatLogMessage("%d", {"text"}), "0");
  EXPECT_EQ(FormatLogMessage("a %s b %u c", {}), "a  b  c");
  EXPECT_EQ(FormatLogMessage("%s", {static_cast<const char*>(nullptr)}), "");
  EXPECT_EQ(FormatLogMessage("%q %s", {"x"}), "%q x");
  EXPECT_EQ(FormatLogMessage("end %", {}), "end %");
}

TEST(MessageFormat, CutNeverSplitsADoubleByteCharacter) {
  // "ab" then a two-byte character: a limit of 4 leaves room for 3 bytes.
  EXPECT_EQ(FormatLogMessage("%s", {"ab\x82\xa0"}, 4), "ab");
  EXPECT_EQ(FormatLogMessage("%s", {"ab\x82\xa0"}, 5), "ab\x82\xa0");
  EXPECT_EQ(FormatLogMessage("%s", {"abcdef"}, 4), "abc");
}

}  // namespace
