// quillet list / show / categories / export on files built byte by byte.

#include <gtest/gtest.h>

#include <cstdlib>

#include <vector>

#include "store/MemoDatabase.h"
#include "store/RecordView.h"

#include "tools/Fixtures.h"
#include "tools/ToolRunner.h"

namespace tooltest {
namespace {

const std::string kCategoriesJson = R"(  "categories": [
    {
      "index": 0,
      "id": 0,
      "name": "Unfiled",
      "renamed": false
    },
    {
      "index": 1,
      "id": 5,
      "name": "Work",
      "renamed": true
    },
    {
      "index": 2,
      "id": 200,
      "name": "仕事",
      "renamed": false
    }
  ],
)";

const std::string kAppleJson = R"(    {
      "position": 3,
      "id": 4294967280,
      "category": 0,
      "deleted": false,
      "modified": false,
      "archived": false,
      "new": false,
      "private": false,
      "text": "Apple \"pie\"\\\t\u0001end"
    })";

const std::string kDeletedJson = R"(    {
      "position": 1,
      "id": 1002,
      "category": 0,
      "deleted": true,
      "modified": false,
      "archived": false,
      "new": false,
      "private": false,
      "text": "Deleted memo"
    })";

const std::string kZebraJson = R"(    {
      "position": 0,
      "id": 1001,
      "category": 1,
      "deleted": false,
      "modified": false,
      "archived": false,
      "new": false,
      "private": false,
      "text": "Zebra notes\nsecond line"
    })";

const std::string kJapaneseJson = R"(    {
      "position": 2,
      "id": 1003,
      "category": 2,
      "deleted": false,
      "modified": true,
      "archived": true,
      "new": true,
      "private": true,
      "text": "日本語 表ソ"
    })";

std::string ListJson(bool isProtected, const std::string& hint, const std::vector<std::string>& memos) {
  std::string s = "{\n  \"protected\": " + std::string(isProtected ? "true" : "false") +
                  ",\n  \"hint\": \"" + hint + "\",\n" + kCategoriesJson + "  \"memos\": [\n";
  for (std::size_t i = 0; i < memos.size(); ++i) s += memos[i] + (i + 1 < memos.size() ? ",\n" : "\n");
  return s + "  ]\n}\n";
}

class QuilletRead : public ::testing::Test {
 protected:
  TempDir dir;
  std::string file = dir.File("record.dat");
};

TEST_F(QuilletRead, ListJsonGivesEveryFieldInTextOrder) {
  const std::string bytes = MemoFixture().Bytes();
  WriteBytes(file, bytes);

  RunResult r = RunQuillet({"list", file, "--json"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, ListJson(false, "", {kAppleJson, kZebraJson, kJapaneseJson}));

  r = RunQuillet({"list", "--all", file, "--json"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, ListJson(false, "", {kAppleJson, kDeletedJson, kZebraJson, kJapaneseJson}));
  EXPECT_EQ(ReadBytes(file), bytes) << "reading must not change the file";
}

TEST_F(QuilletRead, ProtectedFileListsWithPasswordFromStdinOrFile) {
  WriteBytes(file, MemoFixture(true).Bytes());
  const std::string expected =
      ListJson(true, "メモ hint", {kAppleJson, kZebraJson, kJapaneseJson});

  RunResult r = RunQuillet({"list", file, "--json", "--password-stdin"}, "open sesame\nnext line\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, expected);

  // Only the first line counts, without its line end, "\r\n" included.
  const std::string pw = dir.File("pw.txt");
  WriteBytes(pw, "open sesame\r\nsomething else\n");
  r = RunQuillet({"list", file, "--json", "--password-file", pw});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, expected);

  // Without a line end at all.
  WriteBytes(pw, "open sesame");
  r = RunQuillet({"list", file, "--json", "--password-file=" + pw});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, expected);
}

TEST_F(QuilletRead, FileWithoutAppInfoBlockHasNoCategoriesAndIsNotProtected) {
  FileSpec f;
  f.withAppInfo = false;
  f.records = {{7, 0, 0, PlainBody("only"), 0}};
  WriteBytes(file, f.Bytes());
  RunResult r = RunQuillet({"categories", file, "--json"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "{\n  \"categories\": []\n}\n");
  r = RunQuillet({"list", file, "--json", "--password-stdin"}, "ignored\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"protected\": false"), std::string::npos);
  EXPECT_NE(r.out.find("\"text\": \"only\""), std::string::npos);
}

TEST_F(QuilletRead, EmptyFileIsAnEmptyDatabase) {
  WriteBytes(file, "");
  const RunResult r = RunQuillet({"list", file, "--json"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\n  \"protected\": false,\n  \"hint\": \"\",\n  \"categories\": [],\n  \"memos\": []\n}\n");
}

TEST_F(QuilletRead, TextOutputsConvertShiftJisToUtf8) {
  WriteBytes(file, MemoFixture().Bytes());

  RunResult r = RunQuillet({"list", file});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("    2  仕事             -MANP  日本語 表ソ\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("    0  Work             -----  Zebra notes...\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("    3  Unfiled          -----  Apple \"pie\"\\  end\n"), std::string::npos)
      << "control characters are shown as spaces in a listing: " << r.out;
  EXPECT_EQ(r.out.find("Deleted memo"), std::string::npos);

  r = RunQuillet({"show", file, "1"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Position: 1\nId: 1002\nCategory: 0 Unfiled\nFlags: D----\n\nDeleted memo\n");

  r = RunQuillet({"categories", file});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("    2  200  no       仕事\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("    1    5  yes      Work\n"), std::string::npos) << r.out;

  r = RunQuillet({"export", file});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Apple \"pie\"\\\t\x01" "end\fZebra notes\nsecond line\f日本語 表ソ\n");

  r = RunQuillet({"export", file, "--format", "json"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"category\": \"仕事\",\n      \"text\": \"日本語 表ソ\""), std::string::npos)
      << r.out;
}

TEST_F(QuilletRead, InvalidShiftJisBytesComeOutAsReplacementCharacters) {
  FileSpec f = MemoFixture();
  // A lead byte followed by a byte that cannot end a character, then a lone
  // lead byte at the very end.
  f.records = {{1, 0, 0, PlainBody(std::string("A\x81\x0D" "B\x82", 5)), 0}};
  WriteBytes(file, f.Bytes());
  const RunResult r = RunQuillet({"list", file, "--json"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::size_t at = r.out.find("\"text\": \"A");
  ASSERT_NE(at, std::string::npos) << r.out;
  const std::string text = r.out.substr(at, r.out.find('\n', at) - at);
  EXPECT_NE(text.find("\xEF\xBF\xBD"), std::string::npos) << text;
  EXPECT_NE(text.find('B'), std::string::npos) << text;
}

TEST_F(QuilletRead, ListOrderIsTheMemoViewersOrderEqualTextsIncluded) {
  // Texts that share their first eight bytes, one that begins another, bytes
  // above 0x7F (which sort after ASCII), an empty text, and many equal texts,
  // so that the order of equal texts shows.
  const std::vector<std::string> pool = {
      "", "same", "same", "Same", "same text 1", "same text 2", "same tex",
      "\x83\x81\x83\x82", "\x83\x81", "\xE0\x40 high", "~tilde", "memo 12345678", "memo 1234567"};
  FileSpec layout = MemoFixture();
  layout.records.clear();
  for (std::uint32_t i = 0; i < 90; ++i) {
    layout.records.push_back({i + 1, static_cast<std::uint16_t>(i % 5 == 0 ? F_DELETED : 0), 0,
                            PlainBody(pool[(i * 7) % pool.size()]), 0});
  }
  WriteBytes(file, layout.Bytes());

  CMemoDatabase db;
  ASSERT_EQ(db.Load(file, RDB_OPEN_READ_ONLY, nullptr), RDB_OK);
  CRecordView view(db);
  view.BuildByText();
  for (const bool all : {false, true}) {
    std::vector<int> expected;
    CRecord* record = nullptr;
    for (int r = view.First(record, !all); r == 0; r = view.Next(record, !all)) {
      expected.push_back(record->position);
    }
    std::vector<std::string> args = {"list", file, "--json"};
    if (all) args.push_back("--all");
    const RunResult r = RunQuillet(args);
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<int> listed;
    const std::string key = "\"position\": ";
    for (std::size_t at = r.out.find(key); at != std::string::npos; at = r.out.find(key, at + 1)) {
      listed.push_back(std::atoi(r.out.c_str() + at + key.size()));
    }
    EXPECT_EQ(listed, expected) << (all ? "--all" : "");
  }
}

}  // namespace
}  // namespace tooltest
