// quillet on damaged files, with wrong or missing passwords and with bad command
// lines: the right exit status, a one-line message, and the file left unchanged.

#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/files/FileLock.h"
#include "tools/Fixtures.h"
#include "tools/ToolRunner.h"

namespace tooltest {
namespace {

class QuilletFailure : public ::testing::Test {
 protected:
  // Runs the command and checks the status, that standard error holds one line,
  // and that the file did not change.
  void ExpectFailure(const std::vector<std::string>& args, int status, const std::string& input = "") {
    const std::string before = ReadBytes(file);
    const RunResult r = RunQuillet(args, input);
    EXPECT_EQ(r.status, status) << "args[0]=" << (args.empty() ? "" : args[0]) << " " << r.err;
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    EXPECT_EQ(ReadBytes(file), before);
  }

  TempDir dir;
  std::string file = dir.File("record.dat");
};

TEST_F(QuilletFailure, DamagedFilesExitFiveAndStayUnchanged) {
  std::vector<std::pair<std::string, std::string>> damaged;
  {
    const std::string bytes = Rewritten(MemoFixture()).Bytes();
    damaged.emplace_back("truncated in the last record", bytes.substr(0, bytes.size() - 5));
    damaged.emplace_back("truncated in the header", bytes.substr(0, 40));
  }
  {
    FileSpec f = MemoFixture();
    f.headerSize = 80;
    damaged.emplace_back("header size 80", f.Bytes());
  }
  {
    FileSpec f = MemoFixture();
    f.records[1].sizeOverride = 30;
    damaged.emplace_back("record size 30", f.Bytes());
  }
  {
    FileSpec f = MemoFixture();
    f.records[2].sizeOverride = 70000;
    f.trailing = std::string(70000, 'x');
    damaged.emplace_back("record size 70000", f.Bytes());
  }
  {
    FileSpec f = MemoFixture();
    f.trailing.clear();
    damaged.emplace_back("app-info block past the end", f.Bytes().substr(0, 84 + 100));
  }
  for (const auto& [what, bytes] : damaged) {
    SCOPED_TRACE(what);
    WriteBytes(file, bytes);
    ExpectFailure({"list", file}, 5);
    ExpectFailure({"add", file, "--text", "x"}, 5);
    ExpectFailure({"delete", file, "0"}, 5);
  }
}

TEST_F(QuilletFailure, MissingOrUnopenableFileExitsThree) {
  const RunResult r = RunQuillet({"add", file, "--text", "x"});
  EXPECT_EQ(r.status, 3);
  EXPECT_FALSE(Exists(file)) << "a change never creates the file";
  EXPECT_EQ(RunQuillet({"list", dir.Path()}).status, 3) << "a folder is not a memo file";
}

TEST_F(QuilletFailure, AFileHeldByAnotherWriterExitsThreeAfterAShortWait) {
  WriteBytes(file, MemoFixture().Bytes());
  CFileLock other;
  ASSERT_EQ(other.Acquire(file, 0), CFileLock::LOCK_OK);
  ::setenv("QUILLET_LOCK_WAIT_MS", "50", 1);
  ExpectFailure({"add", file, "--text", "x"}, 3);
  ExpectFailure({"edit", file, "0", "--text", "x"}, 3);
  ExpectFailure({"delete", file, "0"}, 3);
  const RunResult r = RunQuillet({"add", file, "--text", "x"});
  EXPECT_NE(r.err.find(file + " is in use by another program"), std::string::npos) << r.err;
  CFileLock newFile;
  ASSERT_EQ(newFile.Acquire(dir.File("new.dat"), 0), CFileLock::LOCK_OK);
  EXPECT_EQ(RunQuillet({"init", dir.File("new.dat")}).status, 3);
  EXPECT_FALSE(Exists(dir.File("new.dat")));
  // Readers need no lock.
  EXPECT_EQ(RunQuillet({"list", file}).status, 0);
  ::unsetenv("QUILLET_LOCK_WAIT_MS");

  // Once the other writer is done, the next one also clears away what a
  // killed writer left, and nothing else.
  other.Release();
  WriteBytes(dir.File(".record.dat.k1LLed"), "half a file");
  WriteBytes(dir.File(".record.dat.notours"), "keep");
  EXPECT_EQ(RunQuillet({"add", file, "--text", "x"}).status, 0);
  EXPECT_FALSE(Exists(dir.File(".record.dat.k1LLed")));
  EXPECT_TRUE(Exists(dir.File(".record.dat.notours")));
  EXPECT_TRUE(Exists(dir.File(".record.dat.lock")));
}

TEST_F(QuilletFailure, WrongOrMissingPasswordExitsFourAndChangesNothing) {
  WriteBytes(file, MemoFixture(true).Bytes());
  ExpectFailure({"list", file}, 4);  // no terminal and no password source
  ExpectFailure({"list", file, "--password-stdin"}, 4, "open sesamE\n");
  ExpectFailure({"list", file, "--password-stdin"}, 4, "");
  ExpectFailure({"add", file, "--text", "x", "--password-stdin"}, 4, "wrong\n");
  ExpectFailure({"delete", file, "0", "--password-file", dir.File("missing.txt")}, 4);
  // A password with a character that has no Shift-JIS form can never match.
  ExpectFailure({"edit", file, "0", "--text", "x", "--password-stdin"}, 4, "😀\n");
}

TEST_F(QuilletFailure, UsageErrorsExitTwoBeforeTouchingTheFile) {
  WriteBytes(file, MemoFixture().Bytes());
  const std::string textFile = dir.File("memo.txt");
  WriteBytes(textFile, "text");
  const std::string nulFile = dir.File("nul.txt");
  WriteBytes(nulFile, std::string("nul\0inside", 10));
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate", file},
      {"list"},
      {"list", file, "--bogus"},
      {"list", file, "extra"},
      {"list", file, "--password-file", textFile, "--password-stdin"},
      {"show", file, "4"},
      {"show", file, "-1"},
      {"show", file, "x"},
      {"add", file},
      {"add", file, "--text", "a", "--text-file", textFile},
      {"add", file, "--text", ""},
      {"add", file, "--text", "emoji 😀"},
      {"add", file, "--text-file", nulFile},
      {"add", file, "--text", std::string(32768, 'a')},
      {"add", file, "--text", "x", "--category", "7"},
      {"add", file, "--text", "x", "--category", "16"},
      {"add", file, "--text", "x", "--category"},
      {"add", file, "--text-file", dir.File("missing.txt")},
      {"edit", file, "0"},
      {"edit", file, "1", "--text", "x"},
      {"edit", file, "9", "--text", "x"},
      {"delete", file},
      {"delete", file, "0", "99"},
      {"export", file, "--format", "xml"},
      {"init"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    ExpectFailure(args, 2);
  }
}

TEST_F(QuilletFailure, EveryCommandHasHelp) {
  for (const char* command : {"init", "list", "show", "add", "edit", "delete", "categories",
                              "export", "demo", "dump"}) {
    const RunResult r = RunQuillet({command, "--help"});
    EXPECT_EQ(r.status, 0) << command;
    EXPECT_EQ(r.out.rfind(std::string("usage: quillet ") + command, 0), 0u) << r.out;
  }
  const RunResult r = RunQuillet({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("export"), std::string::npos);
}

}  // namespace
}  // namespace tooltest
