// CHandheldDb's application-info block: the category table read from and
// written to its first 276 bytes, and the application-specific bytes after it
// (password digest and hint) that must survive every category write.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "HandheldDbTestBase.h"
#include "platform/sync20/SyncStatus.h"

namespace {

constexpr std::size_t CATEGORY_BLOCK = 276;

// Four unused bytes, a 16-byte digest and a hint, as the memo application keeps them.
std::vector<std::uint8_t> ProtectedExtra() {
  std::vector<std::uint8_t> extra(4, 0);
  for (std::uint8_t i = 1; i <= 16; ++i) extra.push_back(i);
  for (char c : std::string("hint")) extra.push_back(static_cast<std::uint8_t>(c));
  extra.push_back(0);
  return extra;
}

const std::vector<std::uint8_t> kExtra = ProtectedExtra();

class HandheldDbAppInfoTest : public HandheldDbTestBase {
 protected:
  HandheldDbAppInfoTest() : HandheldDbTestBase(HandheldTestMemos(), &kExtra) {}

  std::vector<std::uint8_t> DeviceAppInfo() { return *DeviceDb().AppInfo(); }
  static std::string SlotName(const std::vector<std::uint8_t>& info, int slot) {
    return std::string(reinterpret_cast<const char*>(info.data()) + 2 + 16 * slot);
  }
};

}  // namespace

TEST_F(HandheldDbAppInfoTest, CategoriesAndExtraAreReadFromTheBlock) {
  auto db = Make(SyncType::SLOW);
  ASSERT_EQ(DB_OK, db->Open());
  EXPECT_FALSE(db->HasAppInfoExtra());  // nothing read yet
  ASSERT_EQ(DB_OK, db->LoadCategories());
  CCategoryList* table = db->CategoryTable();
  ASSERT_NE(nullptr, table);
  EXPECT_EQ(3, table->GetCount());
  EXPECT_STREQ("Unfiled", table->GetByIndex(0)->GetName());
  EXPECT_STREQ("Home", table->GetByIndex(2)->GetName());
  EXPECT_EQ(2, table->GetByIndex(2)->GetId());
  EXPECT_TRUE(table->GetByIndex(2)->IsRenamed());
  EXPECT_TRUE(table->IsChanged());  // a renamed slot must be written back
  ASSERT_TRUE(db->HasAppInfoExtra());
  ASSERT_EQ(kExtra.size(), db->AppInfoExtraSize());
  EXPECT_EQ(0, std::memcmp(kExtra.data(), db->AppInfoExtraPtr(), kExtra.size()));
  std::vector<std::uint8_t> copy(kExtra.size() - 1);
  auto size = static_cast<std::uint32_t>(copy.size());
  EXPECT_EQ(DB_ERR_BUFFER_TOO_SMALL, db->GetAppInfoExtra(copy.data(), &size));
  EXPECT_EQ(kExtra.size(), size);
}

TEST_F(HandheldDbAppInfoTest, CategoryWritesKeepTheApplicationBytes) {
  auto db = Make(SyncType::SLOW);
  ASSERT_EQ(DB_OK, db->Open());
  ASSERT_EQ(DB_OK, db->LoadCategories());
  ASSERT_EQ(DB_OK, db->CategoryTable()->Add(CPCategory(3, 130, "Play")));
  ASSERT_EQ(DB_OK, db->StoreCategories());
  EXPECT_EQ(0, db->AppInfoLength());  // written and let go

  // A second change: the block is read again first, so the digest and hint stay.
  ASSERT_EQ(DB_OK, db->CategoryTable()->RenameAt(3, "Games"));
  ASSERT_EQ(DB_OK, db->StoreCategories());
  ASSERT_EQ(DB_OK, db->Store());

  const std::vector<std::uint8_t> info = DeviceAppInfo();
  ASSERT_EQ(CATEGORY_BLOCK + kExtra.size(), info.size());
  EXPECT_EQ(0, info[0]);
  EXPECT_EQ(0, info[1]);  // renamed marks cleared
  EXPECT_EQ("Unfiled", SlotName(info, 0));
  EXPECT_EQ("Work", SlotName(info, 1));
  EXPECT_EQ("Games", SlotName(info, 3));
  EXPECT_EQ(130, info[258 + 3]);
  EXPECT_EQ(kExtra, std::vector<std::uint8_t>(info.begin() + CATEGORY_BLOCK, info.end()));
}

TEST_F(HandheldDbAppInfoTest, UnchangedCategoriesAreNotWritten) {
  auto db = Make(SyncType::SLOW);
  ASSERT_EQ(DB_OK, db->Open());
  ASSERT_EQ(DB_OK, db->LoadCategories());
  db->CategoryTable()->SetChanged(false);
  const auto before = DeviceDb().GetInfo().modificationNumber;
  ASSERT_EQ(DB_OK, db->StoreCategories());
  EXPECT_EQ(CATEGORY_BLOCK + kExtra.size(), db->AppInfoLength());  // still held: nothing written
  ASSERT_EQ(DB_OK, db->Close(1));
  EXPECT_EQ(before, DeviceDb().GetInfo().modificationNumber);
}

TEST_F(HandheldDbAppInfoTest, SetAppInfoExtraReplacesOnlyTheBytesAfterTheCategories) {
  auto db = Make(SyncType::SLOW);
  ASSERT_EQ(DB_OK, db->Open());
  ASSERT_EQ(DB_OK, db->LoadCategories());
  db->CategoryTable()->SetChanged(false);
  const std::uint8_t fresh[] = {9, 8, 7};
  EXPECT_EQ(DB_ERR_NULL_BUFFER, db->SetAppInfoExtra(3, nullptr));
  EXPECT_EQ(DB_ERR_TOO_LONG, db->SetAppInfoExtra(CHandheldDb::BUFFER_SIZE - CATEGORY_BLOCK + 1, fresh));
  EXPECT_FALSE(db->AppInfoChanged());
  ASSERT_EQ(DB_OK, db->SetAppInfoExtra(3, fresh));
  EXPECT_TRUE(db->AppInfoChanged());
  EXPECT_EQ(3u, db->AppInfoExtraSize());
  ASSERT_EQ(DB_OK, db->StoreCategories());
  EXPECT_FALSE(db->AppInfoChanged());
  std::vector<std::uint8_t> info = DeviceAppInfo();  // written through before the close
  ASSERT_EQ(DB_OK, db->Close(1));
  info = DeviceAppInfo();
  ASSERT_EQ(CATEGORY_BLOCK + 3, info.size());
  EXPECT_EQ("Home", SlotName(info, 2));
  EXPECT_EQ((std::vector<std::uint8_t>{9, 8, 7}), std::vector<std::uint8_t>(info.begin() + CATEGORY_BLOCK, info.end()));

  // Length 0 leaves the category block alone.
  ASSERT_EQ(DB_OK, db->Open());
  ASSERT_EQ(DB_OK, db->SetAppInfoExtra(0, nullptr));
  EXPECT_FALSE(db->HasAppInfoExtra());
  EXPECT_EQ(nullptr, db->AppInfoExtraPtr());
  ASSERT_EQ(DB_OK, db->StoreCategories());
  ASSERT_EQ(DB_OK, db->Close(1));
  EXPECT_EQ(CATEGORY_BLOCK, DeviceAppInfo().size());
}

TEST_F(HandheldDbAppInfoTest, WholeBlockRoundTripAndSortInfo) {
  auto db = Make(SyncType::SLOW);
  ASSERT_EQ(DB_OK, db->Open());
  std::vector<std::uint8_t> buffer(CHandheldDb::BUFFER_SIZE);
  DbBlockInfo info;
  info.bufferSize = 10;
  info.data = buffer.data();
  EXPECT_EQ(DB_ERR_BUFFER_TOO_SMALL, db->GetAppInfo(info));
  EXPECT_EQ(CATEGORY_BLOCK + kExtra.size(), info.dataLength);
  info.bufferSize = CHandheldDb::BUFFER_SIZE;
  ASSERT_EQ(DB_OK, db->GetAppInfo(info));
  EXPECT_STREQ(CMemoApp::DB_NAME, info.name);
  EXPECT_EQ(DeviceAppInfo(), std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + info.dataLength));

  buffer[2] = 'X';  // "Unfiled" -> "Xnfiled"
  ASSERT_EQ(DB_OK, db->SetAppInfo(info));
  EXPECT_EQ(0, db->AppInfoLength());
  DbBlockInfo sort;
  sort.bufferSize = CHandheldDb::BUFFER_SIZE;
  sort.data = buffer.data() + 1000;
  EXPECT_EQ(SyncStatus::SYNC_ERR_NOT_FOUND, db->GetSortInfo(sort));
  sort.dataLength = 2;
  ASSERT_EQ(DB_OK, db->SetSortInfo(sort));
  ASSERT_EQ(DB_OK, db->GetSortInfo(sort));
  EXPECT_EQ(2, sort.dataLength);
  ASSERT_EQ(DB_OK, db->Close(1));
  EXPECT_EQ("Xnfiled", SlotName(DeviceAppInfo(), 0));
}

TEST_F(HandheldDbAppInfoTest, ARecreatedDatabaseStartsWithoutABlock) {
  auto db = Make(SyncType::DESKTOP_OVERWRITES);
  ASSERT_EQ(DB_OK, db->Open());
  EXPECT_EQ(DB_ERR_NO_APP_INFO, db->LoadCategories());
  EXPECT_EQ(nullptr, db->CategoryTable());
  EXPECT_FALSE(db->HasAppInfoExtra());
  const std::uint8_t bytes[] = {1, 2, 3};
  ASSERT_EQ(DB_OK, db->SetAppInfoExtra(3, bytes));
  ASSERT_EQ(DB_OK, db->StoreCategories());
  ASSERT_EQ(DB_OK, db->Store());
  const std::vector<std::uint8_t> info = DeviceAppInfo();
  ASSERT_EQ(CATEGORY_BLOCK + 3, info.size());
  EXPECT_EQ(std::vector<std::uint8_t>(CATEGORY_BLOCK, 0), std::vector<std::uint8_t>(info.begin(), info.begin() + CATEGORY_BLOCK));
}

TEST_F(HandheldDbAppInfoTest, ADatabaseWithoutCategoryBlockTreatsTheWholeBlockAsExtra) {
  CHandheldDb db(&m_log, CHandheldDb::FEATURE_APP_INFO, CMemoApp::DB_NAME, 0, 0, 0, 0, 0, SyncType::SLOW);
  ASSERT_EQ(DB_OK, db.Open());
  EXPECT_EQ(DB_ERR_NO_CATEGORY_BLOCK, db.LoadCategories());
  EXPECT_EQ(DB_ERR_NO_CATEGORY_BLOCK, db.CategoriesToAppInfo());
  std::vector<std::uint8_t> buffer(CHandheldDb::BUFFER_SIZE);
  DbBlockInfo info;
  info.bufferSize = CHandheldDb::BUFFER_SIZE;
  info.data = buffer.data();
  ASSERT_EQ(DB_OK, db.GetAppInfo(info));
  EXPECT_TRUE(db.HasAppInfoExtra());
  EXPECT_EQ(CATEGORY_BLOCK + kExtra.size(), db.AppInfoExtraSize());
  EXPECT_EQ(0, std::memcmp(buffer.data(), db.AppInfoExtraPtr(), db.AppInfoExtraSize()));
}
