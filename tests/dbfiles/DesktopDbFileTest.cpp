// Opening, loading and storing the desktop record file, checked byte by byte
// with the independent reader of support/RecordFileBytes.h.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "support/RecordFileBytes.h"
#include "support/TempFolder.h"
#include "dbfiles/DesktopDb.h"
#include "dbfiles/ResultCodes.h"
#include "dbfiles/SyncType.h"
#include "platform/files/ScopedFileEnv.h"
#include "platform/recordfile/FileLayout.h"
#include "support/FaultInjectionEnv.h"
#include "support/RecordingSyncLog.h"

namespace {

namespace fs = std::filesystem;
namespace FL = FileLayout;
using namespace recordfile;

CSyncRecord MakeBodyRecord(std::int32_t id, std::int32_t category, const std::string& body) {
  CSyncRecord r;
  r.SetId(id);
  r.SetCategory(category);
  r.SetBody(static_cast<std::int32_t>(body.size()), body.data());
  return r;
}

class DesktopFile : public ::testing::Test {
 protected:

  fs::path File() const { return folder.Path() / "record.dat"; }
  std::string Dir() const { return folder.Path().string(); }

  // A file with both blocks, three records (flags set) and trailing bytes.
  recordfile::File Sample() const {
    recordfile::File f;
    Header h;
    h.name = "MemoDB";
    h.version = 2;
    h.creator = 0x6D656D6F;
    h.type = 0x44415441;
    h.flags = 0x8;
    h.modificationDate = 11;
    h.modificationNumber = 12;
    h.creationDate = 13;
    h.backupDate = 14;
    f.header = h;
    Block app;
    app.name = "MemoDB";
    app.data.assign(FL::CAT_BLOCK_SIZE + 40, 0);
    std::memcpy(&app.data[FL::CAT_NAMES], "Unfiled", 7);
    std::memcpy(&app.data[FL::CAT_NAMES + FL::CAT_NAME_FIELD_SIZE], "Work", 4);
    app.data[FL::CAT_IDS + 1] = 5;
    for (std::size_t i = FL::CAT_BLOCK_SIZE; i < app.data.size(); ++i) app.data[i] = static_cast<std::uint8_t>(i);
    app.capacity = app.length = static_cast<std::uint32_t>(app.data.size());
    app.reserved = 0x01020304;
    f.appInfo = app;
    Block sort;
    sort.name = "MemoDB";
    sort.data = {9, 8, 7};
    sort.capacity = sort.length = 3;
    f.sortInfo = sort;
    Record a;
    a.id = 101;
    a.category = 1;
    a.attributes = 0x01 | 0x10;
    a.data = Text("first memo");
    Record b;
    b.id = 102;
    b.attributes = 0x08;
    b.data = {};
    Record c;
    c.id = 103;
    c.category = 1;
    c.attributes = 0x02 | 0x04;
    c.data = Text("third");
    f.records = {a, b, c};
    f.trailing = {0xEE, 0xEE, 0xEE};
    return Consistent(f);
  }

  CTempFolder folder{"dbfiles"};
  CRecordingSyncLog log;
};

TEST_F(DesktopFile, OpenPerSyncType) {
  {
    CDesktopDb fast(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
    EXPECT_EQ(fast.Open(), DB_ERR_DESKTOP_FILE_MISSING);
    CDesktopDb slow(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::SLOW);
    EXPECT_EQ(slow.Open(), DB_ERR_DESKTOP_FILE_MISSING);
    CDesktopDb overwrite(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::DESKTOP_OVERWRITES);
    EXPECT_EQ(overwrite.Open(), DB_ERR_OPEN_FAILED);
    CDesktopDb nothing(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::DO_NOTHING);
    EXPECT_EQ(nothing.Open(), DB_OK);
    EXPECT_FALSE(nothing.IsFileOpen());
    CDesktopDb bad(&log, 3, "MemoDB", "record.dat", Dir().c_str(), 8);
    EXPECT_EQ(bad.Open(), DB_ERR_BAD_SYNC_TYPE);
    CDesktopDb negative(&log, 3, "MemoDB", "record.dat", Dir().c_str(), -1);
    EXPECT_EQ(negative.Open(), DB_ERR_BAD_SYNC_TYPE);
  }
  EXPECT_FALSE(fs::exists(File()));

  // Handheld overwrites desktop creates a missing file, but only with its
  // store: a HotSync that fails before it leaves no empty file behind.
  CDesktopDb create(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::HANDHELD_OVERWRITES);
  ASSERT_EQ(create.Open(), DB_OK);
  EXPECT_TRUE(create.IsDirty());
  EXPECT_FALSE(fs::exists(File()));
  create.Close(0);

  // A path that exists but cannot be read as a file is not "missing": the
  // HotSync must not go on to overwrite it.
  fs::remove(File());
  fs::create_directory(File());
  CDesktopDb blocked(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
  EXPECT_EQ(blocked.Open(), DB_ERR_OPEN_FAILED);
  EXPECT_EQ(blocked.Load(), DB_ERR_FILE_NOT_OPEN);
}

TEST_F(DesktopFile, OpeningToOverwriteKeepsTheOldFileUntilTheStore) {
  Bytes original = Build(Sample());
  WriteAll(File(), original);
  {
    CDesktopDb db(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::HANDHELD_OVERWRITES);
    ASSERT_EQ(db.Open(), DB_OK);
    ASSERT_EQ(db.Load(), DB_OK);
    EXPECT_EQ(db.RecordCount(), 0);
    EXPECT_EQ(ReadAll(File()), original);  // a HotSync that stops here loses nothing
  }
  EXPECT_EQ(ReadAll(File()), original);
}

TEST_F(DesktopFile, LoadsEveryFieldAndStoresItBack) {
  WriteAll(File(), Build(Sample()));
  CDesktopDb db(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::SLOW);
  ASSERT_EQ(db.Open(), DB_OK);
  ASSERT_EQ(db.Load(), DB_OK);
  EXPECT_FALSE(db.IsFileOpen());
  EXPECT_FALSE(db.IsDirty());
  ASSERT_EQ(db.RecordCount(), 3);
  const CSyncRecord* a = db.RecordAt(0);
  EXPECT_EQ(a->GetId(), 101);
  EXPECT_EQ(a->GetCategory(), 1);
  EXPECT_TRUE(a->IsModified());
  EXPECT_EQ(a->GetPrivate(), 1);
  EXPECT_TRUE(a->IsPending());  // slow HotSync
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(a->Body()), 10), "first memo");
  EXPECT_TRUE(db.RecordAt(1)->IsNew());
  EXPECT_EQ(db.RecordAt(1)->GetLength(), 0);
  EXPECT_TRUE(db.RecordAt(2)->IsDeleted());
  EXPECT_TRUE(db.RecordAt(2)->IsArchived());
  EXPECT_EQ(db.Load(), DB_OK);  // later loads do nothing
  EXPECT_EQ(db.RecordCount(), 3);

  ASSERT_EQ(db.LoadCategories(), DB_OK);
  ASSERT_NE(db.CategoryTable(), nullptr);
  EXPECT_STREQ(db.CategoryTable()->GetByIndex(1)->GetName(), "Work");
  EXPECT_EQ(db.AppInfoExtraSize(), 40u);

  ASSERT_EQ(db.Store(), DB_OK);
  recordfile::File stored;
  ASSERT_TRUE(Parse(ReadAll(File()), stored));
  recordfile::File expected = Sample();
  // Attribute words are written clear but for the private bit, and the
  // trailing bytes are gone.
  for (Record& r : expected.records) r.attributes &= 0x10;
  expected.trailing.clear();
  EXPECT_EQ(Build(stored), Build(expected));
  EXPECT_TRUE(stored.trailing.empty());
  EXPECT_TRUE(log.reports.empty());
}

TEST_F(DesktopFile, StoreWritesWhatTheManagerHolds) {
  CDesktopDb db(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::HANDHELD_OVERWRITES);
  ASSERT_EQ(db.Open(), DB_OK);
  ASSERT_EQ(db.SetDbInfo("MemoDB", 0x18, 0x44415441, 0x6D656D6F, 7, 100, 200, 300, 400), DB_OK);
  CSyncRecord r1 = MakeBodyRecord(5, 2, "abc"), r2 = MakeBodyRecord(6, 0, ""), r3 = MakeBodyRecord(7, 15, "zz");
  r1.SetModified(true);
  r1.SetPrivate(true);
  for (CSyncRecord* r : {&r1, &r2, &r3}) ASSERT_EQ(db.AddRecord(*r), DB_OK);
  CSyncRecord drop = MakeBodyRecord(6, 0, "");
  ASSERT_EQ(db.DeleteRecord(drop), DB_OK);  // a hole in the table is not written
  DbBlockInfo sort;
  std::uint8_t sortData[5] = {1, 2, 3, 4, 5};
  sort.data = sortData;
  sort.dataLength = 5;
  std::strcpy(sort.name, "MemoDB");
  ASSERT_EQ(db.SetSortInfo(sort), DB_OK);
  ASSERT_EQ(db.Store(), DB_OK);

  recordfile::File f;
  ASSERT_TRUE(Parse(ReadAll(File()), f));
  ASSERT_TRUE(f.header.has_value());
  EXPECT_EQ(f.header->size, 84u);
  EXPECT_EQ(f.header->kind, 1);
  EXPECT_EQ(f.header->name, "MemoDB");
  EXPECT_EQ(f.header->version, 7u);
  EXPECT_EQ(f.header->creator, 0x6D656D6Fu);
  EXPECT_EQ(f.header->type, 0x44415441u);
  EXPECT_EQ(f.header->flags, 0x18);
  EXPECT_EQ(f.header->modificationNumber, 100u);
  EXPECT_EQ(f.header->creationDate, 200u);
  EXPECT_EQ(f.header->modificationDate, 300u);
  EXPECT_EQ(f.header->backupDate, 400u);
  EXPECT_EQ(f.header->recordCount, 2u);
  EXPECT_EQ(f.header->appInfoSize, 0u);
  EXPECT_EQ(f.header->sortInfoSize, 61u);
  ASSERT_TRUE(f.sortInfo.has_value());
  EXPECT_EQ(f.sortInfo->data, Bytes({1, 2, 3, 4, 5}));
  EXPECT_EQ(f.sortInfo->capacity, 5u);
  EXPECT_EQ(f.sortInfo->length, 5u);
  EXPECT_EQ(f.sortInfo->kind, 0x1002);
  EXPECT_EQ(f.sortInfo->dataOffset, 56u);
  ASSERT_EQ(f.records.size(), 2u);
  EXPECT_EQ(f.records[0].id, 5u);
  EXPECT_EQ(f.records[0].category, 2u);
  EXPECT_EQ(f.records[0].attributes, 0x10);  // private stays, modified does not
  EXPECT_EQ(f.records[0].kind, 0x1002u);
  EXPECT_EQ(f.records[0].dataOffset, 40u);
  EXPECT_EQ(f.records[0].lengthField, 3u);
  EXPECT_EQ(f.records[0].data, Text("abc"));
  EXPECT_EQ(f.records[1].id, 7u);
  EXPECT_EQ(f.records[1].category, 15u);
  EXPECT_TRUE(f.trailing.empty());
  EXPECT_EQ(Build(f).size(), ReadAll(File()).size());

  // The conversion can also carry the flags into the attribute word.
  EXPECT_FALSE(r1.IsModified());  // AddRecord reset the caller's record
  r1.SetModified(true);
  std::uint8_t buffer[64] = {};
  FL::WriteU32(buffer + FL::REC_TOTAL_SIZE, sizeof(buffer));
  ASSERT_EQ(db.RecordToFileRecord(r1, buffer, sizeof(buffer), true), DB_OK);
  EXPECT_EQ(FL::ReadU16(buffer + FL::REC_ATTRIBUTES), FL::REC_ATTR_MODIFIED | FL::REC_ATTR_PRIVATE);
  FL::WriteU32(buffer + FL::REC_TOTAL_SIZE, 42);  // room for 2 bytes of data only
  EXPECT_EQ(db.RecordToFileRecord(r1, buffer, sizeof(buffer), false), DB_ERR_BUFFER_TOO_SMALL);
}

TEST_F(DesktopFile, EmptyFileRoundTripStaysEmpty) {
  WriteAll(File(), {});
  CDesktopDb db(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
  ASSERT_EQ(db.Open(), DB_OK);
  ASSERT_EQ(db.Load(), DB_OK);
  EXPECT_TRUE(db.HeaderBytes().empty());
  EXPECT_EQ(db.RecordCount(), 0);
  db.SetDirty(true);  // even a forced write of a database without header
  ASSERT_EQ(db.Store(), DB_OK);
  EXPECT_EQ(fs::file_size(File()), 0u);

  // An empty database with a header is exactly 84 bytes.
  CDesktopDb headerOnly(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::HANDHELD_OVERWRITES);
  ASSERT_EQ(headerOnly.Open(), DB_OK);
  ASSERT_EQ(headerOnly.SetDbInfo("X", 0, 0, 0, 0, 0, 0, 0, 0), DB_OK);
  ASSERT_EQ(headerOnly.Store(), DB_OK);
  EXPECT_EQ(fs::file_size(File()), 84u);
}

TEST_F(DesktopFile, SyncTypesThatDoNotWriteLeaveTheFile) {
  Bytes original = Build(Sample());
  for (std::int32_t type : {SyncType::DESKTOP_OVERWRITES_4, SyncType::DESKTOP_OVERWRITES_7, SyncType::DO_NOTHING}) {
    WriteAll(File(), original);
    CDesktopDb db(&log, 3, "MemoDB", "record.dat", Dir().c_str(), type);
    ASSERT_EQ(db.Open(), DB_OK);
    ASSERT_EQ(db.Load(), DB_OK);
    CSyncRecord r = MakeBodyRecord(900, 0, "added");
    ASSERT_EQ(db.AddRecord(r), DB_OK);
    ASSERT_EQ(db.Store(), DB_OK);
    EXPECT_EQ(ReadAll(File()), original) << "sync type " << type;
  }
  // Type 4 reads the file (3, 4 and 7 load it).
  CDesktopDb four(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::DESKTOP_OVERWRITES_4);
  ASSERT_EQ(four.Open(), DB_OK);
  ASSERT_EQ(four.Load(), DB_OK);
  EXPECT_EQ(four.RecordCount(), 3);
}

TEST_F(DesktopFile, CleanManagerDoesNotTouchTheFile) {
  WriteAll(File(), Build(Sample()));
  struct stat before {};
  ASSERT_EQ(::stat(File().c_str(), &before), 0);
  CDesktopDb db(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
  ASSERT_EQ(db.Open(), DB_OK);
  ASSERT_EQ(db.Load(), DB_OK);
  // The records carry flags, so Store's status reset makes the manager dirty;
  // call StoreFile on the clean manager instead.
  ASSERT_EQ(db.StoreFile(), DB_OK);
  struct stat after {};
  ASSERT_EQ(::stat(File().c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
  EXPECT_EQ(ReadAll(File()), Build(Sample()));
}

TEST_F(DesktopFile, StoreKeepsThePermissionsOfTheFileItReplaces) {
  WriteAll(File(), Build(Sample()));
  fs::permissions(File(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  CDesktopDb db(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::SLOW);
  ASSERT_EQ(db.Open(), DB_OK);
  ASSERT_EQ(db.Load(), DB_OK);
  ASSERT_EQ(db.Store(), DB_OK);
  EXPECT_EQ(fs::status(File()).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"record.dat"});
}

TEST_F(DesktopFile, FailedStoreAtAnyStepLeavesTheOldFileByteForByte) {
  using Op = IFileEnv::Op;
  const Bytes original = Build(Sample());
  CFaultInjectionEnv faults;
  // Loads the sample and adds a memo, then stores it with every file
  // operation going through `faults`, which fails `fault` (none: clean).
  const auto store = [&](const CFaultInjectionEnv::SFault* fault) {
    WriteAll(File(), original);
    log.reports.clear();
    CDesktopDb db(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
    EXPECT_EQ(db.Open(), DB_OK);
    EXPECT_EQ(db.Load(), DB_OK);
    CSyncRecord r = MakeBodyRecord(500, 0, "new memo");
    EXPECT_EQ(db.AddRecord(r), DB_OK);
    if (fault != nullptr) {
      faults.Plan(*fault);
    } else {
      faults.Reset();
    }
    CScopedFileEnv use(faults);
    return db.Store();
  };
  ASSERT_EQ(store(nullptr), DB_OK);
  const Bytes stored = ReadAll(File());
  recordfile::File f;
  ASSERT_TRUE(Parse(stored, f));
  ASSERT_EQ(f.records.size(), 4u);
  EXPECT_EQ(f.records[3].data, Text("new memo"));
  EXPECT_EQ(faults.Count(Op::WRITE), 7) << "header, two blocks, four records";

  for (const auto& fault :
       faults.EachFault({Op::OPEN_WRITE, Op::WRITE, Op::SYNC, Op::CLOSE, Op::RENAME, Op::SYNC_FOLDER})) {
    const std::int32_t rc = store(&fault);
    EXPECT_EQ(faults.Injected(), 1) << fault.Describe();
    if (fault.op == Op::SYNC_FOLDER) {
      // The new file is whole and in place, but its name may not be on the
      // disk yet: a failure, so that the HotSync is not taken for complete.
      EXPECT_EQ(rc, DB_ERR_WRITE_FAILED) << fault.Describe();
      EXPECT_EQ(ReadAll(File()), stored) << fault.Describe();
      continue;
    }
    EXPECT_EQ(rc, DB_ERR_WRITE_FAILED) << fault.Describe();
    EXPECT_EQ(ReadAll(File()), original) << fault.Describe();
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"record.dat"}) << fault.Describe();
    EXPECT_EQ(log.reports, (std::vector<CRecordingSyncLog::Report>{{"SaveFailed", DB_ERR_WRITE_FAILED}}))
        << fault.Describe();
  }
}

TEST_F(DesktopFile, RecordTooLargeToStoreIsRefusedAndLogged) {
  const Bytes original = Build(Sample());
  WriteAll(File(), original);
  CDesktopDb db(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
  ASSERT_EQ(db.Open(), DB_OK);
  ASSERT_EQ(db.Load(), DB_OK);
  std::string huge(65520 - 40 + 1, 'x');
  CSyncRecord big = MakeBodyRecord(77, 0, huge);
  ASSERT_EQ(db.AddRecord(big), DB_OK);
  EXPECT_EQ(db.Store(), DB_ERR_BUFFER_TOO_SMALL);
  EXPECT_EQ(ReadAll(File()), original);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"record.dat"});
  EXPECT_EQ(log.reports, (std::vector<CRecordingSyncLog::Report>{{"SaveFailed", DB_ERR_BUFFER_TOO_SMALL}}));

  // The largest record that fits is written and read back whole.
  CSyncRecord fits = MakeBodyRecord(77, 0, std::string(65520 - 40, 'y'));
  ASSERT_EQ(db.ModifyRecord(fits), DB_OK);
  ASSERT_EQ(db.Store(), DB_OK);
  CDesktopDb again(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
  ASSERT_EQ(again.Open(), DB_OK);
  ASSERT_EQ(again.Load(), DB_OK);
  ASSERT_EQ(again.RecordCount(), 4);
  EXPECT_EQ(again.RecordAt(3)->GetLength(), 65520 - 40);
}

// Loads `bytes` as a fast HotSync would and returns LoadFile's result.
std::int32_t LoadBytes(const fs::path& file, const Bytes& bytes, CDesktopDb& db) {
  WriteAll(file, bytes);
  std::int32_t rc = db.OpenFile(CDesktopDb::OPEN_READ);
  if (rc != DB_OK) return rc;
  rc = db.LoadFile();
  EXPECT_FALSE(db.IsFileOpen());  // closed in every outcome
  return rc;
}

TEST_F(DesktopFile, EveryLoadFailureKeepsWhatWasRead) {
  CDesktopDb noPath;
  EXPECT_EQ(noPath.LoadFile(), DB_ERR_NO_FILE_NAME);
  CDesktopDb notOpen(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
  EXPECT_EQ(notOpen.LoadFile(), DB_ERR_FILE_NOT_OPEN);
  CDesktopDb fastMissing(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
  EXPECT_EQ(fastMissing.Load(), DB_ERR_DESKTOP_FILE_MISSING);

  const Bytes whole = Build(Sample());
  const std::size_t headerEnd = 84, appEnd = headerEnd + 56 + 316, sortEnd = appEnd + 56 + 3;
  const std::size_t rec1End = sortEnd + 50, rec2End = rec1End + 40;
  auto prefix = [&](std::size_t n) { return Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n)); };
  {
    CDesktopDb db(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
    EXPECT_EQ(LoadBytes(File(), prefix(50), db), DB_ERR_BAD_HEADER);
    EXPECT_TRUE(db.HeaderBytes().empty());
  }
  {
    CDesktopDb db(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
    EXPECT_EQ(LoadBytes(File(), prefix(headerEnd + 100), db), DB_ERR_BAD_APP_INFO);
    EXPECT_EQ(db.HeaderBytes().size(), 84u);
    EXPECT_TRUE(db.AppInfoBytes().empty());
  }
  {
    CDesktopDb db(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
    EXPECT_EQ(LoadBytes(File(), prefix(appEnd + 1), db), DB_ERR_BAD_SORT_INFO);
    EXPECT_EQ(db.AppInfoBytes().size(), 372u);
  }
  {
    CDesktopDb db(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
    EXPECT_EQ(LoadBytes(File(), prefix(rec2End + 20), db), DB_ERR_BAD_RECORD_HEADER);
    EXPECT_EQ(db.RecordCount(), 2);
    EXPECT_EQ(db.SortInfoBytes().size(), 59u);
  }
  {
    CDesktopDb db(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
    EXPECT_EQ(LoadBytes(File(), prefix(rec2End + 40), db), DB_ERR_END_OF_FILE);
    EXPECT_EQ(db.RecordCount(), 2);
  }
  {
    CDesktopDb db(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
    EXPECT_EQ(LoadBytes(File(), prefix(rec2End + 42), db), DB_ERR_SHORT_READ);
    EXPECT_EQ(db.RecordCount(), 2);
  }
  {
    // The header counts 3 records, the file holds 2.
    recordfile::File f = Sample();
    f.records.pop_back();
    f.trailing.clear();
    f.header->recordCount = 3;
    CDesktopDb db(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
    EXPECT_EQ(LoadBytes(File(), Build(f), db), DB_ERR_BAD_RECORD_HEADER);
    EXPECT_EQ(db.RecordCount(), 2);
  }
  {
    // An operating-system read failure on the third record's data.
    CDesktopDb db(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
    // Reads: header, 2 blocks, record 1 header and data, record 2 header (no
    // data), record 3 header, record 3 data.
    CFaultInjectionEnv faults;
    faults.FailNth(IFileEnv::Op::READ, 8);
    CScopedFileEnv use(faults);
    EXPECT_EQ(LoadBytes(File(), whole, db), DB_ERR_READ_FAILED);
    EXPECT_EQ(db.RecordCount(), 2);
  }
}

TEST_F(DesktopFile, RecordSizesOutsideTheRecordBufferAreRefused) {
  for (std::uint32_t size : {0u, 39u, 65521u, 0xFFFFFFFFu}) {
    recordfile::File f = Sample();
    f.trailing.clear();
    f.records[1].size = size;
    // Data to read past a too-large size: the loader must not read it.
    f.trailing.assign(70000, 0x41);
    CDesktopDb db(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
    EXPECT_EQ(LoadBytes(File(), Build(f), db), DB_ERR_BAD_RECORD_HEADER) << size;
    EXPECT_EQ(db.RecordCount(), 1) << size;
  }
}

TEST_F(DesktopFile, DataLengthComesFromTheTotalSize) {
  recordfile::File f;
  Record odd;
  odd.id = 1;
  odd.data = Text("12345");
  odd.lengthField = 999;  // disagrees with the total size
  Record empty;
  empty.id = 2;
  empty.lengthField = 7;
  f.records = {odd, empty};
  f = Consistent(f);
  CDesktopDb db(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
  ASSERT_EQ(LoadBytes(File(), Build(f), db), DB_OK);
  EXPECT_EQ(db.RecordAt(0)->GetLength(), 5);
  EXPECT_EQ(db.RecordAt(1)->GetLength(), 0);
  db.SetDirty(true);
  db.SetSyncType(SyncType::HANDHELD_OVERWRITES);
  ASSERT_EQ(db.StoreFile(), DB_OK);
  recordfile::File stored;
  ASSERT_TRUE(Parse(ReadAll(File()), stored));
  ASSERT_EQ(stored.records.size(), 2u);
  EXPECT_EQ(stored.records[0].lengthField, 5u);
  EXPECT_EQ(stored.records[1].size, 40u);
  EXPECT_EQ(stored.records[1].lengthField, 0u);
}

TEST_F(DesktopFile, PathRules) {
  EXPECT_EQ(CDesktopDb::BuildPath("/home/u", "record.dat"), "/home/u/record.dat");
  EXPECT_EQ(CDesktopDb::BuildPath("/home/u/", "record.dat"), "/home/u/record.dat");
  EXPECT_EQ(CDesktopDb::BuildPath("C:\\Palm\\User\\", "record.dat"), "C:\\Palm\\User\\record.dat");
  EXPECT_EQ(CDesktopDb::BuildPath("/home/u", ""), "/home/u/QuilletDB.DAT");
  EXPECT_EQ(CDesktopDb::BuildPath(nullptr, "record.dat"), "record.dat");
  EXPECT_EQ(CDesktopDb::BuildPath("", nullptr), "");
  // A folder whose name ends in a double-byte character with trail byte 0x5C
  // still gets its separator.
  EXPECT_EQ(CDesktopDb::BuildPath("/home/\x95\x5C", "record.dat"), "/home/\x95\x5C/record.dat");
  CDesktopDb none;
  EXPECT_EQ(none.Path(), "");
  EXPECT_EQ(none.SyncType(), SyncType::DO_NOTHING);
}

}  // namespace
