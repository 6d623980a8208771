// Archive (".ARC") and backup (".BAK") files beside the desktop record file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/RecordFileBytes.h"
#include "support/TempFolder.h"
#include "dbfiles/ArchiveDb.h"
#include "dbfiles/BackupDb.h"
#include "dbfiles/CategoryList.h"
#include "dbfiles/CompanionFileName.h"
#include "dbfiles/ResultCodes.h"
#include "dbfiles/SyncType.h"
#include "platform/files/ScopedFileEnv.h"
#include "support/FaultInjectionEnv.h"
#include "support/RecordingSyncLog.h"

namespace {

namespace fs = std::filesystem;
using namespace recordfile;

CSyncRecord MakeRecord(std::int32_t id, std::int32_t category, const std::string& body) {
  CSyncRecord r;
  r.SetId(id);
  r.SetCategory(category);
  r.SetBody(static_cast<std::int32_t>(body.size()), body.data());
  return r;
}

TEST(CompanionNames, ExtensionIsReplacedOrAppended) {
  EXPECT_EQ(CompanionFileName("/u/record.dat", ".BAK"), "/u/record.BAK");
  EXPECT_EQ(CompanionFileName("/u/record", ".BAK"), "/u/record.BAK");
  EXPECT_EQ(CompanionFileName("/u/v1.2/record", ".BAK"), "/u/v1.2/record.BAK");
  EXPECT_EQ(CompanionFileName("C:\\v1.2\\record", ".ARC"), "C:\\v1.2\\record.ARC");
  EXPECT_EQ(CompanionFileName("a.tar.gz", ".ARC"), "a.tar.ARC");
  // "表" is 0x95 0x5C: its trail byte is not a folder separator.
  EXPECT_EQ(CompanionFileName("/u/rec.\x95\x5C", ".BAK"), "/u/rec.BAK");
  // ... nor as the ".": after the lead byte 0x81, 0x2E is the second byte of
  // a character.
  EXPECT_EQ(CompanionFileName("/u/rec\x81\x2E" "dat", ".BAK"), "/u/rec\x81\x2E" "dat.BAK");

  CArchiveDb archive(nullptr, 3, "MemoDB", "Business", "/u");
  EXPECT_EQ(archive.Path(), "/u/Business.ARC");
  EXPECT_EQ(archive.SyncType(), SyncType::FAST);
  CBackupDb backup(nullptr, 3, "MemoDB", "record.dat", "/u", SyncType::SLOW);
  EXPECT_EQ(backup.Path(), "/u/record.BAK");
  EXPECT_EQ(backup.SourcePath(), "/u/record.dat");
  CBackupDb defaultName(nullptr, 3, "MemoDB", "", "/u", SyncType::SLOW);
  EXPECT_EQ(defaultName.Path(), "/u/QuilletDB.BAK");

  // A category's file-safe long name makes the archive name.
  CCategoryList table;
  ASSERT_EQ(table.Add(CPCategory(4, 40, "Bills/2003")), DB_OK);
  CArchiveDb bills(nullptr, 3, "MemoDB", table.GetByIndex(4)->GetLongName(), "/u");
  EXPECT_EQ(bills.Path(), "/u/Bills_2003.ARC");
}

class ArchiveBackup : public ::testing::Test {
 protected:
  std::string Dir() const { return folder.Path().string(); }
  CTempFolder folder{"dbfiles"};
  CRecordingSyncLog log;
};

TEST_F(ArchiveBackup, ArchiveCollectsRecordsAcrossHotSyncs) {
  {
    CArchiveDb archive(&log, 3, "MemoDB", "Personal", Dir().c_str());
    ASSERT_EQ(archive.Open(), DB_OK);  // no archive yet: empty
    EXPECT_EQ(archive.RecordCount(), 0);
    ASSERT_EQ(archive.SetDbInfo("MemoDB", 0, 0x44415441, 0x6D656D6F, 1, 2, 3, 4, 5), DB_OK);
    CSyncRecord r = MakeRecord(11, 1, "first archived");
    r.SetArchived(true);
    ASSERT_EQ(archive.AddRecord(r), DB_OK);
    ASSERT_EQ(archive.Store(), DB_OK);
    EXPECT_FALSE(archive.IsFileOpen());
  }
  {
    CArchiveDb archive(&log, 3, "MemoDB", "Personal", Dir().c_str());
    ASSERT_EQ(archive.Open(), DB_OK);  // loads the existing archive at once
    EXPECT_EQ(archive.RecordCount(), 1);
    CSyncRecord r = MakeRecord(12, 1, "second archived");
    ASSERT_EQ(archive.AddRecord(r), DB_OK);
    ASSERT_EQ(archive.Store(), DB_OK);
  }
  File f;
  ASSERT_TRUE(Parse(ReadAll(folder.Path() / "Personal.ARC"), f));
  ASSERT_EQ(f.records.size(), 2u);
  EXPECT_EQ(f.records[0].id, 11u);
  EXPECT_EQ(f.records[0].data, Text("first archived"));
  EXPECT_EQ(f.records[0].attributes, 0);
  EXPECT_EQ(f.records[1].id, 12u);
  EXPECT_EQ(f.header->creator, 0x6D656D6Fu);
  EXPECT_EQ(f.header->recordCount, 2u);

  // A HotSync that archives nothing leaves the file alone.
  const Bytes before = ReadAll(folder.Path() / "Personal.ARC");
  CArchiveDb idle(&log, 3, "MemoDB", "Personal", Dir().c_str());
  ASSERT_EQ(idle.Open(), DB_OK);
  ASSERT_EQ(idle.Store(), DB_OK);
  EXPECT_EQ(ReadAll(folder.Path() / "Personal.ARC"), before);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"Personal.ARC"});
}

TEST_F(ArchiveBackup, DamagedArchiveReportsTheLoadError) {
  File f;
  Record r;
  r.id = 1;
  r.data = Text("x");
  f.records = {r};
  f = Consistent(f);
  f.header->recordCount = 2;
  WriteAll(folder.Path() / "Work.ARC", Build(f));
  CArchiveDb archive(&log, 3, "MemoDB", "Work.dat", Dir().c_str());
  EXPECT_EQ(archive.Open(), DB_ERR_BAD_RECORD_HEADER);
  EXPECT_EQ(archive.RecordCount(), 1);
}

TEST_F(ArchiveBackup, BackupIsReadOnlyInSlowSyncAndRewrittenFromTheDesktopFile) {
  File old;
  Record r;
  r.id = 21;
  r.data = Text("as at the last HotSync");
  old.records = {r};
  old = Consistent(old);
  WriteAll(folder.Path() / "record.BAK", Build(old));
  File desktop;
  Record d1, d2;
  d1.id = 21;
  d1.data = Text("changed since");
  d2.id = 22;
  desktop.records = {d1, d2};
  desktop = Consistent(desktop);
  desktop.trailing = {1, 2, 3};  // a byte-for-byte copy keeps even these
  const Bytes desktopBytes = Build(desktop);
  WriteAll(folder.Path() / "record.dat", desktopBytes);

  {
    CBackupDb fast(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
    ASSERT_EQ(fast.Open(), DB_OK);
    ASSERT_EQ(fast.Load(), DB_OK);
    EXPECT_EQ(fast.RecordCount(), 0);
  }
  {
    CBackupDb slow(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::SLOW);
    ASSERT_EQ(slow.Open(), DB_OK);
    ASSERT_EQ(slow.RecordCount(), 1);
    CSyncRecord out;
    ASSERT_EQ(slow.GetRecordById(21, out, false), DB_OK);
    EXPECT_EQ(out.GetLength(), 22);
    ASSERT_EQ(slow.Store(), DB_OK);
  }
  EXPECT_EQ(ReadAll(folder.Path() / "record.BAK"), desktopBytes);

  // A copy failed at any step leaves the previous backup whole and no
  // temporary file (closing the desktop file after reading it may fail
  // harmlessly).
  using Op = IFileEnv::Op;
  CFaultInjectionEnv faults;
  const auto copy = [&](const CFaultInjectionEnv::SFault* fault) {
    WriteAll(folder.Path() / "record.BAK", Build(old));
    if (fault != nullptr) {
      faults.Plan(*fault);
    } else {
      faults.Reset();
    }
    CScopedFileEnv use(faults);
    CBackupDb backup(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
    return backup.Store();
  };
  ASSERT_EQ(copy(nullptr), DB_OK);
  for (const auto& fault : faults.EachFault({Op::OPEN_READ, Op::READ, Op::OPEN_WRITE, Op::WRITE, Op::SYNC,
                                             Op::CLOSE, Op::RENAME})) {
    const std::int32_t rc = copy(&fault);
    EXPECT_TRUE(rc == DB_OK || rc == DB_ERR_BACKUP_COPY_FAILED) << fault.Describe();
    EXPECT_EQ(ReadAll(folder.Path() / "record.BAK"), rc == DB_OK ? desktopBytes : Build(old)) << fault.Describe();
    EXPECT_EQ(folder.Names().size(), 2u) << fault.Describe();
  }
  fs::remove(folder.Path() / "record.dat");
  CBackupDb orphan(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::FAST);
  EXPECT_EQ(orphan.Store(), DB_ERR_BACKUP_COPY_FAILED);
  EXPECT_EQ(ReadAll(folder.Path() / "record.BAK"), Build(old));
}

TEST_F(ArchiveBackup, MissingBackupInSlowSyncIsAnEmptyTable) {
  CBackupDb slow(&log, 3, "MemoDB", "record.dat", Dir().c_str(), SyncType::SLOW);
  ASSERT_EQ(slow.Open(), DB_OK);
  ASSERT_EQ(slow.Load(), DB_OK);
  EXPECT_EQ(slow.RecordCount(), 0);
  WriteAll(folder.Path() / "record.dat", {});
  ASSERT_EQ(slow.Store(), DB_OK);
  EXPECT_TRUE(fs::exists(folder.Path() / "record.BAK"));
  EXPECT_EQ(fs::file_size(folder.Path() / "record.BAK"), 0u);
}

}  // namespace
