// Record views: walks by position and by memo text over a snapshot.

#include <gtest/gtest.h>

#include "support/MemoAppBytes.h"
#include "support/TempFolder.h"
#include "store/MemoDatabase.h"
#include "store/RecordView.h"

using namespace recordfile;
namespace fl = FileLayout;

namespace {

class RecordViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    File file = MemoFile();
    // Texts chosen so that byte order differs from file order; "\x82\xa0" is
    // a double-byte character and sorts after every ASCII text.
    const char* texts[] = {"pear", "\x82\xa0", "apple", "Zebra", "apple pie", ""};
    std::uint32_t id = 1;
    for (const char* text : texts) file.records.push_back(MemoRecord(id++, 0, 0, PlainBody(text)));
    file.records[2].attributes = fl::REC_ATTR_DELETED;  // "apple"
    WriteAll(dir / "record.dat", Build(file));
    ASSERT_EQ(db.Load(dir / "record.dat", RDB_OPEN_READ_WRITE, nullptr), RDB_OK);
  }

  std::vector<std::uint32_t> Walk(CRecordView& view, bool skipDeleted) {
    std::vector<std::uint32_t> ids;
    CRecord* record = nullptr;
    for (int rc = view.First(record, skipDeleted); rc == 0; rc = view.Next(record, skipDeleted))
      ids.push_back(record->uniqueId);
    return ids;
  }

  CTempFolder dir;
  CMemoDatabase db;
};

TEST_F(RecordViewTest, WalksByTextAndByPosition) {
  CRecordView view(db);
  view.BuildByText();
  EXPECT_EQ(Walk(view, false), (std::vector<std::uint32_t>{6, 4, 3, 5, 1, 2}));
  EXPECT_EQ(Walk(view, true), (std::vector<std::uint32_t>{6, 4, 5, 1, 2}));
  CRecord* record = nullptr;
  EXPECT_EQ(view.Next(record, false), -1);

  view.BuildByPosition();
  EXPECT_EQ(Walk(view, false), (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(Walk(view, true), (std::vector<std::uint32_t>{1, 2, 4, 5, 6}));
}

TEST_F(RecordViewTest, FindsByPositionAndWalksOnFromThere) {
  CRecordView view(db);
  view.BuildByText();
  CRecord* record = nullptr;
  ASSERT_EQ(view.Find(4, record, true), 0);  // "apple pie"
  EXPECT_EQ(record->uniqueId, 5u);
  ASSERT_EQ(view.Next(record, true), 0);
  EXPECT_EQ(record->uniqueId, 1u);  // "pear"
  EXPECT_EQ(view.Find(2, record, true), -1);  // deleted
  ASSERT_EQ(view.Find(2, record, false), 0);
  EXPECT_EQ(record->uniqueId, 3u);
  EXPECT_EQ(view.Find(99, record, false), -1);
}

TEST_F(RecordViewTest, IsASnapshotUntilBuiltAgain) {
  CRecordView view(db);
  view.BuildByPosition();
  auto memo = std::make_unique<CMemoRecord>();
  memo->text = "added";
  memo->uniqueId = 77;
  db.AddRecord(std::move(memo));
  CRecord* record = nullptr;
  EXPECT_EQ(view.Find(6, record, false), -1);
  EXPECT_EQ(view.Count(), 6);
  view.BuildByPosition();
  ASSERT_EQ(view.Find(6, record, false), 0);
  EXPECT_EQ(record->uniqueId, 77u);

  // After the database is loaded from a smaller file, the old items that
  // are gone are passed over rather than followed.
  WriteAll(dir / "small.dat", Build(MemoFile()));
  ASSERT_EQ(db.Load(dir / "small.dat", RDB_OPEN_READ_WRITE, nullptr), RDB_OK);
  EXPECT_EQ(view.First(record, false), -1);

  CRecordView none(db);
  none.BuildByText();
  EXPECT_EQ(none.First(record, false), -1);
  EXPECT_EQ(none.Next(record, false), -1);
}

}  // namespace
