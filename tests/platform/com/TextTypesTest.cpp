// Identifiers and OLE strings: text forms, layout, and conversions that must
// not lose characters silently.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/com/Bstr.h"
#include "platform/com/Guid.h"

namespace {

TEST(GuidTest, ParsesFormatsAndRefusesOtherForms) {
  constexpr GUID site = GuidLiteral("{54193A73-FC5B-11D4-8193-00C04FA03755}");
  EXPECT_EQ(site.Data1, 0x54193A73u);
  EXPECT_EQ(site.Data2, 0xFC5Bu);
  EXPECT_EQ(site.Data4[0], 0x81);
  EXPECT_EQ(site.Data4[7], 0x55);
  EXPECT_EQ(GuidToString(site), "{54193A73-FC5B-11D4-8193-00C04FA03755}");

  GUID parsed{};
  ASSERT_TRUE(GuidFromString("{54193a73-fc5b-11d4-8193-00c04fa03755}", parsed));
  EXPECT_EQ(parsed, site);
  EXPECT_FALSE(parsed < site || site < parsed);

  for (const char* bad : {"54193A73-FC5B-11D4-8193-00C04FA03755", "{54193A73-FC5B-11D4-8193-00C04FA0375}",
                          "{54193A73-FC5B-11D4-8193-00C04FA0375G}", "{54193A73-FC5B-11D4+8193-00C04FA03755}",
                          "{54193A73-FC5B-11D4-8193-00C04FA037550}", ""}) {
    GUID untouched = site;
    EXPECT_FALSE(GuidFromString(bad, untouched)) << bad;
    EXPECT_EQ(untouched, site) << bad;
  }
}

TEST(BstrTest, LayoutIsLengthPrefixedAndZeroTerminated) {
  const char16_t text[] = u"a\0b";
  BSTR s = SysAllocStringLen(text, 3);
  std::uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<char*>(s) - 4, 4);
  EXPECT_EQ(bytes, 6u);
  EXPECT_EQ(SysStringLen(s), 3u);
  EXPECT_EQ(s[1], u'\0');
  EXPECT_EQ(s[3], u'\0');
  SysFreeString(s);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
}

TEST(BstrTest, JapaneseRoundTripsThroughUtf8AndTheAnsiCodePage) {
  const std::string utf8 = "未分類のメモ\r\nＡＢＣ";
  CBstr wide = CBstr::FromUtf8(utf8);
  EXPECT_EQ(wide.View(), u"未分類のメモ\r\nＡＢＣ");

  std::string ansi;
  ASSERT_TRUE(BstrToAnsi(wide.Get(), ansi));
  EXPECT_EQ(ansi.substr(0, 6), "\x96\xa2\x95\xaa\x97\xde");  // "未分類" in CP932
  CBstr back = CBstr::FromAnsi(ansi);
  EXPECT_EQ(back.Utf8(), utf8);
}

TEST(BstrTest, BrokenOrUnstorableTextIsReplacedVisibly) {
  // A lone high surrogate, then a character outside the code page.
  const char16_t broken[] = {u'A', 0xD800, u'B', 0xD83C, 0xDF8C, u'あ'};
  BSTR s = SysAllocStringLen(broken, 6);
  std::string utf8, ansi;
  EXPECT_FALSE(BstrToUtf8(s, utf8));
  EXPECT_EQ(utf8, "A\xEF\xBF\xBD" "B\xF0\x9F\x8E\x8C" "あ");
  EXPECT_FALSE(BstrToAnsi(s, ansi));
  EXPECT_EQ(ansi, "A?B?\x82\xa0");
  SysFreeString(s);

  bool exact = true;
  CBstr fromBad = CBstr::Attach(BstrFromUtf8("x\xC3(\xE3\x81", &exact));
  EXPECT_FALSE(exact);
  EXPECT_EQ(fromBad.View(), u"x\uFFFD(\uFFFD\uFFFD");
}

}  // namespace
