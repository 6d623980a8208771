// quillet and the kinds of file it meets: a reader given a named pipe, a folder
// or a device refuses it at once (exit 3) instead of waiting on it, and the
// memo files it creates are private to their owner.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "support/ProcessRunner.h"
#include "tools/ToolRunner.h"

namespace tooltest {
namespace {

// Runs quillet under a limit that only a program blocked for good reaches,
// so that a reader stuck on a pipe fails the test instead of hanging it.
RunResult RunGuarded(const std::vector<std::string>& args) {
  std::vector<std::string> guarded{"--kill-after=5", "60", QUILLET_TOOL_PATH};
  guarded.insert(guarded.end(), args.begin(), args.end());
  return testsupport::RunProcess("/usr/bin/timeout", guarded);
}

TEST(QuilletFileKind, DumpRefusesPipesFoldersAndDevices) {
  TempDir dir;
  const std::string pipe = dir.File("record.dat");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const struct {
    std::string path;
    std::string message;
  } cases[] = {
      {pipe, pipe + " is a named pipe, not a file"},
      {dir.Path(), dir.Path() + " is a folder, not a file"},
      {"/dev/null", "/dev/null is a device, not a file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const RunResult r = RunGuarded({"dump", c.path, "--json"});
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_EQ(r.err, "quillet dump: " + c.message + "\n");
    EXPECT_TRUE(r.out.empty()) << r.out;
  }
}

// The memo readers and writers refuse a named pipe without waiting on it.
TEST(QuilletFileKind, MemoCommandsRefuseAPipe) {
  TempDir dir;
  const std::string pipe = dir.File("record.dat");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"list", pipe}, {"show", pipe, "0"}, {"categories", pipe}, {"add", pipe, "--text", "x"}}) {
    SCOPED_TRACE(args[0]);
    const RunResult r = RunGuarded(args);
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_NE(r.err.find("not a file"), std::string::npos) << r.err;
  }
}

TEST(QuilletFileKind, NewMemoFilesAreReadableByTheirOwnerOnly) {
  TempDir dir;
  const mode_t old = umask(022);
  const RunResult init = RunQuillet({"init", dir.File("record.dat")});
  const RunResult demo = RunQuillet({"demo", dir.File("demo")});
  umask(old);
  ASSERT_EQ(init.status, 0) << init.err;
  ASSERT_EQ(demo.status, 0) << demo.err;
  for (const std::string& file :
       {dir.File("record.dat"), dir.File("demo/plain/record.dat"), dir.File("demo/protected/record.dat")}) {
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0) << file;
    EXPECT_EQ(st.st_mode & 0777, 0600u) << file;
  }
}

}  // namespace
}  // namespace tooltest
