// HotSync user names: which are refused, and the reason given.

#include <gtest/gtest.h>

#include <string>

#include "platform/text/UserName.h"

namespace {

TEST(UserName, RefusesEmptyNamesAndControlCharactersOnly) {
  const struct {
    std::string name;
    std::string problem;
  } cases[] = {
      {"Ann Smith", ""},
      {"\x93\xfa\x96\x7b", ""},  // Shift-JIS bytes from 0x80 up are characters
      {"~!@#$%^&*()", ""},
      {"", "is empty"},
      {"Ann\n", "holds a line end (0x0A)"},
      {"A\rnn", "holds a line end (0x0D)"},
      {"A\tnn", "holds a control character (0x09)"},
      {std::string("A\0nn", 4), "holds a control character (0x00)"},
      {"A\x1b[31mnn", "holds a control character (0x1B)"},
      {"Ann\x7f", "holds a control character (0x7F)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(UserName::Problem(c.name), c.problem);
    EXPECT_EQ(UserName::IsValid(c.name), c.problem.empty());
  }
}

}  // namespace
