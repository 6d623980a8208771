// quillet export and import: every format round-trips Japanese memos in
// several categories, KeePassXC reads the KeePass XML, and a refused import
// leaves the file as it was.

#include <gtest/gtest.h>

#include <unistd.h>

#include <set>
#include <tuple>

#include "tools/Fixtures.h"
#include "tools/ToolRunner.h"
#include "tools/common/Csv.h"

namespace tooltest {
namespace {

// Shift-JIS forms of the fixture's texts.
const std::string SJIS_TRAVEL = "\x97\xB7\x8D\x73";  // 旅行
const std::string SJIS_KYOTO_PLAN =
    "\x8B\x9E\x93\x73\x82\xCC\x97\x5C\x96\xF1\x81\x41\x90\x56\x8A\xB2\x90\xFC\n"
    "\x81\x75\x97\xB7\x8A\xD9\x81\x76\x82\xC9\x93\x64\x98\x62";  // 京都の予約、新幹線\n「旅館」に電話
const std::string UTF8_KYOTO_PLAN = "京都の予約、新幹線\n「旅館」に電話";

// A protected file: Japanese memos in three categories, texts with quotes,
// commas, tabs, blank lines, a control character and a final line end.
FileSpec ExchangeFixture() {
  FileSpec f = MemoFixture(true);
  f.names[3] = SJIS_TRAVEL;
  f.ids[3] = 7;
  for (const std::string& text :
       {SJIS_KYOTO_PLAN, std::string("a, \"b\"\n\n\tc,\n"), SJIS_SHIGOTO + ",\"" + SJIS_MEMO + "\""}) {
    f.records.push_back({static_cast<std::uint32_t>(2000 + f.records.size()), 0,
                         static_cast<std::uint32_t>(f.records.size() % 3 + 1), EncryptedBody(text, PASSWORD), 0});
  }
  return f;
}

class QuilletExchange : public ::testing::Test {
 protected:
  void SetUp() override { WriteBytes(file, ExchangeFixture().Bytes()); }

  RunResult Export(const std::vector<std::string>& options) {
    std::vector<std::string> args{"export", file, "--password-stdin"};
    args.insert(args.end(), options.begin(), options.end());
    return RunQuillet(args, std::string(PASSWORD) + "\n");
  }
  // Every memo with its category, in text order: the JSON export.
  std::string Memos(const std::string& path, bool isProtected) {
    const RunResult r = RunQuillet({"export", path, "--format", "json", "--password-stdin"},
                                   isProtected ? std::string(PASSWORD) + "\n" : "");
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
  }
  std::string NewFile(const std::string& name) {
    const std::string path = dir.File(name);
    EXPECT_EQ(RunQuillet({"init", path}).status, 0);
    return path;
  }

  TempDir dir;
  std::string file = dir.File("record.dat");
};

TEST_F(QuilletExchange, EveryFormatImportedIntoAnEmptyFileGivesTheSameMemos) {
  const std::string original = Memos(file, true);
  ASSERT_NE(original.find("京都の予約"), std::string::npos) << original;
  for (const std::string format : {"json", "csv"}) {
    SCOPED_TRACE(format);
    const std::string exported = dir.File("memos." + format);
    RunResult r = Export({"--format", format, "--output", exported});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("not encrypted"), std::string::npos) << r.err;
    const std::string target = NewFile(format + ".dat");
    r = RunQuillet({"import", target, exported});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Memos(target, false), original);
  }
  // Text keeps the categories as one file per category.
  RunResult r = Export({"--per-category", dir.File("texts")});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string target = NewFile("text.dat");
  for (const auto& [name, category] : std::vector<std::pair<std::string, std::string>>{
           {"Unfiled", "Unfiled"}, {"Work", "Work"}, {UTF8_SHIGOTO, UTF8_SHIGOTO}, {"旅行", "旅行"}}) {
    r = RunQuillet({"import", target, dir.File("texts/" + name + ".txt"), "--category", category});
    ASSERT_EQ(r.status, 0) << name << ": " << r.err;
  }
  EXPECT_EQ(Memos(target, false), original);

  // Imported memos wait for the next HotSync: no id yet, new and modified.
  r = RunQuillet({"list", target, "--json"});
  for (std::size_t at = r.out.find("\"memos\""); (at = r.out.find("\"id\": ", at)) != std::string::npos; ++at) {
    EXPECT_EQ(r.out.substr(at, 8), "\"id\": 0,") << r.out;
  }
  EXPECT_EQ(r.out.find("\"new\": false"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("\"modified\": false"), std::string::npos) << r.out;
}

TEST_F(QuilletExchange, KeePassXcImportsTheXmlWithEveryMemoInItsCategoryGroup) {
  const std::string keepass = "/usr/bin/keepassxc-cli";
  if (access(keepass.c_str(), X_OK) != 0) {
    GTEST_SKIP() << "keepassxc-cli is not installed (scripts/install-deps.sh installs it)";
  }
  const std::string xml = dir.File("memos.xml");
  RunResult r = Export({"--format", "keepass-xml", "--output", xml});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("not encrypted"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("replaced by U+FFFD"), std::string::npos) << "the \\x01 of a memo: " << r.err;
  EXPECT_NE(ReadBytes(xml).find("<!-- These memos come from a memo file protected"), std::string::npos);

  const std::string kdbx = dir.File("memos.kdbx");
  testsupport::ProcessResult k =
      testsupport::RunProcess(keepass, {"import", "-p", xml, kdbx}, {}, "secret\nsecret\n");
  ASSERT_EQ(k.status, 0) << k.out << k.err;
  k = testsupport::RunProcess(keepass, {"export", "-f", "csv", kdbx}, {}, "secret\n");
  ASSERT_EQ(k.status, 0) << k.err;
  std::vector<std::vector<std::string>> rows;
  std::string error;
  ASSERT_TRUE(Csv::Parse(k.out, rows, error)) << error;
  ASSERT_FALSE(rows.empty());
  ASSERT_EQ(rows[0][0], "Group");
  std::multiset<std::tuple<std::string, std::string, std::string>> entries;  // group, title, notes
  for (std::size_t i = 1; i < rows.size(); ++i) entries.insert({rows[i][0], rows[i][1], rows[i][5]});

  // Each memo as the CSV export has it, with the control character the XML
  // could not hold replaced.
  r = Export({"--format", "csv"});
  ASSERT_TRUE(Csv::Parse(r.out, rows, error)) << error;
  std::multiset<std::tuple<std::string, std::string, std::string>> memos;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    std::string text = rows[i][1];
    if (const std::size_t at = text.find('\x01'); at != std::string::npos) text.replace(at, 1, "\xEF\xBF\xBD");
    memos.insert({"Quillet/" + rows[i][0], text.substr(0, text.find('\n')), text});
  }
  EXPECT_EQ(memos.size(), 6u);
  EXPECT_EQ(entries, memos);
}

TEST_F(QuilletExchange, RefusedImportChangesNothing) {
  const std::string before = ReadBytes(file);
  struct Case {
    std::string input;
    std::string expected;
  };
  const std::string tooLong(40000, 'x');
  for (const Case& c : std::vector<Case>{
           {"{\"memos\": [{\"category\": \"Work\", \"text\": \"fine\"}, {\"text\": \"smile \xF0\x9F\x98\x80\"}]}",
            "memo 2 (\"smile \xF0\x9F\x98\x80\")"},
           {"category,text\r\nWork,ok\r\nWork," + tooLong + "\r\n", "memo 2 (\"xxxx"},
           {"category,text\r\nWork,\"open\r\n", "not closed"}}) {
    const std::string input = dir.File(c.input[0] == '{' ? "in.json" : "in.csv");
    WriteBytes(input, c.input);
    const RunResult r = RunQuillet({"import", file, input, "--password-stdin"}, std::string(PASSWORD) + "\n");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find(c.expected), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(file), before);
  }
  // An export never replaces a file unless told to.
  const std::string taken = dir.File("taken.csv");
  WriteBytes(taken, "mine");
  RunResult r = Export({"--format", "csv", "--output", taken});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(ReadBytes(taken), "mine");
  r = Export({"--format", "csv", "--output", taken, "--force"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadBytes(taken).substr(0, 15), "category,text\r\n");
}

TEST_F(QuilletExchange, CategoriesBeyondTheTableGoToUnfiledWithAWarning) {
  std::string input = "category,text\n";
  for (int i = 1; i <= 14; ++i) input += "c" + std::to_string(i) + ",memo " + std::to_string(i) + "\n";
  WriteBytes(dir.File("in.csv"), input);
  const std::string target = NewFile("full.dat");  // Unfiled only: 15 more fit
  RunResult r = RunQuillet({"import", target, dir.File("in.csv")});
  ASSERT_EQ(r.status, 0) << r.err;
  WriteBytes(dir.File("more.csv"), "category,text\nc15,fifteen\nc16,sixteen\n");
  r = RunQuillet({"import", target, dir.File("more.csv")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("cannot add the category \"c16\""), std::string::npos) << r.err;
  const std::string memos = Memos(target, false);
  EXPECT_NE(memos.find("\"category\": \"c15\",\n      \"text\": \"fifteen\""), std::string::npos) << memos;
  EXPECT_NE(memos.find("\"category\": \"Unfiled\",\n      \"text\": \"sixteen\""), std::string::npos) << memos;
}

}  // namespace
}  // namespace tooltest
