// Changing the password of a memo file through the memo database: the bodies
// re-encrypted (or decrypted), the digest and hint written, the texts and
// marks kept; checked against files laid out by the tests' own writer.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "support/MemoAppBytes.h"
#include "support/TempFolder.h"
#include "store/MemoDatabase.h"

using namespace recordfile;
namespace fl = FileLayout;
namespace fs = std::filesystem;

namespace {

const std::string SJIS_TEXT = "\x82\xa0\x82\xa2\n\x8a\xbf\x8e\x9a\x83\x5c";  // あい / 漢字ソ

struct Memo {
  std::uint32_t id;
  std::uint16_t attributes;
  std::string fileText;
};
const Memo kMemos[] = {
    {10, 0, "first\nline"},
    {11, fl::REC_ATTR_DELETED | fl::REC_ATTR_PRIVATE, SJIS_TEXT},
    {0, fl::REC_ATTR_MODIFIED | fl::REC_ATTR_NEW, "new on the desktop"},
};

// The memo file under a password (none: plain) with the given app-info data.
Bytes ProtectedMemoFile(const Bytes& appInfoData, std::optional<std::string> password) {
  File f = recordfile::MemoFile();
  f.appInfo = DataBlock(appInfoData);
  for (const Memo& m : kMemos) {
    Bytes body = PlainBody(m.fileText);
    if (password) body = EncryptBody(body, *password);
    f.records.push_back(MemoRecord(m.id, m.attributes, 1, body));
  }
  return Build(f);
}

Bytes AppInfoData(std::optional<std::string_view> password, std::string_view hint) {
  return MemoAppInfo(DefaultCategories(), password, hint);
}

class MemoPasswordTest : public ::testing::Test {
 protected:
  fs::path Write(const Bytes& bytes) {
    WriteAll(path, bytes);
    return path;
  }
  CTempFolder dir;
  fs::path path = dir / "record.dat";
};

TEST_F(MemoPasswordTest, SetChangeAndClearRewriteTheWholeFile) {
  Write(ProtectedMemoFile(AppInfoData(std::nullopt, ""), std::nullopt));
  struct Step {
    const char* opensWith;   // the password the file has before the step
    const char* newPassword; // none: clear
    std::string hint;
  };
  const Step steps[] = {
      {nullptr, "P", "\x83\x81\x83\x82 hint"},  // plain -> P, hint in Shift-JIS
      {"P", "another password", ""},            // P -> Q, the hint gone
      {"another password", nullptr, "ignored"},  // Q -> plain
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.newPassword ? step.newPassword : "(clear)");
    CMemoDatabase db;
    ASSERT_EQ(db.Load(path.string(), RDB_OPEN_READ_WRITE, step.opensWith), RDB_OK);
    ASSERT_EQ(db.SetPassword(step.newPassword, step.hint), RDB_OK);
    ASSERT_EQ(db.Save(), RDB_OK);

    // Byte for byte what the handheld would hold under that password: digest,
    // hint, encrypted bodies; the carried bytes and the record marks unchanged.
    std::optional<std::string> password;
    if (step.newPassword) password = step.newPassword;
    const Bytes expected = ProtectedMemoFile(
        password ? AppInfoData(*password, step.hint) : AppInfoData(std::nullopt, ""), password);
    EXPECT_EQ(ReadAll(path), expected);

    CMemoDatabase again;
    if (step.newPassword) {
      EXPECT_EQ(again.Load(path.string(), RDB_OPEN_READ_ONLY, step.opensWith ? step.opensWith : "x"),
                RDB_BAD_PASSWORD);
    }
    ASSERT_EQ(again.Load(path.string(), RDB_OPEN_READ_ONLY, step.newPassword), RDB_OK);
    EXPECT_EQ(again.IsEncrypted(), step.newPassword != nullptr);
    EXPECT_EQ(again.MemoAt(1)->text, "\x82\xa0\x82\xa2\r\n\x8a\xbf\x8e\x9a\x83\x5c");
  }
}

TEST_F(MemoPasswordTest, RefusedChangesLeaveTheDatabaseAsItWas) {
  const Bytes original = ProtectedMemoFile(AppInfoData("P", "h"), "P");
  Write(original);
  CMemoDatabase db;
  // Without the password the memos were never read: nothing to re-encrypt.
  ASSERT_EQ(db.Load(path.string(), RDB_OPEN_READ_WRITE, "wrong"), RDB_BAD_PASSWORD);
  EXPECT_EQ(db.SetPassword("Q", ""), CMemoDatabase::PW_ERR_NOT_LOADED);

  ASSERT_EQ(db.Load(path.string(), RDB_OPEN_READ_WRITE, "P"), RDB_OK);
  EXPECT_EQ(db.SetPassword("Q", std::string_view("a\0b", 3)), CMemoDatabase::PW_ERR_HINT);
  EXPECT_EQ(db.SetPassword("Q", std::string(CMemoDatabase::MAX_HINT_BYTES + 1, 'h')),
            CMemoDatabase::PW_ERR_HINT);
  ASSERT_EQ(db.Save(), RDB_OK);
  EXPECT_EQ(ReadAll(path), original);

  // No app-info block: nowhere to keep a digest.
  File bare = recordfile::MemoFile();
  bare.records.push_back(MemoRecord(1, 0, 0, PlainBody("memo")));
  Write(Build(bare));
  ASSERT_EQ(db.Load(path.string(), RDB_OPEN_READ_WRITE, nullptr), RDB_OK);
  EXPECT_EQ(db.SetPassword("Q", ""), CMemoDatabase::PW_ERR_NO_APP_INFO);
  ASSERT_EQ(db.Save(), RDB_OK);
  EXPECT_EQ(ReadAll(path), Build(bare));
}

}  // namespace
