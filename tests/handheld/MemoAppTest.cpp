// The memo application's rules on a device: ids, dirty marks, delete and
// archive, categories, and password protection with the exact stored bytes.

#include <gtest/gtest.h>

#include "handheld/HandheldResult.h"
#include "handheld/MemoApp.h"
#include "support/TempFolder.h"

using namespace HandheldResult;

namespace {

std::vector<std::uint8_t> TextBytes(const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); }

class MemoAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HH_OK, CDevice::Init(m_temp.Path(), "user", 7, m_device));
    m_app = std::make_unique<CMemoApp>(m_device);
    ASSERT_EQ(HH_OK, m_app->Create());
  }
  // Saves and opens the memo database again, as the next command would.
  void Reopen() {
    ASSERT_EQ(HH_OK, m_app->Save());
    m_app = std::make_unique<CMemoApp>(m_device);
    ASSERT_EQ(HH_OK, m_app->Open());
  }
  // Clears every dirty mark on the device, as a HotSync does.
  void Synchronised() {
    ASSERT_EQ(HH_OK, m_app->Save());
    CPdbFile db;
    ASSERT_EQ(HH_OK, m_device.ReadDatabase(CMemoApp::DB_NAME, db));
    db.ResetSyncFlags();
    ASSERT_EQ(HH_OK, m_device.WriteDatabase(db));
    m_app = std::make_unique<CMemoApp>(m_device);
    ASSERT_EQ(HH_OK, m_app->Open());
  }
  const CPdbRecord& Record(std::uint32_t id) { return *m_app->Database().RecordById(id); }
  std::string Text(std::uint32_t id) {
    std::string text;
    EXPECT_EQ(HH_OK, m_app->TextAt(static_cast<std::size_t>(m_app->IndexOfMemo(id)), text));
    return text;
  }
  const std::vector<std::uint8_t>& AppInfo() { return *m_app->Database().AppInfo(); }

  CTempFolder m_temp;
  CDevice m_device;
  std::unique_ptr<CMemoApp> m_app;
};

}  // namespace

TEST_F(MemoAppTest, ANewDatabaseHasUnfiledAndNoPassword) {
  EXPECT_EQ(HH_ERR_EXISTS, CMemoApp(m_device).Create());
  Reopen();
  const CPdbFile::Info& info = m_app->Database().GetInfo();
  EXPECT_EQ("QuilletMemoDB", info.name);
  EXPECT_EQ(0x44655275u, info.creator);  // DeRu
  EXPECT_EQ(0x44415441u, info.type);     // DATA
  ASSERT_EQ(297u, AppInfo().size());     // categories, 4 unused, digest, empty hint
  EXPECT_EQ("Unfiled", m_app->CategoryName(0));
  EXPECT_EQ(-1, m_app->FindCategory("Work"));
  EXPECT_FALSE(m_app->IsProtected());
  EXPECT_EQ("", m_app->Hint());
  EXPECT_EQ(0u, m_app->MemoCount());
}

TEST_F(MemoAppTest, NewMemosTakeFreshIdsAndEditsMarkThemDirty) {
  std::uint32_t a = 0, b = 0;
  ASSERT_EQ(HH_OK, m_app->AddMemo("first\nline", 0, false, &a));
  ASSERT_EQ(HH_OK, m_app->AddMemo("second", 0, true, &b));
  EXPECT_NE(0u, a);
  EXPECT_NE(a, b);
  EXPECT_EQ(TextBytes(std::string("first\nline") + '\0'), Record(a).data);
  EXPECT_EQ(0x40, Record(a).attributes);
  EXPECT_EQ(0x50, Record(b).attributes);  // dirty and secret
  EXPECT_EQ(HH_ERR_NOT_FOUND, m_app->AddMemo("x", 3, false, nullptr));  // no such category
  EXPECT_EQ(HH_ERR_ARGUMENT, m_app->AddMemo(std::string("a\0b", 3), 0, false, nullptr));
  EXPECT_EQ(HH_ERR_TOO_LARGE, m_app->AddMemo(std::string(65480, 'x'), 0, false, nullptr));
  ASSERT_EQ(HH_OK, m_app->AddMemo(std::string(65479, 'x'), 0, false, nullptr));

  Synchronised();
  EXPECT_EQ(0x00, Record(a).attributes);
  ASSERT_EQ(HH_OK, m_app->SetMemoText(a, "changed"));
  EXPECT_EQ(0x40, Record(a).attributes);
  EXPECT_EQ("changed", Text(a));
  std::uint8_t slot = 0;
  ASSERT_EQ(HH_OK, m_app->AddCategory("Work", &slot));
  ASSERT_EQ(HH_OK, m_app->SetMemoCategory(b, slot));
  EXPECT_EQ(0x40 | 0x10 | slot, Record(b).attributes);
  Synchronised();
  ASSERT_EQ(HH_OK, m_app->SetMemoSecret(b, false));
  EXPECT_EQ(0x40 | slot, Record(b).attributes);
  EXPECT_EQ(HH_ERR_NOT_FOUND, m_app->SetMemoText(12345, "x"));
}

TEST_F(MemoAppTest, DeleteDropsTheBodyAndArchiveKeepsIt) {
  std::uint32_t a = 0, b = 0;
  ASSERT_EQ(HH_OK, m_app->AddMemo("gone", 0, true, &a));
  ASSERT_EQ(HH_OK, m_app->AddMemo("kept", 0, false, &b));
  Synchronised();
  ASSERT_EQ(HH_OK, m_app->DeleteMemo(a, false));
  ASSERT_EQ(HH_OK, m_app->DeleteMemo(b, true));
  Reopen();
  EXPECT_EQ(0x80 | 0x40 | 0x10, Record(a).attributes);
  EXPECT_TRUE(Record(a).data.empty());
  EXPECT_EQ(0x80 | 0x40 | 0x08, Record(b).attributes);
  EXPECT_TRUE(Record(b).IsArchived());
  EXPECT_EQ("kept", Text(b));
  // Deleted memos stay until a HotSync removes them, and cannot be changed.
  EXPECT_EQ(2u, m_app->MemoCount());
  EXPECT_EQ(HH_ERR_NOT_FOUND, m_app->SetMemoText(b, "x"));
  EXPECT_EQ(HH_ERR_NOT_FOUND, m_app->DeleteMemo(a, true));
}

TEST_F(MemoAppTest, CategoriesAreAddedRenamedAndDeleted) {
  std::uint8_t work = 0, home = 0;
  ASSERT_EQ(HH_OK, m_app->AddCategory("Work", &work));
  ASSERT_EQ(HH_OK, m_app->AddCategory("\x93\xfa\x96\x7b", &home));  // two double-byte characters
  EXPECT_EQ(1, work);
  EXPECT_EQ(2, home);
  EXPECT_EQ(1, m_app->CategoryId(work));
  EXPECT_EQ(2, m_app->CategoryId(home));
  EXPECT_EQ(HH_ERR_EXISTS, m_app->AddCategory("WORK", nullptr));
  EXPECT_EQ(HH_ERR_TOO_LARGE, m_app->AddCategory("SixteenCharacter", nullptr));
  EXPECT_EQ(HH_ERR_ARGUMENT, m_app->AddCategory("", nullptr));
  // Renamed bits (big-endian word): new categories carry theirs.
  EXPECT_EQ(0x00, AppInfo()[0]);
  EXPECT_EQ(0x06, AppInfo()[1]);

  std::uint32_t m1 = 0, m2 = 0, m3 = 0;
  ASSERT_EQ(HH_OK, m_app->AddMemo("w1", work, false, &m1));
  ASSERT_EQ(HH_OK, m_app->AddMemo("w2", work, false, &m2));
  ASSERT_EQ(HH_OK, m_app->AddMemo("h", home, false, &m3));
  Synchronised();
  // A HotSync would clear the renamed bits; do so to see the rename set one.
  {
    CPdbFile db;
    ASSERT_EQ(HH_OK, m_device.ReadDatabase(CMemoApp::DB_NAME, db));
    std::vector<std::uint8_t> info = *db.AppInfo();
    info[0] = info[1] = 0;
    db.SetAppInfo(info);
    ASSERT_EQ(HH_OK, m_device.WriteDatabase(db));
    ASSERT_EQ(HH_OK, m_app->Open());
  }
  ASSERT_EQ(HH_OK, m_app->RenameCategory(home, "Home"));
  EXPECT_EQ("Home", m_app->CategoryName(home));
  EXPECT_TRUE(m_app->IsCategoryRenamed(home));
  EXPECT_FALSE(m_app->IsCategoryRenamed(work));
  EXPECT_EQ(HH_ERR_ARGUMENT, m_app->RenameCategory(0, "Other"));
  EXPECT_EQ(HH_ERR_EXISTS, m_app->RenameCategory(home, "work"));
  ASSERT_EQ(HH_OK, m_app->RenameCategory(home, "HOME"));  // a change of case only

  ASSERT_EQ(HH_OK, m_app->DeleteCategory(work));
  EXPECT_EQ(0x40, Record(m1).attributes);  // to Unfiled, dirty
  EXPECT_EQ(0x40, Record(m2).attributes);
  EXPECT_EQ(home, Record(m3).attributes);  // untouched
  EXPECT_EQ("", m_app->CategoryName(work));
  EXPECT_EQ(0, m_app->CategoryId(work));
  EXPECT_FALSE(m_app->IsCategoryUsed(work));
  EXPECT_EQ(HH_ERR_NOT_FOUND, m_app->DeleteCategory(work));

  // The freed slot is reused, with an id after the last one given out.
  std::uint8_t again = 0;
  ASSERT_EQ(HH_OK, m_app->AddCategory("Again", &again));
  EXPECT_EQ(work, again);
  EXPECT_EQ(3, m_app->CategoryId(again));
  for (int i = 0; i < 13; ++i) ASSERT_EQ(HH_OK, m_app->AddCategory("C" + std::to_string(i), nullptr));
  EXPECT_EQ(HH_ERR_FULL, m_app->AddCategory("Sixteenth", nullptr));
  for (std::uint8_t s = 0; s < 16; ++s) EXPECT_LT(m_app->CategoryId(s), 128);
}

// Blowfish and MD5 reference vectors: the key "abcdefghijklmnopqrstuvwxyz"
// turns "BLOWFISH" into 32 4e d0 fe f4 13 a2 03; the key "Who is John Galt?"
// turns fe dc ba 98 76 54 32 10 into cc 91 73 2b 80 22 f6 84.
TEST_F(MemoAppTest, APasswordEncryptsEveryBodyAndClearingItRestoresThem) {
  std::uint32_t a = 0, b = 0, gone = 0;
  ASSERT_EQ(HH_OK, m_app->AddMemo("BLOWFISH", 0, false, &a));
  ASSERT_EQ(HH_OK, m_app->AddMemo("short", 0, false, &b));
  ASSERT_EQ(HH_OK, m_app->AddMemo("deleted", 0, false, &gone));
  ASSERT_EQ(HH_OK, m_app->DeleteMemo(gone, false));
  Synchronised();
  ASSERT_EQ(HH_OK, m_app->SetPassword("abcdefghijklmnopqrstuvwxyz", "letters"));
  Reopen();
  ASSERT_TRUE(m_app->IsProtected());
  EXPECT_EQ("letters", m_app->Hint());
  const std::vector<std::uint8_t> digest = {0xc3, 0xfc, 0xd3, 0xd7, 0x61, 0x92, 0xe4, 0x00,
                                            0x7d, 0xfb, 0x49, 0x6c, 0xca, 0x67, 0xe1, 0x3b};
  EXPECT_EQ(digest, std::vector<std::uint8_t>(AppInfo().begin() + 280, AppInfo().begin() + 296));
  EXPECT_EQ(TextBytes(std::string("letters") + '\0'), std::vector<std::uint8_t>(AppInfo().begin() + 296, AppInfo().end()));
  const CPdbRecord& ra = Record(a);
  ASSERT_EQ(16u, ra.data.size());  // "BLOWFISH", its zero byte, padding to 16
  EXPECT_EQ((std::vector<std::uint8_t>{0x32, 0x4e, 0xd0, 0xfe, 0xf4, 0x13, 0xa2, 0x03}),
            std::vector<std::uint8_t>(ra.data.begin(), ra.data.begin() + 8));
  EXPECT_EQ(8u, Record(b).data.size());
  EXPECT_EQ(0x40, ra.attributes);
  EXPECT_EQ(0x40, Record(b).attributes);
  EXPECT_TRUE(Record(gone).data.empty());
  EXPECT_EQ(HH_ERR_PROTECTED, m_app->SetPassword("other", ""));

  // Locked: no text, no new memos; a wrong password stays locked.
  std::string text;
  EXPECT_EQ(HH_ERR_PASSWORD, m_app->TextAt(0, text));
  EXPECT_EQ(HH_ERR_PASSWORD, m_app->AddMemo("x", 0, false, nullptr));
  EXPECT_EQ(HH_ERR_PASSWORD, m_app->ClearPassword());
  EXPECT_EQ(HH_ERR_PASSWORD, m_app->Unlock("abcdefghijklmnopqrstuvwxyZ"));
  EXPECT_FALSE(m_app->IsUnlocked());
  ASSERT_EQ(HH_OK, m_app->Unlock("abcdefghijklmnopqrstuvwxyz"));
  EXPECT_EQ("BLOWFISH", Text(a));
  EXPECT_EQ("short", Text(b));
  ASSERT_EQ(HH_OK, m_app->SetMemoText(b, "longer than eight"));
  EXPECT_EQ(24u, Record(b).data.size());

  Synchronised();
  ASSERT_EQ(HH_OK, m_app->Unlock("abcdefghijklmnopqrstuvwxyz"));
  ASSERT_EQ(HH_OK, m_app->ClearPassword());
  Reopen();
  EXPECT_FALSE(m_app->IsProtected());
  EXPECT_EQ("", m_app->Hint());
  EXPECT_EQ(297u, AppInfo().size());
  EXPECT_EQ(std::vector<std::uint8_t>(16, 0), std::vector<std::uint8_t>(AppInfo().begin() + 280, AppInfo().begin() + 296));
  EXPECT_EQ(TextBytes(std::string("BLOWFISH") + '\0'), Record(a).data);
  EXPECT_EQ(TextBytes(std::string("longer than eight") + '\0'), Record(b).data);
  EXPECT_EQ(0x40, Record(a).attributes);
  EXPECT_EQ(HH_ERR_NOT_PROTECTED, m_app->ClearPassword());
}

TEST_F(MemoAppTest, EncryptionMatchesASecondReferenceVector) {
  std::uint32_t a = 0;
  ASSERT_EQ(HH_OK, m_app->AddMemo("\xfe\xdc\xba\x98\x76\x54\x32\x10", 0, false, &a));
  ASSERT_EQ(HH_OK, m_app->SetPassword("Who is John Galt?", ""));
  EXPECT_EQ((std::vector<std::uint8_t>{0xcc, 0x91, 0x73, 0x2b, 0x80, 0x22, 0xf6, 0x84}),
            std::vector<std::uint8_t>(Record(a).data.begin(), Record(a).data.begin() + 8));
  EXPECT_EQ("\xfe\xdc\xba\x98\x76\x54\x32\x10", Text(a));
}
