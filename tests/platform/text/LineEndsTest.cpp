#include "platform/text/LineEnds.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ByteByByte(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// The conversion works a word at a time: line feeds at every place in and
// across words, next to each other and at the ends, among bytes that differ
// from a line feed in one bit (0x0B, 0x8A, 0x0E) or are zero.
TEST(LineEndsTest, LfToCrLfMatchesByteByByteAtEveryPlace) {
  const std::string filler = std::string("ab\x0B\x8A\x0E", 5) + std::string(1, '\0') + "cdefghij0123456789";
  for (std::size_t length = 0; length <= 24; ++length) {
    const std::string base = filler.substr(0, length);
    for (std::size_t at = 0; at <= length; ++at) {
      for (const std::string feeds : {"\n", "\n\n", "\r\n"}) {
        std::string text = base;
        text.insert(at, feeds);
        if (length > 3) text.insert(length / 3, "\n");
        ASSERT_EQ(LfToCrLf(text), ByteByByte(text)) << ::testing::PrintToString(text);
      }
    }
  }
  // Long lines (copied by runs), and long lines followed by short ones.
  for (const std::string& text : {std::string(300, 'x') + "\n" + std::string(100, 'y') + "\n",
                                 std::string(70, 'x') + "\nab\ncd\n\nefghijkl\nm",
                                 std::string(64, '\n'), std::string(40, 'x'), std::string()}) {
    EXPECT_EQ(LfToCrLf(text), ByteByByte(text)) << ::testing::PrintToString(text);
  }
}

}  // namespace
