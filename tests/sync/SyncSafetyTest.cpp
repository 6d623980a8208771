// HotSyncs that must neither garble nor lose a memo: different passwords on
// the two sides, an empty desktop file, the private mark, a full disk and a
// HotSync interrupted between the handheld's store and the desktop's.

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SyncTestWorld.h"
#include "conduit/SyncLog.h"
#include "dbfiles/ResultCodes.h"
#include "platform/sync20/SyncLibrary.h"

namespace {

namespace FL = FileLayout;

// Application-specific bytes of the memo application: 4 bytes, the password
// digest (16), a hint.
std::vector<std::uint8_t> Extra(std::uint8_t digestByte, const std::string& hint = "hint") {
  std::vector<std::uint8_t> extra(4, 0);
  extra.insert(extra.end(), 16, digestByte);
  extra.insert(extra.end(), hint.begin(), hint.end());
  extra.push_back(0);
  return extra;
}

std::vector<std::uint8_t> PdbBytes(CSyncTestWorld& world) {
  return recordfile::ReadAll(world.Device().Device().DatabasePath(CMemoApp::DB_NAME));
}

TEST(SyncSafetyTest, DifferentPasswordsStopTheHotSyncBeforeEitherSideChanges) {
  struct Case {
    const char* what;
    std::uint8_t handheldDigest, desktopDigest;
  };
  const Case cases[] = {{"password set on the handheld", 0x5A, 0},
                        {"password cleared on the handheld", 0, 0x5A},
                        {"password changed on the handheld", 0x5A, 0x33}};
  for (std::int32_t type : {0, 1}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + ", type " + std::to_string(type));
      std::vector<std::uint8_t> handheldExtra = Extra(c.handheldDigest);
      CSyncTestWorld world({Memo(1, "one", 0, true)}, {}, &handheldExtra);
      ASSERT_EQ(0, world.Device().Attach());
      world.WriteDesktop({{1, "one", 0, 0}, {0, "new on the desktop", 0, FL::REC_ATTR_NEW}}, {},
                         Extra(c.desktopDigest));
      const auto desktopBefore = recordfile::ReadAll(world.DesktopPath());
      const auto handheldBefore = PdbBytes(world);

      EXPECT_EQ(DB_ERR_PASSWORD_MISMATCH, HotSync(world, type));
      EXPECT_EQ(desktopBefore, recordfile::ReadAll(world.DesktopPath()));
      EXPECT_EQ(handheldBefore, PdbBytes(world));
      auto failed = CSyncTestWorld::LogTexts(CSyncLog::ACT_PC_FAILED);
      ASSERT_EQ(1u, failed.size());
      EXPECT_NE(std::string::npos, failed[0].find("protected by different passwords"));
      EXPECT_NE(std::string::npos, failed[0].find("quillet password"));

      // Once the desktop has the handheld's password, the HotSync goes through.
      world.WriteDesktop({{1, "one", 0, 0}, {0, "new on the desktop", 0, FL::REC_ATTR_NEW}}, {},
                         Extra(c.handheldDigest, "other hint"));
      ASSERT_EQ(0, world.Device().Attach());
      EXPECT_EQ(0, HotSync(world, type));
      std::vector<SeenRecord> handheld;
      ASSERT_TRUE(world.ReadHandheld(handheld));
      EXPECT_EQ((std::vector<std::string>{"new on the desktop", "one"}), CSyncTestWorld::Texts(handheld));
    }
  }
}

TEST(SyncSafetyTest, ADesktopWithoutMemosTakesTheHandheldsPassword) {
  std::vector<std::uint8_t> handheldExtra = Extra(0x5A);
  CSyncTestWorld world({Memo(1, "one"), Memo(2, "two")}, {}, &handheldExtra);
  ASSERT_EQ(0, world.Device().Attach());
  world.WriteDesktop({}, {}, Extra(0));
  ASSERT_EQ(0, HotSync(world, 0));
  recordfile::File desktop;
  std::vector<SeenRecord> records;
  ASSERT_TRUE(world.ReadDesktop(records, &desktop));
  EXPECT_EQ((std::vector<std::string>{"one", "two"}), CSyncTestWorld::Texts(records));
  ASSERT_TRUE(desktop.appInfo.has_value());
  const auto& data = desktop.appInfo->data;
  EXPECT_EQ(handheldExtra, std::vector<std::uint8_t>(data.begin() + FL::CAT_BLOCK_SIZE, data.end()));
}

// A 0-byte desktop file is an empty database: the HotSync fills it with every
// handheld memo (and the backup with the same), it is never written empty.
TEST(SyncSafetyTest, AnEmptyDesktopFileReceivesEveryHandheldMemo) {
  for (std::int32_t type : {0, 1}) {
    SCOPED_TRACE(type);
    CSyncTestWorld world({Memo(1, "one"), Memo(2, "two", 0, true)});
    ASSERT_EQ(0, world.Device().Attach());
    recordfile::WriteAll(world.DesktopPath(), {});
    ASSERT_EQ(0, HotSync(world, type));
    std::vector<SeenRecord> desktop, backup;
    ASSERT_TRUE(world.ReadDesktop(desktop));
    ASSERT_TRUE(CSyncTestWorld::ReadRecords(world.BackupPath(), backup));
    EXPECT_EQ((std::vector<std::string>{"one", "two"}), CSyncTestWorld::Texts(desktop));
    EXPECT_EQ((std::vector<std::string>{"one", "two"}), CSyncTestWorld::Texts(backup));
  }
}

// Handheld overwrites desktop replaces the file only with a complete store: a
// HotSync that fails before it leaves no file where there was none.
TEST(SyncSafetyTest, AFailedHandheldOverwriteCreatesNoDesktopFile) {
  int failures = 0;
  for (std::int32_t calls = 0; calls < 40; ++calls) {
    CSyncTestWorld world({Memo(1, "one"), Memo(2, "two")});
    ASSERT_EQ(0, world.Device().Attach());
    SyncFailAfter(calls);
    const std::int32_t rc = HotSync(world, 2);
    SyncFailAfter(-1);
    if (rc == 0) {
      // The file it creates holds memos: readable by its owner only.
      EXPECT_EQ(std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                std::filesystem::status(world.DesktopPath()).permissions());
      break;
    }
    ++failures;
    if (LogEntries().empty() || LogEntries().back().activity != CSyncLog::ACT_SYNC_OK) {
      EXPECT_FALSE(std::filesystem::exists(world.DesktopPath())) << "after " << calls;
    }
  }
  EXPECT_GT(failures, 3);
}

bool HandheldRecordIsSecret(CSyncTestWorld& world, std::uint32_t id) {
  CPdbFile db;
  std::vector<SeenRecord> records;
  if (!world.ReadHandheld(records, &db)) return false;
  for (std::size_t i = 0; i < db.RecordCount(); ++i) {
    if (db.RecordAt(i)->uniqueId == id) return db.RecordAt(i)->IsSecret();
  }
  return false;
}

// A secret memo changed on the desktop stays secret on both sides, and a slow
// HotSync of sides that hold the same memos changes nothing, backup or not.
TEST(SyncSafetyTest, ThePrivateMarkTravelsAndEqualSidesStayEqual) {
  FixtureMemo secret = Memo(1, "secret");
  secret.secret = true;
  CSyncTestWorld world({secret, Memo(2, "plain")});
  ASSERT_EQ(0, world.Device().Attach());
  ASSERT_EQ(0, HotSync(world, 1));
  // The desktop's memo store pads a plain body with zero bytes, the handheld
  // does not: the same memo all the same.
  world.WriteDesktop({{1, "secret, edited", 0, FL::REC_ATTR_MODIFIED | FL::REC_ATTR_PRIVATE},
                      {2, std::string("plain\0\0", 7), 0, 0}});
  ASSERT_EQ(0, world.Device().Attach());
  ASSERT_EQ(0, HotSync(world, 0));
  EXPECT_TRUE(HandheldRecordIsSecret(world, 1));
  EXPECT_FALSE(HandheldRecordIsSecret(world, 2));
  recordfile::File desktop;
  std::vector<SeenRecord> records;
  ASSERT_TRUE(world.ReadDesktop(records, &desktop));
  for (const recordfile::Record& r : desktop.records) {
    EXPECT_EQ(r.id == 1 ? FL::REC_ATTR_PRIVATE : 0, r.attributes) << r.id;
  }

  for (bool withBackup : {true, false}) {
    SCOPED_TRACE(withBackup);
    if (!withBackup) std::filesystem::remove(world.BackupPath());
    const auto desktopBefore = recordfile::ReadAll(world.DesktopPath());
    ASSERT_EQ(0, world.Device().Attach());
    ASSERT_EQ(0, HotSync(world, 1));
    EXPECT_EQ(desktopBefore, recordfile::ReadAll(world.DesktopPath()));
    std::vector<SeenRecord> handheld;
    ASSERT_TRUE(world.ReadHandheld(handheld));
    EXPECT_EQ((std::vector<std::string>{"plain", "secret, edited"}), CSyncTestWorld::Texts(handheld));
  }
}

// A disk too full for the new desktop file fails the HotSync before the
// handheld stored anything: neither side changes.  The file-size limit plays
// the full disk, in a child process.
TEST(SyncSafetyTest, AFullDiskChangesNeitherSide) {
  const std::string big(20000, 'b');
  auto makeWorld = [&](CSyncTestWorld& world) {
    ASSERT_EQ(0, world.Device().Attach());
    world.WriteDesktop({{1, "one", 0, 0}, {0, big, 0, FL::REC_ATTR_NEW}});
  };
  // The same HotSync without a limit tells how large the two files become.
  std::uintmax_t handheldAfter = 0, desktopAfter = 0;
  {
    CSyncTestWorld world({Memo(1, "one", 0, true)});
    makeWorld(world);
    ASSERT_EQ(0, HotSync(world, 0));
    handheldAfter = std::filesystem::file_size(world.Device().Device().DatabasePath(CMemoApp::DB_NAME));
    desktopAfter = std::filesystem::file_size(world.DesktopPath());
  }
  ASSERT_LT(handheldAfter + 64, desktopAfter);

  CSyncTestWorld world({Memo(1, "one", 0, true)});
  makeWorld(world);
  const auto desktopBefore = recordfile::ReadAll(world.DesktopPath());
  const auto handheldBefore = PdbBytes(world);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlim_t limit = static_cast<rlim_t>((handheldAfter + desktopAfter) / 2);
    struct rlimit rl = {limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &rl);
    ::_exit(HotSync(world, 0) == DB_ERR_WRITE_FAILED ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(child, ::waitpid(child, &status, 0));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(desktopBefore, recordfile::ReadAll(world.DesktopPath()));
  EXPECT_EQ(handheldBefore, PdbBytes(world));
}

// The state a HotSync leaves when it ends after the handheld stored and before
// the desktop file was replaced: the handheld holds the desktop's new memo
// under a new id, the desktop still holds it as new.  The next (slow) HotSync
// pairs the two instead of copying each to the other side.
TEST(SyncSafetyTest, AMemoAnInterruptedHotSyncGaveTheHandheldIsNotAddedAgain) {
  CSyncTestWorld world({Memo(1, "one"), Memo(2, "two")});
  ASSERT_EQ(0, world.Device().Attach());
  ASSERT_EQ(0, HotSync(world, 0));  // the backup holds "one" and "two"
  ASSERT_EQ(0, world.Device().WriteMemos({Memo(0, "written on the desktop"), Memo(0, "new on the handheld", 0, true)}));
  world.WriteDesktop({{1, "one", 0, 0},
                      {2, "two", 0, 0},
                      {0, "written on the desktop", 0, FL::REC_ATTR_NEW},
                      {0, "also new on the desktop", 0, FL::REC_ATTR_NEW}});
  ASSERT_EQ(0, world.Device().Attach());
  ASSERT_EQ(0, HotSync(world, 1));
  const std::vector<std::string> all = {"also new on the desktop", "new on the handheld", "one", "two",
                                        "written on the desktop"};
  std::vector<SeenRecord> handheld, desktop;
  ASSERT_TRUE(world.ReadHandheld(handheld));
  ASSERT_TRUE(world.ReadDesktop(desktop));
  EXPECT_EQ(all, CSyncTestWorld::Texts(handheld));
  EXPECT_EQ(all, CSyncTestWorld::Texts(desktop));
  for (const SeenRecord& r : desktop) {
    const SeenRecord* twin = CSyncTestWorld::FindId(handheld, r.id);
    ASSERT_NE(nullptr, twin) << r.text;
    EXPECT_EQ(r.text, twin->text);
  }
}

}  // namespace
