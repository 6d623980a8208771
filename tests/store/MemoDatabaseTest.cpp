// Loading and saving desktop record files through the memo database, plain
// and protected, with files made byte by byte by the tests' own writer.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>

#include "support/MemoAppBytes.h"
#include "support/TempFolder.h"
#include "store/MemoDatabase.h"

using namespace recordfile;
namespace fl = FileLayout;
namespace fs = std::filesystem;

namespace {

// "あい\n漢字" in Shift-JIS; the trail byte 0x5C of "ソ" looks like a backslash.
const std::string SJIS_FILE_TEXT = "\x82\xa0\x82\xa2\n\x8a\xbf\x8e\x9a\x83\x5c";
const std::string SJIS_MEMORY_TEXT = "\x82\xa0\x82\xa2\r\n\x8a\xbf\x8e\x9a\x83\x5c";

File PlainFile() {
  File f = MemoFile();
  f.appInfo = DataBlock(MemoAppInfo(DefaultCategories(), std::nullopt, ""));
  f.sortInfo = DataBlock(Bytes{1, 2, 3, 4, 5, 6, 7, 8});
  f.records.push_back(MemoRecord(0x00123401, 0, 1, PlainBody("Hello\nworld")));
  f.records.push_back(MemoRecord(2, fl::REC_ATTR_DELETED | fl::REC_ATTR_PRIVATE, 2, PlainBody(SJIS_FILE_TEXT)));
  f.records.push_back(MemoRecord(3, 0, 0, PlainBody("")));
  return f;
}

File ProtectedFile(const std::string& password) {
  File f = MemoFile();
  f.appInfo = DataBlock(MemoAppInfo(DefaultCategories(), password, "my hint"));
  f.records.push_back(MemoRecord(10, 0, 1, EncryptBody(PlainBody("first\nline"), password)));
  f.records.push_back(MemoRecord(11, fl::REC_ATTR_DELETED, 0, EncryptBody(PlainBody(SJIS_FILE_TEXT), password)));
  f.records.push_back(MemoRecord(12, 0, 2, EncryptBody(PlainBody("third memo, a little longer"), password)));
  return f;
}

std::string TextAt(const CMemoDatabase& db, int index) {
  const CMemoRecord* memo = db.MemoAt(index);
  return memo ? memo->text : std::string("<none>");
}

std::unique_ptr<CMemoRecord> NewMemo(const std::string& text) {
  auto memo = std::make_unique<CMemoRecord>();
  memo->text = text;
  memo->attributes = CRecord::ATTR_NEW | CRecord::ATTR_MODIFIED;
  return memo;
}

class MemoDatabaseTest : public ::testing::Test {
 protected:
  fs::path Write(const Bytes& bytes, const std::string& name = "record.dat") {
    const fs::path p = dir / name;
    WriteAll(p, bytes);
    return p;
  }
  CTempFolder dir;
  CMemoDatabase db;
};

TEST_F(MemoDatabaseTest, PlainFileLoadsAndSavesBackByteForByte) {
  File file = PlainFile();
  // A stray CR before a line end stays a CR of its own.
  file.records.push_back(MemoRecord(4, 0, 0, PlainBody("\n\nline\r\nend\n")));
  file.trailing = FromString("old bytes behind the last record");
  const fs::path p = Write(Build(file));

  ASSERT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, nullptr), RDB_OK);
  ASSERT_EQ(db.RecordCount(), 4);
  EXPECT_EQ(TextAt(db, 3), "\r\n\r\nline\r\r\nend\r\n");
  EXPECT_FALSE(db.IsEncrypted());
  EXPECT_FALSE(db.HasCipher());
  EXPECT_EQ(TextAt(db, 0), "Hello\r\nworld");
  EXPECT_EQ(TextAt(db, 1), SJIS_MEMORY_TEXT);
  EXPECT_EQ(TextAt(db, 2), "");
  const CRecord* first = db.RecordAt(0);
  EXPECT_EQ(first->uniqueId, 0x00123401u);
  EXPECT_EQ(first->category, 1);
  const CRecord* deleted = db.RecordAt(1);
  EXPECT_EQ(deleted->position, 1);
  EXPECT_EQ(deleted->attributes, CRecord::ATTR_DELETED);
  EXPECT_NE(deleted->privateFlag, 0u);
  EXPECT_EQ(db.RecordAt(4), nullptr);
  ASSERT_NE(db.GetCategories(), nullptr);  // built, so the save writes it back

  ASSERT_EQ(db.Save(), RDB_OK);
  file.trailing.clear();
  EXPECT_EQ(ReadAll(p), Build(file));
}

TEST_F(MemoDatabaseTest, AttributeBitsAreMappedOnLoadAndSave) {
  File file = MemoFile();
  const std::uint16_t fileBits[] = {fl::REC_ATTR_MODIFIED, fl::REC_ATTR_DELETED, fl::REC_ATTR_ARCHIVED,
                                    fl::REC_ATTR_NEW, fl::REC_ATTR_PRIVATE};
  for (std::uint16_t bits : fileBits) file.records.push_back(MemoRecord(bits, bits, 0, PlainBody("x")));
  const fs::path p = Write(Build(file));

  ASSERT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, nullptr), RDB_OK);
  const std::uint32_t memoryBits[] = {CRecord::ATTR_MODIFIED, CRecord::ATTR_DELETED, CRecord::ATTR_ARCHIVED,
                                      CRecord::ATTR_NEW, 0};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(db.RecordAt(i)->attributes, memoryBits[i]) << i;
    EXPECT_EQ(db.RecordAt(i)->privateFlag != 0, i == 4) << i;
  }
  // The extension marks its own edits.
  db.RecordAt(4)->attributes |= CRecord::ATTR_MODIFIED | CRecord::ATTR_DELETED;
  ASSERT_EQ(db.Save(), RDB_OK);

  const File saved = Parse(ReadAll(p));
  ASSERT_EQ(saved.records.size(), 5u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(saved.records[i].attributes, fileBits[i]) << i;
  EXPECT_EQ(saved.records[4].attributes,
            fl::REC_ATTR_PRIVATE | fl::REC_ATTR_MODIFIED | fl::REC_ATTR_DELETED);
}

TEST_F(MemoDatabaseTest, AddedMemosArePaddedAndWrittenAfterLoadedOnes) {
  File file = PlainFile();
  const fs::path p = Write(Build(file));
  ASSERT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, nullptr), RDB_OK);

  const std::string texts[] = {"a\r\nb", "", "1234567", "12345678"};
  for (const auto& text : texts) ASSERT_EQ(db.AddRecord(NewMemo(text)), 0);
  EXPECT_EQ(db.RecordAt(3)->position, 3);
  EXPECT_EQ(db.RecordAt(6)->position, 6);
  ASSERT_EQ(db.Save(), RDB_OK);

  const File saved = Parse(ReadAll(p));
  ASSERT_EQ(saved.records.size(), 7u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(saved.records[i].id, file.records[i].id);
  const Bytes expected[] = {
      Bytes{'a', '\n', 'b', 0, 0, 0, 0, 0},
      Bytes(8, 0),
      Bytes{'1', '2', '3', '4', '5', '6', '7', 0},
      Bytes{'1', '2', '3', '4', '5', '6', '7', '8', 0, 0, 0, 0, 0, 0, 0, 0},
  };
  for (std::size_t i = 0; i < 4; ++i) {
    const Record& r = saved.records[3 + i];
    EXPECT_TRUE(IsWellFormed(r)) << i;
    EXPECT_EQ(r.data, expected[i]) << i;
    EXPECT_EQ(r.id, 0u);
    EXPECT_EQ(r.attributes, fl::REC_ATTR_NEW | fl::REC_ATTR_MODIFIED);
  }
}

TEST_F(MemoDatabaseTest, EmptyFileIsAnEmptyDatabaseAndSavesAWholeHeader) {
  const fs::path p = Write(Bytes());
  ASSERT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, "ignored"), RDB_OK);
  EXPECT_EQ(db.RecordCount(), 0);
  EXPECT_EQ(db.GetCategories(), nullptr);
  EXPECT_EQ(db.PasswordHint(), "");

  db.AddRecord(NewMemo("first"));
  ASSERT_EQ(db.Save(), RDB_OK);
  const Bytes saved = ReadAll(p);
  ASSERT_EQ(saved.size(), fl::HDR_SIZE + fl::REC_HEADER_SIZE + 8);
  EXPECT_EQ(Get32(saved, fl::HDR_SIZE_FIELD), fl::HDR_SIZE);
  EXPECT_EQ(Get16(saved, fl::HDR_KIND), fl::HDR_KIND_VALUE);
  EXPECT_EQ(Get32(saved, fl::HDR_RECORD_COUNT), 1u);
  EXPECT_EQ(Get32(saved, fl::HDR_APPINFO_SIZE), 0u);
  EXPECT_EQ(Get32(saved, fl::HDR_SORTINFO_SIZE), 0u);

  CMemoDatabase again;
  ASSERT_EQ(again.Load(p, RDB_OPEN_READ_WRITE, nullptr), RDB_OK);
  EXPECT_EQ(TextAt(again, 0), "first");
}

TEST_F(MemoDatabaseTest, FilesWithoutRecordsOrAppInfoKeepTheirBytes) {
  File noRecords = PlainFile();
  noRecords.records.clear();
  File noAppInfo = PlainFile();
  noAppInfo.appInfo.reset();
  for (const File& file : {noRecords, noAppInfo}) {
    const fs::path p = Write(Build(file));
    ASSERT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, nullptr), RDB_OK);
    EXPECT_EQ(db.GetCategories() == nullptr, !file.appInfo.has_value());
    EXPECT_FALSE(db.IsEncrypted());
    ASSERT_EQ(db.Save(), RDB_OK);
    EXPECT_EQ(ReadAll(p), Build(file));
  }
}

TEST_F(MemoDatabaseTest, ProtectedFileNeedsTheRightPassword) {
  const File file = ProtectedFile("secret");
  const Bytes original = Build(file);
  const fs::path p = Write(original);

  for (const char* wrong : {static_cast<const char*>(nullptr), "wrong", "", "secret "}) {
    ASSERT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, wrong), RDB_BAD_PASSWORD);
    // The blocks are there for the prompt; no records, no cipher, no save.
    EXPECT_TRUE(db.IsEncrypted());
    EXPECT_EQ(db.PasswordHint(), "my hint");
    EXPECT_NE(db.GetCategories(), nullptr);
    EXPECT_EQ(db.RecordCount(), 0);
    EXPECT_FALSE(db.HasCipher());
    EXPECT_EQ(db.Save(), RDB_CANNOT_OPEN);
    EXPECT_EQ(ReadAll(p), original);
  }

  ASSERT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, "secret"), RDB_OK);
  ASSERT_EQ(db.RecordCount(), 3);
  EXPECT_TRUE(db.HasCipher());
  EXPECT_EQ(TextAt(db, 0), "first\r\nline");
  EXPECT_EQ(TextAt(db, 1), SJIS_MEMORY_TEXT);
  EXPECT_EQ(TextAt(db, 2), "third memo, a little longer");

  // Saved again under the same key: the same bytes, bodies still encrypted.
  db.AddRecord(NewMemo("added\r\nlater"));
  ASSERT_EQ(db.Save(), RDB_OK);
  const File saved = Parse(ReadAll(p));
  ASSERT_EQ(saved.records.size(), 4u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(saved.records[i].data, file.records[i].data) << i;
  EXPECT_NE(saved.records[3].data, PlainBody("added\nlater"));
  EXPECT_EQ(DecryptBody(saved.records[3].data, "secret"), PlainBody("added\nlater"));

  CMemoDatabase again;
  ASSERT_EQ(again.Load(p, RDB_OPEN_READ_WRITE, "secret"), RDB_OK);
  EXPECT_EQ(TextAt(again, 3), "added\r\nlater");
  EXPECT_EQ(TextAt(again, 1), SJIS_MEMORY_TEXT);
}

TEST_F(MemoDatabaseTest, PlainFileIgnoresAGivenPassword) {
  const File file = PlainFile();
  const fs::path p = Write(Build(file));
  ASSERT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, "secret"), RDB_OK);
  EXPECT_FALSE(db.HasCipher());
  EXPECT_EQ(TextAt(db, 0), "Hello\r\nworld");
  ASSERT_EQ(db.Save(), RDB_OK);
  EXPECT_EQ(Parse(ReadAll(p)).records[0].data, PlainBody("Hello\nworld"));
}

TEST_F(MemoDatabaseTest, EveryPasswordByteCounts) {
  const std::string longOne = std::string(CBlowfish::MAX_KEY_BYTES, 'k') + "A";
  const std::string longOther = std::string(CBlowfish::MAX_KEY_BYTES, 'k') + "B";  // same Blowfish key, other digest
  const std::string shiftJis = "\x83\x70\x83\x58\x83\x8f\x81\x5b\x83\x68";
  for (const std::string& password : {std::string(), longOne, shiftJis}) {
    SCOPED_TRACE(password);
    const fs::path p = Write(Build(ProtectedFile(password)));
    if (password == longOne) {
      EXPECT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, longOther.c_str()), RDB_BAD_PASSWORD);
    } else {
      EXPECT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, nullptr), RDB_BAD_PASSWORD);
    }
    ASSERT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, password.c_str()), RDB_OK);
    EXPECT_EQ(TextAt(db, 0), "first\r\nline");
    EXPECT_EQ(TextAt(db, 2), "third memo, a little longer");
  }
}

TEST_F(MemoDatabaseTest, BytesAfterTheLastWholeBlockStayUndecrypted) {
  File file = ProtectedFile("pw");
  Bytes body = EncryptBody(FromString("abcdefgh"), "pw");
  for (char c : std::string("xyz")) body.push_back(static_cast<std::uint8_t>(c));
  file.records[0].data = body;
  const fs::path p = Write(Build(file));
  ASSERT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, "pw"), RDB_OK);
  EXPECT_EQ(TextAt(db, 0), "abcdefghxyz");
}

TEST_F(MemoDatabaseTest, ShortAppInfoDataIsReadOnlyAsFarAsItGoes) {
  // Data that ends inside the digest: unprotected, no hint.
  {
    File file = ProtectedFile("pw");
    Bytes data = MemoAppInfo(DefaultCategories(), "pw", "");
    data.resize(fl::APP_DIGEST + fl::APP_DIGEST_SIZE - 1);
    file.appInfo = DataBlock(data);
    file.records = PlainFile().records;
    const fs::path p = Write(Build(file));
    ASSERT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, nullptr), RDB_OK);
    EXPECT_FALSE(db.IsEncrypted());
    EXPECT_EQ(db.PasswordHint(), "");
    EXPECT_EQ(TextAt(db, 0), "Hello\r\nworld");
  }
  // A hint without its zero byte ends with the block.
  {
    File file = ProtectedFile("pw");
    Bytes data = MemoAppInfo(DefaultCategories(), "pw", "HINT");
    data.pop_back();
    file.appInfo = DataBlock(data);
    const fs::path p = Write(Build(file));
    ASSERT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, nullptr), RDB_BAD_PASSWORD);
    EXPECT_EQ(db.PasswordHint(), "HINT");
  }
  // Data shorter than the category block: names that are there are read,
  // and a save writes nothing beyond the block.
  {
    auto slots = DefaultCategories();
    slots[5] = Category{"Fifth", 5, false};
    slots[6] = Category{"Sixth", 6, true};
    Bytes data = CategoryBlock(slots);
    data.resize(fl::CAT_NAMES + fl::CAT_NAME_FIELD_SIZE * 6 + 2);  // "Si" of slot 6 is there
    File file = PlainFile();
    file.appInfo = DataBlock(data);
    const Bytes original = Build(file);
    const fs::path p = Write(original);
    ASSERT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, nullptr), RDB_OK);
    CCategoryTable* table = db.GetCategories();
    ASSERT_NE(table, nullptr);
    CCategory c;
    ASSERT_EQ(table->FindByIndex(5, c), CCategoryTable::CAT_OK);
    EXPECT_EQ(c.name, "Fifth");
    EXPECT_EQ(c.uniqueId, 0);  // the id bytes are not in the block
    ASSERT_EQ(table->FindByIndex(6, c), CCategoryTable::CAT_OK);
    EXPECT_EQ(c.name, "Si");
    EXPECT_EQ(c.renamed, 1);
    ASSERT_EQ(table->Rename(1, "Work"), CCategoryTable::CAT_OK);
    ASSERT_EQ(db.Save(), RDB_OK);

    const Bytes saved = ReadAll(p);
    ASSERT_EQ(saved.size(), original.size());
    const File parsed = Parse(saved);
    const std::size_t name1 = fl::BLK_HEADER_SIZE + fl::CAT_NAMES + fl::CAT_NAME_FIELD_SIZE;
    const Bytes appInfo = BuildBlock(*parsed.appInfo);
    EXPECT_EQ(ToString(appInfo, name1, 5), std::string("Work\0", 5));
    Bytes expected = original;
    std::copy(appInfo.begin(), appInfo.end(), expected.begin() + fl::HDR_SIZE);
    EXPECT_EQ(saved, expected);  // only the block's own bytes changed
    EXPECT_EQ(appInfo.size(), BuildBlock(*file.appInfo).size());
  }
}

TEST_F(MemoDatabaseTest, DamagedFilesAreRefusedAndLeftAlone) {
  struct Case {
    const char* what;
    Bytes bytes;
  };
  std::vector<Case> cases;
  const File plain = PlainFile();
  const Bytes good = Build(plain);
  const std::size_t appAt = fl::HDR_SIZE;
  const std::size_t appSize = BuildBlock(*plain.appInfo).size();
  const std::size_t sortAt = appAt + appSize;
  auto patched = [&](std::size_t at, std::uint32_t value) {
    Bytes b = good;
    Put32(b, at, value);
    return b;
  };
  cases.push_back({"header cut short", Bytes(good.begin(), good.begin() + 50)});
  cases.push_back({"header size not 84", patched(fl::HDR_SIZE_FIELD, 80)});
  cases.push_back({"app-info beyond the end", patched(fl::HDR_APPINFO_SIZE, 0xFFFFFFF0u)});
  cases.push_back({"app-info size disagrees", patched(appAt + fl::BLK_TOTAL_SIZE, static_cast<std::uint32_t>(appSize + 8))});
  cases.push_back({"app-info data offset past block", patched(appAt + fl::BLK_DATA_OFFSET, 4000)});
  cases.push_back({"app-info data offset in block header", patched(appAt + fl::BLK_DATA_OFFSET, 8)});
  cases.push_back({"sort-info size disagrees", patched(sortAt + fl::BLK_TOTAL_SIZE, 12)});
  cases.push_back({"record count too large", patched(fl::HDR_RECORD_COUNT, 4)});
  cases.push_back({"record count huge", patched(fl::HDR_RECORD_COUNT, 0xFFFFFFFFu)});
  cases.push_back({"file cut inside a record", Bytes(good.begin(), good.end() - 3)});
  {
    File f = plain;
    f.appInfo = Block{};
    f.appInfo->raw = Bytes(20, 0);
    Put32(*f.appInfo->raw, fl::BLK_TOTAL_SIZE, 20);
    cases.push_back({"app-info smaller than its header", Build(f)});
  }
  {
    File f = plain;
    f.records[1].size = fl::REC_HEADER_SIZE - 1;
    cases.push_back({"record smaller than its header", Build(f)});
  }
  {
    File f = plain;
    f.records[1].data = Bytes(fl::REC_MAX_DATA + 8, 'z');
    cases.push_back({"record over the size limit", Build(f)});
  }
  {
    // The cipher is keyed before the records are read; a failure drops it.
    const Bytes prot = Build(ProtectedFile("pw"));
    cases.push_back({"protected, cut inside a record", Bytes(prot.begin(), prot.end() - 9)});
  }

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path p = Write(c.bytes);
    EXPECT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, "pw"), RDB_CANNOT_OPEN);
    EXPECT_EQ(db.RecordCount(), 0);
    EXPECT_EQ(db.GetCategories(), nullptr);
    EXPECT_FALSE(db.HasCipher());
    EXPECT_TRUE(db.AppInfoBlock().empty());
    EXPECT_EQ(db.Save(), RDB_CANNOT_OPEN);
    EXPECT_EQ(ReadAll(p), c.bytes);
  }
}

TEST_F(MemoDatabaseTest, RecordFieldsThatDisagreeWithItsSizeAreNotTrusted) {
  // The body is every byte behind the record header, whatever the length and
  // data-offset fields say, as the conduit reads it: a text is never cut (and
  // then saved cut), and never runs past its record (the bodies hold no zero
  // byte, so it would pick up the bytes of the next record).
  File file = MemoFile();
  file.records.push_back(MemoRecord(1, 0, 0, FromString(std::string(200, 'X'))));
  file.records.push_back(MemoRecord(2, 0, 0, FromString("abc")));
  file.records.back().lengthField = 1000;  // length past the record
  file.records.push_back(MemoRecord(3, 0, 0, FromString("def")));
  file.records.back().dataOffset = 5000;  // data offset past the record
  file.records.push_back(MemoRecord(4, 0, 0, FromString("whole memo")));
  file.records.back().lengthField = 3;  // length short of the body
  file.records.push_back(MemoRecord(5, 0, 0, PlainBody("next")));
  const fs::path p = Write(Build(file));
  ASSERT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, nullptr), RDB_OK);
  ASSERT_EQ(db.RecordCount(), 5);
  EXPECT_EQ(TextAt(db, 0), std::string(200, 'X'));
  EXPECT_EQ(TextAt(db, 1), "abc");
  EXPECT_EQ(TextAt(db, 2), "def");
  EXPECT_EQ(TextAt(db, 3), "whole memo");
  EXPECT_EQ(TextAt(db, 4), "next");
  ASSERT_EQ(db.Save(), RDB_OK);
  File saved;
  ASSERT_TRUE(Parse(ReadAll(p), saved));
  for (const Record& r : saved.records) EXPECT_TRUE(IsWellFormed(r));
}

TEST_F(MemoDatabaseTest, LargestRecordLoadsAndTooLongTextIsNotSaved) {
  File file = MemoFile();
  Bytes body(fl::REC_MAX_DATA, 'a');
  body.back() = 0;
  file.records.push_back(MemoRecord(1, 0, 0, body));
  const Bytes original = Build(file);
  const fs::path p = Write(original);
  ASSERT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, nullptr), RDB_OK);
  EXPECT_EQ(TextAt(db, 0).size(), fl::REC_MAX_DATA - 1);
  ASSERT_EQ(db.Save(), RDB_OK);
  EXPECT_EQ(ReadAll(p), original);

  // One byte more would make a record that no reader accepts: the save is
  // refused and the file stays as it was, with no temporary left behind.
  db.MemoAt(0)->text.push_back('a');
  EXPECT_EQ(db.Save(), RDB_CANNOT_OPEN);
  EXPECT_EQ(ReadAll(p), original);
  EXPECT_EQ(dir.FileCount(), 1u);
  // "\r\n" counts as one byte in the file.
  db.MemoAt(0)->text = std::string(fl::REC_MAX_DATA - 2, 'b') + "\r\n";
  EXPECT_EQ(db.Save(), RDB_OK);
}

TEST_F(MemoDatabaseTest, SaveReplacesTheFileSafelyAndNeverCreatesIt) {
  const fs::path p = Write(Build(PlainFile()));
  ASSERT_EQ(::chmod(p.c_str(), 0640), 0);
  struct stat before {};
  ASSERT_EQ(::stat(p.c_str(), &before), 0);

  ASSERT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, nullptr), RDB_OK);
  db.MemoAt(0)->text = "changed";
  ASSERT_EQ(db.Save(), RDB_OK);
  struct stat after {};
  ASSERT_EQ(::stat(p.c_str(), &after), 0);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_NE(after.st_ino, before.st_ino);  // a new file was renamed into place
  EXPECT_EQ(dir.FileCount(), 1u);
  EXPECT_EQ(Parse(ReadAll(p)).records[0].data, PlainBody("changed"));

  // Through a symbolic link: the target is replaced, the link stays.
  const fs::path link = dir / "link.dat";
  fs::create_symlink(p, link);
  ASSERT_EQ(db.Load(link, RDB_OPEN_READ_WRITE, nullptr), RDB_OK);
  db.MemoAt(0)->text = "via link";
  ASSERT_EQ(db.Save(), RDB_OK);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Parse(ReadAll(p)).records[0].data, PlainBody("via link"));

  // A file removed since the load is not created again.
  fs::remove(p);
  EXPECT_EQ(db.Save(), RDB_CANNOT_OPEN);
  EXPECT_FALSE(fs::exists(p));
  EXPECT_EQ(db.Load(p, RDB_OPEN_READ_WRITE, nullptr), RDB_CANNOT_OPEN);
  EXPECT_FALSE(fs::exists(p));

  // Opened for reading only, or never loaded: no save.
  const fs::path q = Write(Build(PlainFile()), "other.dat");
  ASSERT_EQ(db.Load(q, RDB_OPEN_READ_ONLY, nullptr), RDB_OK);
  EXPECT_EQ(db.Save(), RDB_CANNOT_OPEN);
  CMemoDatabase fresh;
  EXPECT_EQ(fresh.Save(), RDB_CANNOT_OPEN);
  EXPECT_EQ(fresh.Load(q, 7, nullptr), RDB_CANNOT_OPEN);
}

}  // namespace
