// The fast output paths of the command-line tools give exactly the bytes of the
// plain ways: the table decoder of ANSI text against iconv, the listing's JSON
// writer (word-at-a-time quoting, block-wise output) against nlohmann-json.

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <sstream>
#include <string>

#include "platform/text/CodePage.h"
#include "platform/text/LineEnds.h"
#include "tools/common/AnsiDecoder.h"
#include "tools/common/JsonOutput.h"
#include "tools/common/JsonWriter.h"
#include "tools/common/ToolText.h"

namespace {

std::string ControlsAsSpaces(std::string s) {
  for (char& c : s) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return s;
}

TEST(ToolOutput, DecodedAnsiTextIsExactlyWhatIconvGives) {
  ASSERT_NE(CAnsiDecoder::ForCurrentCodePage(), nullptr) << "CP932 is decoded by table";
  // Bytes drawn mostly from where the awkward cases are: lead and trail bytes,
  // line ends, control characters, half-width katakana, bytes of no character.
  const std::string alphabet =
      "\r\n\x01\x1f\x7f \"\\Aaz~\x5c\x40\x80\x81\x82\x85\x87\x9f\xa0\xa1\xdf\xe0\xea\xed\xee\xef"
      "\xf0\xf9\xfa\xfc\xfd\xfe\xff\x9e\x9f\xfc";
  std::mt19937 random(932);
  for (int round = 0; round < 3000; ++round) {
    std::string ansi(random() % 24, '\0');
    for (char& c : ansi) {
      c = random() % 4 == 0 ? static_cast<char>(random() % 256) : alphabet[random() % alphabet.size()];
    }
    if (ansi.find('\0') != std::string::npos) continue;
    ASSERT_EQ(AnsiToOutput(ansi), AnsiToUtf8(CrLfToLf(ansi))) << ::testing::PrintToString(ansi);
    ASSERT_EQ(AnsiToVisible(ansi), AnsiToUtf8(ControlsAsSpaces(ansi))) << ::testing::PrintToString(ansi);
  }
}

TEST(ToolOutput, QuotingFindsEveryByteThatNeedsItWhereverItStands) {
  // A byte that needs an escape or a replacement at each place of the eight-
  // byte words the quoting reads at once.
  for (const std::string special : {"\"", "\\", "\n", "\x01", "\x1f", "\x7f", "\x80", "\xC3", "\xE8\xA1\xA8"}) {
    const std::string inner = JsonOutput::Dump(special).substr(1, JsonOutput::Dump(special).size() - 2);
    for (std::size_t before = 0; before < 17; ++before) {
      const std::string a(before, 'a'), b(20 - before, 'b');
      EXPECT_EQ(CJsonWriter::Quote(a + special + b), "\"" + a + inner + b + "\"")
          << ::testing::PrintToString(special) << " after " << before;
    }
  }
}

TEST(ToolOutput, AnsiTextIsDecodedAndQuotedInOnePassAsInTwo) {
  // Runs long enough for the eight-byte reads, drawn from where decoding and
  // quoting meet: '\\' and '|' as trail bytes after a lead byte and as
  // characters of their own, quotes, control characters, line ends, lead
  // bytes at the end and before bytes that cannot follow them.
  const std::string pieces[] = {"\x83\x5c", "\x95\x5c", "\x81\x7c", "\\", "\"", "\r\n", "\r", "\n",
                                "\x01", "\x7f", "\t", "abcdefgh", "xy", "\x82\xa0", "\xb1", "\x81",
                                "\x81\x22", "\x80", "\xa0", "\xfd", "\x87\x40", "\xef\x40"};
  std::mt19937 random(5);
  for (int round = 0; round < 2000; ++round) {
    std::string ansi;
    for (std::size_t k = random() % 12; k > 0; --k) ansi += pieces[random() % std::size(pieces)];
    std::ostringstream out;
    {
      CJsonWriter json(out, 0);
      json.AnsiString(ansi);
    }
    ASSERT_EQ(out.str(), JsonOutput::Dump(AnsiToUtf8(CrLfToLf(ansi)))) << ::testing::PrintToString(ansi);
  }
}

TEST(ToolOutput, MemberNamesThatNeedEscapesAreEscaped) {
  std::ostringstream out;
  {
    CJsonWriter json(out, 1);
    json.BeginObject();
    json.Key("plain");
    json.Int(1);
    json.Key(std::string("a\"b\\c\n"));
    json.Int(2);
    json.EndObject();
  }
  EXPECT_EQ(out.str(), "{\n \"plain\": 1,\n \"a\\\"b\\\\c\\n\": 2\n}");
}

TEST(ToolOutput, JsonLongerThanOneOutputBlockArrivesWhole) {
  std::ostringstream out;
  std::string expected = "[";
  {
    CJsonWriter json(out, 0);
    json.BeginArray();
    for (int i = 0; i < 20000; ++i) {
      json.AnsiString("memo\r\n" + std::to_string(i));
      expected += (i ? ",\"memo\\n" : "\"memo\\n") + std::to_string(i) + "\"";
    }
    json.String(std::string(100000, 'x'));
    expected += ",\"" + std::string(100000, 'x') + "\"";
    json.EndArray();
    // No Finish: the writer hands over what it holds when it goes.
  }
  EXPECT_EQ(out.str(), expected + "]");
}

}  // namespace
