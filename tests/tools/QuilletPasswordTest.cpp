// quillet password set / clear: the memo file re-encrypted under a new
// password or decrypted, checked byte by byte against files built
// independently; refused changes leave the file as it was.

#include <gtest/gtest.h>

#include "tools/Fixtures.h"
#include "tools/ToolRunner.h"

namespace tooltest {
namespace {

class QuilletPassword : public ::testing::Test {
 protected:
  TempDir dir;
  std::string file = dir.File("record.dat");
};

// The fixture's memos in plain text after a clear: zero digest, empty hint.
FileSpec Cleared() {
  FileSpec f = Rewritten(MemoFixture());
  f.appSpecific = std::string(4 + 16 + 1, '\0');
  return f;
}

TEST_F(QuilletPassword, SetChangeAndClearRewriteTheMemos) {
  WriteBytes(file, MemoFixture().Bytes());
  // Plain file: only the new password is read.  The result is the protected
  // fixture: digest, Shift-JIS hint, every body encrypted, marks unchanged.
  RunResult r = RunQuillet({"password", "set", file, "--password-stdin", "--hint", "メモ hint"},
                           std::string(PASSWORD) + "\n");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string protectedBytes = Rewritten(MemoFixture(true)).Bytes();
  EXPECT_EQ(ReadBytes(file), protectedBytes);

  // The same password and hint again: nothing to do, nothing written.
  r = RunQuillet({"password", "set", file, "--password-stdin", "--hint", "メモ hint"},
                 std::string(PASSWORD) + "\n" + PASSWORD + "\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("nothing changed"), std::string::npos) << r.out;
  EXPECT_EQ(ReadBytes(file), protectedBytes);

  // Change: the current password and the new one from two files.
  const std::string oldFile = dir.File("old.txt"), newFile = dir.File("new.txt");
  WriteBytes(oldFile, std::string(PASSWORD) + "\n");
  WriteBytes(newFile, "新しい\n");
  r = RunQuillet({"password", "set", file, "--password-file", oldFile, "--new-password-file",
                  newFile});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(RunQuillet({"list", file, "--password-file", oldFile}).status, 4);
  r = RunQuillet({"list", file, "--password-file", newFile});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Zebra notes"), std::string::npos) << r.out;

  // Clear with the changed password: plain bodies, zero digest, no hint.
  r = RunQuillet({"password", "clear", file, "--password-stdin"}, "新しい\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadBytes(file), Cleared().Bytes());

  // Clearing an unprotected file changes nothing.
  r = RunQuillet({"password", "clear", file});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("not protected"), std::string::npos) << r.out;
  EXPECT_EQ(ReadBytes(file), Cleared().Bytes());
}

TEST_F(QuilletPassword, RefusedChangesLeaveTheFileByteForByte) {
  const std::string original = MemoFixture(true).Bytes();
  const std::string missing = dir.File("no-such-file");
  const struct {
    std::vector<std::string> args;
    std::string input;
    int status;
  } cases[] = {
      {{"set", file, "--password-stdin"}, "wrong\nnew\n", 4},
      {{"clear", file, "--password-stdin"}, "wrong\n", 4},
      {{"set", file, "--password-stdin"}, std::string(PASSWORD) + "\n\n", 2},
      {{"set", file, "--password-stdin"}, std::string(PASSWORD) + "\n", 4},
      {{"set", file, "--password-stdin", "--new-password-file", missing}, PASSWORD, 4},
      {{"set", file, "--new-password-file", missing, "--new-password-stdin"}, "", 2},
  };
  for (const auto& c : cases) {
    WriteBytes(file, original);
    std::vector<std::string> args{"password"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const RunResult r = RunQuillet(args, c.input);
    SCOPED_TRACE(c.input + " / " + r.err);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one-line message";
    EXPECT_EQ(ReadBytes(file), original);
  }
}

}  // namespace
}  // namespace tooltest
