// "quillet password set", run in this process, while a failing disk fails
// each write, flush, rename and link of replacing the memo file in turn (and
// cuts each write short): the command reports the failure, and the memo file
// is then either the old file, byte for byte, or the new one, whole, under the
// new password.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/files/ScopedFileEnv.h"
#include "store/MemoDatabase.h"
#include "support/FaultInjectionEnv.h"
#include "tools/Fixtures.h"
#include "tools/ToolRunner.h"
#include "tools/common/ExitStatus.h"
#include "tools/quillet/Commands.h"

namespace {

using Op = IFileEnv::Op;
using namespace tooltest;

constexpr const char* NEW_PASSWORD = "new secret";

int SetPassword(const TempDir& dir, std::string& messages) {
  std::ostringstream out, err;
  const int status = PasswordCommand({"set", dir.File("record.dat"), "--new-password-file", dir.File("pw"),
                                      "--hint", "new hint"},
                                     out, err);
  messages = err.str();
  return status;
}

// How many memos the file holds when it loads with this password; -1 when it
// does not load.
int LoadedMemos(const std::string& path, const char* password) {
  CMemoDatabase db;
  if (db.Load(path, RDB_OPEN_READ_ONLY, password) != RDB_OK) return -1;
  return db.RecordCount();
}

}  // namespace

TEST(QuilletPasswordFault, EveryFailedFileOperationLeavesTheOldOrTheNewFile) {
  TempDir dir;
  const std::string path = dir.File("record.dat");
  const std::string before = MemoFixture().Bytes();
  WriteBytes(dir.File("pw"), std::string(NEW_PASSWORD) + "\n");
  WriteBytes(path, before);
  const int memos = LoadedMemos(path, nullptr);
  ASSERT_GT(memos, 0);

  CFaultInjectionEnv faults;
  std::vector<CFaultInjectionEnv::SFault> plan;
  std::string messages;
  {
    CScopedFileEnv use(faults);
    ASSERT_EQ(ExitStatus::OK, SetPassword(dir, messages)) << messages;
    plan = faults.EachFault({Op::WRITE, Op::SYNC, Op::SYNC_FOLDER, Op::RENAME, Op::LINK});
  }
  ASSERT_EQ(memos, LoadedMemos(path, NEW_PASSWORD));
  ASSERT_FALSE(plan.empty());

  for (const CFaultInjectionEnv::SFault& fault : plan) {
    SCOPED_TRACE(fault.Describe());
    WriteBytes(path, before);
    int status = ExitStatus::OK;
    {
      CScopedFileEnv use(faults);
      faults.Plan(fault);
      status = SetPassword(dir, messages);
      EXPECT_EQ(1, faults.Injected());
    }
    // The store takes a folder that could not be flushed as written: the new
    // file is in place, whole.
    if (fault.op != Op::SYNC_FOLDER) {
      EXPECT_NE(ExitStatus::OK, status);
    }
    if (ReadBytes(path) == before) {
      EXPECT_NE(std::string::npos, messages.find("left as it was")) << messages;
    } else {
      EXPECT_EQ(memos, LoadedMemos(path, NEW_PASSWORD));
    }
  }
}
