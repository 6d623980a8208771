// quillet init / add / edit / delete: the files they write, checked byte by byte
// against files built independently.

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "tools/Fixtures.h"
#include "tools/ToolRunner.h"

namespace tooltest {
namespace {

class QuilletChange : public ::testing::Test {
 protected:
  TempDir dir;
  std::string file = dir.File("record.dat");
};

TEST_F(QuilletChange, InitWritesAnEmptyMemoFileAndNeverReplacesOne) {
  RunResult r = RunQuillet({"init", file});
  ASSERT_EQ(r.status, 0) << r.err;

  FileSpec expected;
  expected.version = 0;
  expected.creationDate = 0;
  expected.appInfoReserved = 0;
  expected.names[0] = "Unfiled";
  const std::string bytes = ReadBytes(file);
  EXPECT_EQ(bytes, expected.Bytes());
  // Creator 'DeRu' and type 'DATA' as little-endian values of the four characters.
  EXPECT_EQ(bytes.substr(44, 8), "uReDATAD");
  EXPECT_EQ(bytes.size(), 84u + 332u);

  WriteBytes(file, "precious");
  r = RunQuillet({"init", file});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(ReadBytes(file), "precious");
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one-line message: " << r.err;

  r = RunQuillet({"init", dir.File("no/such/folder/record.dat")});
  EXPECT_EQ(r.status, 3);
}

TEST_F(QuilletChange, AddAppendsAModifiedMemoWithIdZero) {
  WriteBytes(file, MemoFixture().Bytes());
  RunResult r = RunQuillet({"add", file, "--category", "2", "--text", "new\nmemo 表"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "added memo at position 4\n");

  FileSpec expected = Rewritten(MemoFixture());
  expected.records.push_back({0, F_MODIFIED, 2, PlainBody("new\nmemo \x95\x5C"), 0});
  EXPECT_EQ(ReadBytes(file), expected.Bytes());

  // A text file with Windows line ends; the default category is Unfiled.
  const std::string text = dir.File("memo.txt");
  WriteBytes(text, "first\r\nsecond\n");
  r = RunQuillet({"add", file, "--text-file", text});
  ASSERT_EQ(r.status, 0) << r.err;
  expected.records.push_back({0, F_MODIFIED, 0, PlainBody("first\nsecond\n"), 0});
  EXPECT_EQ(ReadBytes(file), expected.Bytes());
}

TEST_F(QuilletChange, EditSetsModifiedAndKeepsTheOtherAttributes) {
  WriteBytes(file, MemoFixture().Bytes());
  RunResult r = RunQuillet({"edit", file, "0", "--text", "changed"});
  ASSERT_EQ(r.status, 0) << r.err;
  FileSpec expected = Rewritten(MemoFixture());
  expected.records[0].data = PlainBody("changed");
  expected.records[0].attributes = F_MODIFIED;
  EXPECT_EQ(ReadBytes(file), expected.Bytes());

  // Only the category: the text and the archived, new and private marks stay.
  r = RunQuillet({"edit", file, "2", "--category", "1"});
  ASSERT_EQ(r.status, 0) << r.err;
  expected.records[2].category = 1;
  EXPECT_EQ(ReadBytes(file), expected.Bytes());
}

TEST_F(QuilletChange, DeleteMarksRecordsDeletedAndKeepsThem) {
  WriteBytes(file, MemoFixture().Bytes());
  const RunResult r = RunQuillet({"delete", file, "3", "0", "3"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "deleted memo at position 3\ndeleted memo at position 0\n");
  FileSpec expected = Rewritten(MemoFixture());
  expected.records[0].attributes = F_DELETED;
  expected.records[3].attributes = F_DELETED;
  EXPECT_EQ(ReadBytes(file), expected.Bytes());
}

TEST_F(QuilletChange, ChangesToAProtectedFileAreEncryptedWithItsPassword) {
  WriteBytes(file, MemoFixture(true).Bytes());
  RunResult r = RunQuillet({"add", file, "--text", "secret メモ", "--password-stdin"},
                           std::string(PASSWORD) + "\n");
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunQuillet({"delete", file, "1", "--password-stdin"}, std::string(PASSWORD) + "\n");
  ASSERT_EQ(r.status, 0) << r.err;

  FileSpec expected = Rewritten(MemoFixture(true));
  expected.records[1].attributes = F_DELETED | 0;
  expected.records.push_back(
      {0, F_MODIFIED, 0, EncryptedBody("secret " + SJIS_MEMO, PASSWORD), 0});
  const std::string bytes = ReadBytes(file);
  EXPECT_EQ(bytes, expected.Bytes());
  EXPECT_EQ(bytes.find("secret"), std::string::npos) << "no plain text in a protected file";
}

TEST_F(QuilletChange, DemoWritesAPlainAndAProtectedFile) {
  const RunResult r = RunQuillet({"demo", dir.Path()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("password: quillet"), std::string::npos) << r.out;

  ParsedFile plain, secret;
  ASSERT_TRUE(ParseFile(ReadBytes(dir.File("plain/record.dat")), plain));
  ASSERT_TRUE(ParseFile(ReadBytes(dir.File("protected/record.dat")), secret));
  // The plain file holds readable Shift-JIS text and a deleted memo.
  bool japanese = false, deleted = false;
  for (const ParsedRecord& rec : plain.records) {
    japanese = japanese || rec.data.find("\x94\x83\x82\xA2\x95\xA8") != std::string::npos;  // 買い物
    deleted = deleted || (rec.attributes & F_DELETED) != 0;
  }
  EXPECT_TRUE(japanese);
  EXPECT_TRUE(deleted);
  // The protected file carries the digest of "quillet" and its bodies encrypted.
  const std::string data = secret.AppInfoData();
  ASSERT_GE(data.size(), 297u);
  EXPECT_EQ(data.substr(276, 20), ProtectedAppSpecific("quillet", "").substr(0, 20));
  ASSERT_FALSE(secret.records.empty());
  for (const ParsedRecord& rec : secret.records) {
    EXPECT_EQ(rec.data.size() % 8, 0u);
    EXPECT_EQ(rec.data.find("Bank"), std::string::npos);
  }
  RunResult list = RunQuillet({"list", dir.File("protected/record.dat"), "--json",
                               "--password-stdin"}, "quillet\n");
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_NE(list.out.find("\"text\": \"Bank\\nOnline banking"), std::string::npos) << list.out;

  // A second run never replaces the files.
  const std::string before = ReadBytes(dir.File("plain/record.dat"));
  EXPECT_EQ(RunQuillet({"demo", dir.Path()}).status, 3);
  EXPECT_EQ(ReadBytes(dir.File("plain/record.dat")), before);
}

}  // namespace
}  // namespace tooltest

namespace tooltest {
namespace {

// Two writers at once: each memo added is in the file afterwards, or its
// writer said that it was not (exit 3, file in use).
TEST_F(QuilletChange, WritersAtOnceLoseNoMemo) {
  ASSERT_EQ(RunQuillet({"init", file}).status, 0);
  std::vector<std::string> added;
  for (int round = 0; round < 20; ++round) {
    const std::string texts[2] = {"memo " + std::to_string(round) + "a", "memo " + std::to_string(round) + "b"};
    RunResult runs[2];
    std::thread second([&] { runs[1] = RunQuillet({"add", file, "--text", texts[1]}); });
    runs[0] = RunQuillet({"add", file, "--text", texts[0]});
    second.join();
    for (int i = 0; i < 2; ++i) {
      if (runs[i].status == 0) {
        added.push_back(texts[i]);
      } else {
        EXPECT_EQ(runs[i].status, 3) << runs[i].err;
        EXPECT_NE(runs[i].err.find("in use"), std::string::npos) << runs[i].err;
      }
    }
  }
  const RunResult list = RunQuillet({"export", file, "--format", "json"});
  ASSERT_EQ(list.status, 0) << list.err;
  std::size_t memos = 0;
  for (std::size_t at = list.out.find("\"text\""); at != std::string::npos; at = list.out.find("\"text\"", at + 1)) {
    ++memos;
  }
  EXPECT_EQ(memos, added.size()) << list.out;
  for (const std::string& text : added) {
    EXPECT_NE(list.out.find("\"" + text + "\""), std::string::npos) << text << " was lost";
  }
}

}  // namespace
}  // namespace tooltest
