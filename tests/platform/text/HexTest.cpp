// Hexadecimal text: fixed-width writing, and reading that takes a run of
// digits whole or not at all.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/text/Hex.h"

namespace {

TEST(Hex, WritesZeroPaddedDigitsInTheCaseAsked) {
  const struct {
    std::uint64_t value;
    std::size_t width;
    bool upper;
    const char* text;
  } cases[] = {
      {0, 0, false, "0"},         {0x0A, 2, false, "0a"},
      {0x0A, 2, true, "0A"},      {0x1F, 4, false, "001f"},
      {0xABCDEF, 2, true, "ABCDEF"},  // wider than asked: never cut
      {0xFFFFFFFFFFFFFFFF, 0, false, "ffffffffffffffff"},
  };
  for (const auto& c : cases) {
    std::string out = "x";
    AppendHex(out, c.value, c.width, c.upper);
    EXPECT_EQ(out, std::string("x") + c.text);
  }
}

TEST(Hex, ReadsOnlyAWholeRunOfDigitsThatFits) {
  const struct {
    const char* text;
    bool ok;
    std::uint8_t value;
  } cases[] = {
      {"7f", true, 0x7F}, {"Ff", true, 0xFF}, {"0", true, 0},
      {"", false, 0},     {"100", false, 0},  // does not fit in a byte
      {"-1", false, 0},   {"+1", false, 0},   {"0x1", false, 0},
      {" 1", false, 0},   {"1 ", false, 0},   {"1g", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::uint8_t value = 0;
    EXPECT_EQ(ParseHex(c.text, value), c.ok);
    if (c.ok) {
      EXPECT_EQ(value, c.value);
    }
  }
}

}  // namespace
