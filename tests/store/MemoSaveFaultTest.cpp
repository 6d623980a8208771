// Saving the memo file while the disk fails: each file operation of a save
// fails in turn (and each write is cut short), and the file must then load
// with either its old or its new content, and the failure must be reported.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "support/MemoAppBytes.h"
#include "support/TempFolder.h"
#include "platform/files/ScopedFileEnv.h"
#include "store/MemoDatabase.h"
#include "support/FaultInjectionEnv.h"

using namespace recordfile;

namespace {

using Op = IFileEnv::Op;

// A file of some large memos, so that a save takes more than one write.
File LargeFile(const std::optional<std::string>& password) {
  File f = MemoFile();
  f.appInfo = DataBlock(MemoAppInfo(DefaultCategories(), password, ""));
  for (std::uint32_t id = 1; id <= 24; ++id) {
    Bytes body = PlainBody(std::string(50000, static_cast<char>('a' + id % 26)));
    if (password) body = EncryptBody(body, *password);
    f.records.push_back(MemoRecord(id, 0, 0, body));
  }
  return f;
}

TEST(MemoSaveFault, EveryFailedStepLeavesTheOldFileOrTheNewOneWholeAndIsReported) {
  for (const std::optional<std::string>& password : {std::optional<std::string>(), std::optional<std::string>("pw")}) {
    SCOPED_TRACE(password ? "protected" : "plain");
    CTempFolder dir("store");
    const auto path = dir / "record.dat";
    const Bytes original = Build(LargeFile(password));
    const char* key = password ? password->c_str() : nullptr;
    CFaultInjectionEnv faults;
    // Loads the file, adds a memo and saves with `fault` planned (none: clean).
    const auto save = [&](const CFaultInjectionEnv::SFault* fault) {
      WriteAll(path, original);
      CMemoDatabase db;
      EXPECT_EQ(db.Load(path, RDB_OPEN_READ_WRITE, key), RDB_OK);
      auto memo = std::make_unique<CMemoRecord>();
      memo->text = "written while the disk fails";
      memo->attributes = CRecord::ATTR_NEW | CRecord::ATTR_MODIFIED;
      db.AddRecord(std::move(memo));
      if (fault != nullptr) {
        faults.Plan(*fault);
      } else {
        faults.Reset();
      }
      CScopedFileEnv use(faults);
      return db.Save();
    };
    ASSERT_EQ(save(nullptr), RDB_OK);
    const Bytes saved = ReadAll(path);
    ASSERT_NE(saved, original);
    ASSERT_GE(faults.Count(Op::WRITE), 2);

    for (const auto& fault : faults.EachFault({Op::OPEN_WRITE, Op::WRITE, Op::SYNC, Op::CLOSE, Op::RENAME,
                                               Op::SYNC_FOLDER, Op::STAT})) {
      const int rc = save(&fault);
      ASSERT_EQ(faults.Injected(), 1) << fault.Describe();
      const Bytes now = ReadAll(path);
      // A save that fails to write, flush or place the new file says so.
      // Others may not matter: closing the probe of the old file, or the
      // folder flush after the new file is whole and in place.
      if (fault.op == Op::WRITE || fault.op == Op::SYNC || fault.op == Op::RENAME) {
        EXPECT_NE(rc, RDB_OK) << fault.Describe();
      }
      EXPECT_EQ(now, rc == RDB_OK ? saved : original) << fault.Describe();
      EXPECT_EQ(dir.FileCount(), 1u) << fault.Describe() << ": no temporary file left";
      CMemoDatabase reread;
      EXPECT_EQ(reread.Load(path, RDB_OPEN_READ_ONLY, key), RDB_OK) << fault.Describe();
    }
  }
}

}  // namespace
