// The memo database with memory running out at every allocation in turn: a
// load reports that the file cannot be opened, a password change reports
// PW_ERR_NO_MEMORY and changes nothing, a save leaves the old file or the new
// one, and the database loads and saves again once memory is back.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "store/MemoDatabase.h"
#include "store/MemoRecord.h"
#include "store/RecordView.h"
#include "support/AllocationFailure.h"
#include "support/MemoAppBytes.h"
#include "support/RecordFileBytes.h"
#include "support/TempFolder.h"

using namespace recordfile;
namespace fl = FileLayout;

namespace {

File ProtectedFile(const std::string& password) {
  File f = MemoFile();
  f.appInfo = DataBlock(MemoAppInfo(DefaultCategories(), password, "my hint"));
  f.sortInfo = DataBlock(Bytes{1, 2, 3, 4});
  f.records.push_back(MemoRecord(10, 0, 1, EncryptBody(PlainBody("first\nline"), password)));
  f.records.push_back(MemoRecord(11, fl::REC_ATTR_DELETED, 0, EncryptBody(PlainBody("deleted"), password)));
  f.records.push_back(MemoRecord(12, 0, 2, EncryptBody(PlainBody("third memo, a little longer"), password)));
  return f;
}

TEST(MemoStoreOutOfMemory, LoadChangeAndSave) {
  CTempFolder dir{"store-oom"};
  const auto path = dir / "record.dat";
  const std::string file = path.string();
  const Bytes original = Build(ProtectedFile("pw"));
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    WriteAll(path, original);
    CMemoDatabase db;
    int rc = RDB_OK;
    int step = 0;
    bool fired = false;
    {
      const std::function<int()> steps[] = {
          [&] { return db.Load(file, RDB_OPEN_READ_WRITE, "pw"); },
          [&] { return db.GetCategories() != nullptr ? RDB_OK : RDB_CANNOT_OPEN; },
          [&] {
            CRecordView byText(db);
            byText.BuildByText();
            CRecordView byPosition(db);
            byPosition.BuildByPosition();
            // An item array that cannot be allocated leaves an empty view.
            return byText.Count() == 3 && byPosition.Count() == 3 ? RDB_OK : RDB_CANNOT_OPEN;
          },
          [&] { return db.SetPassword("new password", "new hint"); },
          [&] { return db.Save(); },
      };
      CAllocationFailure failure(n);
      for (; step < static_cast<int>(std::size(steps)); ++step) {
        rc = steps[step]();
        if (rc != RDB_OK) break;
      }
      fired = failure.Fired();
    }
    if (!fired) {
      EXPECT_EQ(RDB_OK, rc);
      return false;
    }
    EXPECT_EQ(step == 3 ? CMemoDatabase::PW_ERR_NO_MEMORY : RDB_CANNOT_OPEN, rc) << "allocation " << n;
    // The file is the old one or the new one, whole.
    CMemoDatabase old;
    CMemoDatabase renewed;
    const bool oldLoads = old.Load(path.string(), RDB_OPEN_READ_ONLY, "pw") == RDB_OK;
    const bool newLoads = renewed.Load(path.string(), RDB_OPEN_READ_ONLY, "new password") == RDB_OK;
    EXPECT_TRUE(oldLoads != newLoads) << "allocation " << n;
    EXPECT_EQ(3, oldLoads ? old.RecordCount() : renewed.RecordCount());
    if (step == 3) {
      // A failed password change leaves the old password in force.
      EXPECT_TRUE(db.CheckPassword("pw"));
      EXPECT_EQ(RDB_OK, db.Save());
      EXPECT_EQ(original, ReadAll(path));
    }
    return !::testing::Test::HasFailure();
  });
  EXPECT_GT(failures, 10u);
}

// Sizes and counts that a damaged file claims are checked against the bytes
// that are there before anything of that size is allocated.
TEST(MemoStoreOutOfMemory, ClaimedSizesAreNotAllocatedAhead) {
  CTempFolder dir{"store-oom"};
  const auto path = dir / "record.dat";
  const Bytes good = Build(ProtectedFile("pw"));
  for (const std::size_t field : {fl::HDR_APPINFO_SIZE, fl::HDR_SORTINFO_SIZE, fl::HDR_RECORD_COUNT}) {
    Bytes bad = good;
    Put32(bad, field, 0xFFFFFFF0u);
    WriteAll(path, bad);
    CMemoDatabase db;
    CAllocationFailure watch(0);
    EXPECT_EQ(RDB_CANNOT_OPEN, db.Load(path.string(), RDB_OPEN_READ_ONLY, "pw")) << field;
    EXPECT_LE(watch.LargestRequest(), std::size_t{1} << 20) << field;
  }
}

}  // namespace
