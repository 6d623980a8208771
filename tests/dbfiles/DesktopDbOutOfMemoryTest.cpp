// The desktop managers with memory running out at every allocation in turn:
// each operation reports its out-of-memory code (or the code the file format
// gives for a block it could not take), the file on disk stays whole, and the
// manager goes on working once memory is back.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "dbfiles/CategoryList.h"
#include "dbfiles/DesktopDb.h"
#include "dbfiles/GlobalString.h"
#include "dbfiles/PCategory.h"
#include "dbfiles/ResultCodes.h"
#include "dbfiles/SyncType.h"
#include "platform/recordfile/FileLayout.h"
#include "support/AllocationFailure.h"
#include "support/MemoAppBytes.h"
#include "support/RecordFileBytes.h"
#include "support/TempFolder.h"

namespace {

namespace FL = FileLayout;
using namespace recordfile;

File Sample() {
  File f;
  Header h;
  h.name = "MemoDB";
  f.header = h;
  Bytes categories = CategoryBlock({Category{"Unfiled", 0}, Category{"Work", 5}});
  categories.resize(FL::CAT_BLOCK_SIZE + 8, 0);
  f.appInfo = DataBlock(categories, 0, "MemoDB");
  f.sortInfo = DataBlock({9, 8, 7}, 0, "MemoDB");
  for (std::uint32_t id = 101; id <= 104; ++id) {
    Record r;
    r.id = id;
    r.category = id % 2;
    r.attributes = id == 104 ? 0x08 : 0x01;
    r.data = Text("memo " + std::to_string(id));
    f.records.push_back(r);
  }
  return Consistent(f);
}

CSyncRecord MakeRecord(std::int32_t id, const std::string& body) {
  CSyncRecord r;
  r.SetId(id);
  r.SetCategory(1);
  r.SetBody(static_cast<std::int32_t>(body.size()), body.data());
  return r;
}

class DesktopDbOutOfMemory : public ::testing::Test {
 protected:
  std::filesystem::path Path() const { return folder.Path() / "record.dat"; }
  std::unique_ptr<CDesktopDb> Manager(std::int32_t syncType) {
    return std::make_unique<CDesktopDb>(nullptr, 3, "MemoDB", "record.dat", folder.Path().string().c_str(), syncType);
  }
  std::size_t RecordCount(CDesktopDb& db) {
    std::int32_t count = -1;
    EXPECT_EQ(DB_OK, db.GetRecordCount(count));
    return static_cast<std::size_t>(count);
  }

  // Without a log: the test's recording log is no part of what runs out.
  CTempFolder folder{"desktop-oom"};
};

TEST_F(DesktopDbOutOfMemory, LoadReportsItAndLeavesTheFileAlone) {
  const Bytes original = Build(Sample());
  WriteAll(Path(), original);
  // Records that cannot be added are skipped, so a load may still succeed
  // with fewer records; a block that cannot be taken is the block's failure.
  const std::set<std::int32_t> allowed = {DB_OK, DB_ERR_NO_MEMORY, DB_ERR_BAD_APP_INFO, DB_ERR_BAD_SORT_INFO,
                                          DB_ERR_OPEN_FAILED, DB_ERR_FILE_NOT_OPEN};
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    auto db = Manager(SyncType::SLOW);
    std::int32_t rc = DB_OK;
    bool fired = false;
    {
      CAllocationFailure failure(n);
      rc = db->Open();
      if (rc == DB_OK) rc = db->Load();
      if (rc == DB_OK) rc = db->CategoriesFromAppInfo();
      fired = failure.Fired();
    }
    if (!fired) {
      EXPECT_EQ(DB_OK, rc);
      EXPECT_EQ(4u, RecordCount(*db));
      return false;
    }
    EXPECT_TRUE(allowed.count(rc)) << "allocation " << n << ": " << rc;
    EXPECT_FALSE(db->IsFileOpen());
    EXPECT_LE(RecordCount(*db), 4u);
    EXPECT_EQ(original, ReadAll(Path()));
    return true;
  });
  EXPECT_GT(failures, 10u);
}

TEST_F(DesktopDbOutOfMemory, ChangesAndStoreLeaveTheOldOrTheNewFile) {
  const Bytes original = Build(Sample());
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    WriteAll(Path(), original);
    auto db = Manager(SyncType::FAST);
    EXPECT_EQ(DB_OK, db->Open());
    EXPECT_EQ(DB_OK, db->Load());
    EXPECT_EQ(DB_OK, db->CategoriesFromAppInfo());
    CSyncRecord added = MakeRecord(0, "added while memory is short");
    CSyncRecord changed = MakeRecord(102, "changed while memory is short");
    CSyncRecord found;
    const std::int32_t map[16] = {-1, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    std::vector<std::int32_t> ids(16, 0);
    std::int32_t rc = DB_OK;
    bool fired = false;
    {
      const std::function<std::int32_t()> steps[] = {
          [&] { return db->GetRecordById(101, found, true); },
          [&] { return db->InsertRecord(added); },
          [&] { return db->ModifyRecord(changed); },
          [&] { return db->FirstNew(found); },
          [&] { return db->Reorder(CDbManager::REORDER_CHANGED_FIRST); },
          [&] { return db->Reorder(CDbManager::REORDER_BY_CATEGORY); },
          [&] { return db->RemapCategories(map); },
          [&] {
            std::int32_t count = static_cast<std::int32_t>(ids.size());
            const std::int32_t listed = db->GetAllIds(ids.data(), &count);
            if (listed != DB_OK) return listed;
            std::reverse(ids.begin(), ids.begin() + count);
            return db->ReorderByIds(ids.data(), count);
          },
          [&] { return db->CategoriesToAppInfo(); },
          [&] { return db->PurgeDeleted(); },
          [&] { return db->Store(); },
      };
      CAllocationFailure failure(n);
      for (const auto& step : steps) {
        rc = step();
        if (rc != DB_OK) break;
      }
      fired = failure.Fired();
    }
    // The file on disk is the old one or the new one, never a mixture.
    File onDisk;
    EXPECT_TRUE(Parse(ReadAll(Path()), onDisk)) << "allocation " << n;
    if (!fired) {
      EXPECT_EQ(DB_OK, rc);
      EXPECT_EQ(5u, onDisk.records.size());
      return false;
    }
    EXPECT_TRUE(onDisk.records.size() == 4u || onDisk.records.size() == 5u) << "allocation " << n;
    EXPECT_TRUE(rc == DB_ERR_NO_MEMORY || rc == DB_ERR_WRITE_FAILED || rc == DB_ERR_NOT_FOUND || rc == DB_OK)
        << "allocation " << n << ": " << rc;
    // Memory is back: the manager still stores what it holds.
    EXPECT_EQ(DB_OK, db->Store()) << "allocation " << n;
    EXPECT_TRUE(Parse(ReadAll(Path()), onDisk));
    return true;
  });
  EXPECT_GT(failures, 10u);
}

// Sizes and counts that a damaged file claims are checked against the bytes
// that are there before anything of that size is allocated.
TEST_F(DesktopDbOutOfMemory, ClaimedSizesAreNotAllocatedAhead) {
  const Bytes whole = Build(Sample());
  auto patched = [&](std::size_t at, std::uint32_t value) {
    Bytes b = whole;
    FL::WriteU32(b.data() + at, value);
    return b;
  };
  const struct {
    const char* what;
    Bytes bytes;
    std::int32_t expected;
  } cases[] = {
      {"app-info block", patched(FL::HDR_APPINFO_SIZE, 0xFFFFFFF0u), DB_ERR_BAD_APP_INFO},
      {"sort-info block", patched(FL::HDR_SORTINFO_SIZE, 0x7FFFFFFFu), DB_ERR_BAD_SORT_INFO},
      {"record count", patched(FL::HDR_RECORD_COUNT, 0xFFFFFFFFu), DB_ERR_BAD_RECORD_HEADER},
  };
  for (const auto& c : cases) {
    WriteAll(Path(), c.bytes);
    auto db = Manager(SyncType::FAST);
    ASSERT_EQ(DB_OK, db->Open()) << c.what;
    CAllocationFailure watch(0);
    EXPECT_EQ(c.expected, db->Load()) << c.what;
    EXPECT_LE(watch.LargestRequest(), std::size_t{1} << 20) << c.what;
  }
}

// The value types on their own: a category table and its copies, a record's
// body and copies, the text buffer.
TEST(DbValuesOutOfMemory, ReportTheirCodesAndStayUsable) {
  const Bytes block = CategoryBlock({Category{"Unfiled", 0}, Category{"Business", 7}});
  const std::string body(300, 'x');
  const std::string longName(100, 'n');
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    CCategoryList list;
    CSyncRecord record;
    CSyncRecord copy;
    CGlobalString* text = nullptr;
    std::int32_t rc = 0;
    bool fired = false;
    {
      const std::function<std::int32_t()> steps[] = {
          [&] { return list.ReadCategoryBlock(block.data(), block.size()); },
          [&] { return list.SetAt(2, *list.GetByIndex(1)) == DB_OK ? DB_OK : DB_ERR_NO_MEMORY; },
          [&] { return list.RenameAt(2, "Personal"); },
          [&] {
            CPCategory c;
            c.SetId(9);
            std::int32_t set = c.SetName("Calls");
            return set != DB_OK ? set : list.Add(c);
          },
          [&] {
            CPCategory c;
            return c.SetLongName(longName.c_str());
          },
          [&] { return record.SetBody(static_cast<std::int32_t>(body.size()), body.data()); },
          [&] { return copy.CopyFrom(record); },
          [&] {
            text = new (std::nothrow) CGlobalString("a category");
            if (text == nullptr) return DB_ERR_NO_MEMORY;
            return text->Status() == 0 ? text->Set("a longer category name than before") : text->Status();
          },
      };
      CAllocationFailure failure(n);
      for (const auto& step : steps) {
        rc = step();
        if (rc != DB_OK) break;
      }
      fired = failure.Fired();
    }
    delete text;
    if (!fired) {
      EXPECT_EQ(DB_OK, rc);
      EXPECT_EQ(body.size(), static_cast<std::size_t>(copy.GetLength()));
      return false;
    }
    EXPECT_TRUE(rc == DB_ERR_NO_MEMORY || rc == GS_ERR_ALLOC) << "allocation " << n << ": " << rc;
    // Usable again: a fresh read replaces whatever was read before.
    EXPECT_EQ(DB_OK, list.ReadCategoryBlock(block.data(), block.size()));
    EXPECT_EQ("Business", list.GetByIndex(1)->Name());
    return true;
  });
  EXPECT_GT(failures, 5u);
  // A size no block can have is refused as an allocation failure.
  CGlobalString text;
  EXPECT_EQ(GS_ERR_ALLOC, text.Reserve(std::numeric_limits<std::size_t>::max()));
}

}  // namespace
