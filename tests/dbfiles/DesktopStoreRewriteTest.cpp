// The end of a HotSync always writes the desktop record file back, so that the
// marks the file carries (private bits, bytes behind the last record) are
// cleared even when no record changed.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "support/MemoAppBytes.h"
#include "support/RecordFileBytes.h"
#include "support/TempFolder.h"
#include "dbfiles/DesktopDb.h"
#include "dbfiles/ResultCodes.h"
#include "dbfiles/SyncType.h"
#include "platform/recordfile/FileLayout.h"
#include "support/RecordingSyncLog.h"

namespace {

namespace FL = FileLayout;
using namespace recordfile;

// Two records without any change mark: one private, one plain; trailing bytes.
File QuietFile() {
  File f;
  Header h;
  h.name = "MemoDB";
  f.header = h;
  f.appInfo = DataBlock(CategoryBlock({Category{"Unfiled", 0}}), 0, "MemoDB");
  Record a;
  a.id = 7;
  a.attributes = 0x10;  // private
  a.data = Text("secret");
  Record b;
  b.id = 8;
  b.data = Text("plain");
  f.records = {a, b};
  f.trailing = {0xAB, 0xCD};
  return Consistent(f);
}

class DesktopStoreRewrite : public ::testing::TestWithParam<std::int32_t> {
 protected:
  CTempFolder folder{"dbfiles"};
  CRecordingSyncLog log;
};

TEST_P(DesktopStoreRewrite, StoreRewritesTheFileEvenWhenNoRecordChanged) {
  const auto path = folder.Path() / "record.dat";
  WriteAll(path, Build(QuietFile()));
  CDesktopDb db(&log, 3, "MemoDB", "record.dat", folder.Path().string().c_str(), GetParam());
  ASSERT_EQ(db.Open(), DB_OK);
  ASSERT_EQ(db.LoadCategories(), DB_OK);
  ASSERT_EQ(db.RecordCount(), 2);
  ASSERT_EQ(db.Store(), DB_OK);

  File stored;
  ASSERT_TRUE(Parse(ReadAll(path), stored));
  File expected = QuietFile();
  for (Record& r : expected.records) r.attributes &= 0x10;  // only the private mark stays
  expected.trailing.clear();
  EXPECT_EQ(Build(stored), Build(expected));
}

INSTANTIATE_TEST_SUITE_P(FastSlowAndDesktopOverwrites, DesktopStoreRewrite,
                         ::testing::Values(SyncType::FAST, SyncType::SLOW, SyncType::DESKTOP_OVERWRITES));

}  // namespace
