// The writers' lock (waiting for another holder, then failing; release) and the
// removal of temporary files left by killed writers.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "platform/files/AtomicFileWriter.h"
#include "platform/files/FileLock.h"
#include "platform/files/StaleTemporaries.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

class FileLockTest : public ::testing::Test {
 protected:
  std::string File(const std::string& name) const { return m_folder.File(name); }

  CTempFolder m_folder;
  const fs::path& folder = m_folder.Path();
  std::string target = File("record.dat");
};

// A lock whose waits are counted instead of slept, and which can act at each.
class CCountingLock : public CFileLock {
 public:
  int pauses = 0;
  std::function<void()> onPause;

 protected:
  void Pause(int ms) override {
    EXPECT_EQ(ms, POLL_MS);
    ++pauses;
    if (onPause) onPause();
  }
};

TEST_F(FileLockTest, ASecondWriterWaitsItsTimeThenFailsAndGetsTheLockOnceReleased) {
  EXPECT_EQ(CFileLock::LockPathFor(target), File(".record.dat.lock"));
  EXPECT_EQ(CFileLock::LockPathFor("record.dat"), ".record.dat.lock");

  auto first = std::make_unique<CFileLock>();
  ASSERT_EQ(first->Acquire(target, 0), CFileLock::LOCK_OK);
  EXPECT_TRUE(first->IsHeld());

  CCountingLock second;
  EXPECT_EQ(second.Acquire(target, 10 * CFileLock::POLL_MS), CFileLock::LOCK_BUSY);
  EXPECT_EQ(second.pauses, 10) << "a wait of 10 polls";
  EXPECT_FALSE(second.IsHeld());
  second.pauses = 0;
  EXPECT_EQ(second.Acquire(target, 0), CFileLock::LOCK_BUSY);
  EXPECT_EQ(second.pauses, 0) << "no wait asked, none made";

  // Released while the second writer waits: it gets the lock at its next try.
  second.onPause = [&first] { first.reset(); };
  EXPECT_EQ(second.Acquire(target, 10 * CFileLock::POLL_MS), CFileLock::LOCK_OK);
  EXPECT_EQ(second.pauses, 1);

  // Release lets the next writer in; the lock file stays for it.
  CFileLock third;
  EXPECT_EQ(third.Acquire(target, 0), CFileLock::LOCK_BUSY);
  second.Release();
  EXPECT_EQ(third.Acquire(target, 0), CFileLock::LOCK_OK);
  EXPECT_TRUE(fs::exists(File(".record.dat.lock")));
  EXPECT_FALSE(fs::exists(target)) << "the guarded file itself is never touched";
}

TEST_F(FileLockTest, ALockHeldByAnotherProcessKeepsThisOneOutUntilThatProcessEnds) {
  int ready[2];
  int hold[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(hold), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(ready[0]);
    ::close(hold[1]);
    CFileLock lock;
    const char state = lock.Acquire(target, 0) == CFileLock::LOCK_OK ? 'y' : 'n';
    (void)!::write(ready[1], &state, 1);
    char c;
    while (::read(hold[0], &c, 1) > 0) {
    }
    ::_exit(0);  // ends holding the lock: the system releases it
  }
  ::close(ready[1]);
  ::close(hold[0]);
  char state = 0;
  ASSERT_EQ(::read(ready[0], &state, 1), 1);
  ASSERT_EQ(state, 'y');

  CFileLock lock;
  EXPECT_EQ(lock.Acquire(target, 0), CFileLock::LOCK_BUSY);
  EXPECT_EQ(lock.SystemError(), EWOULDBLOCK);
  ::close(hold[1]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ::close(ready[0]);
  EXPECT_EQ(lock.Acquire(target, 0), CFileLock::LOCK_OK);
}

TEST_F(FileLockTest, ALockFileThatCannotBeMadeFailsWithTheReason) {
  CFileLock lock;
  EXPECT_EQ(lock.Acquire(File("missing/record.dat"), 0), CFileLock::LOCK_FAILED);
  EXPECT_EQ(lock.SystemError(), ENOENT);
  EXPECT_EQ(lock.Acquire(File("folder/"), 0), CFileLock::LOCK_FAILED);
  // Something that is not a plain file under the lock file's name.
  fs::create_directory(File(".other.lock"));
  EXPECT_EQ(lock.Acquire(File("other"), 0), CFileLock::LOCK_FAILED);
  ASSERT_EQ(::mkfifo(File(".pipe.lock").c_str(), 0600), 0);
  EXPECT_EQ(lock.Acquire(File("pipe"), 0), CFileLock::LOCK_FAILED) << "and without blocking on a pipe";
  EXPECT_FALSE(lock.IsHeld());
}

TEST_F(FileLockTest, DefaultWaitComesFromTheEnvironmentWhenValid) {
  const struct {
    const char* value;
    int wait;
  } cases[] = {{nullptr, CFileLock::DEFAULT_WAIT_MS}, {"250", 250}, {"0", 0},
               {"-1", CFileLock::DEFAULT_WAIT_MS},    {"5s", CFileLock::DEFAULT_WAIT_MS},
               {"600001", CFileLock::DEFAULT_WAIT_MS}};
  for (const auto& c : cases) {
    if (c.value == nullptr) {
      ::unsetenv("QUILLET_LOCK_WAIT_MS");
    } else {
      ::setenv("QUILLET_LOCK_WAIT_MS", c.value, 1);
    }
    EXPECT_EQ(CFileLock::DefaultWaitMs(), c.wait) << (c.value ? c.value : "unset");
  }
  ::unsetenv("QUILLET_LOCK_WAIT_MS");
}

TEST_F(FileLockTest, OnlyTheWritersTemporaryFilesOfTheTargetAreRemoved) {
  // The name a real writer gives its temporary file is recognised.
  CAtomicFileWriter writer;
  ASSERT_EQ(writer.Begin(target, {}), Files::FILE_OK);
  const std::string temporary = fs::path(writer.TemporaryPath()).filename().string();
  EXPECT_TRUE(Files::IsTemporaryNameOf(temporary, "record.dat")) << temporary;

  const char* kept[] = {"record.dat",         ".record.dat.lock",    ".record.dat.abc12",
                        ".record.dat.abc1234", ".record.dat.ab-123",  "record.dat.abc123",
                        ".record.BAK.abc123",  ".xrecord.dat.abc123", ".record.dat.abc123.x"};
  for (const char* name : kept) std::ofstream(File(name)) << "keep";
  fs::create_directory(File(".record.dat.Dir123"));
  std::ofstream(File(".record.dat.Zz9aB0")) << "left by a killed writer";

  EXPECT_EQ(Files::RemoveStaleTemporaries(target), 2);
  EXPECT_FALSE(fs::exists(writer.TemporaryPath()));
  EXPECT_FALSE(fs::exists(File(".record.dat.Zz9aB0")));
  for (const char* name : kept) EXPECT_TRUE(fs::exists(File(name))) << name;
  EXPECT_TRUE(fs::is_directory(File(".record.dat.Dir123")));

  // A folder-wide clean-up for a family of targets.
  std::ofstream(File(".Work.ARC.abc123")) << "archive";
  std::ofstream(File(".Home.ARC.xyz789")) << "archive";
  const auto archives = [](std::string_view name) {
    return name.size() > 4 && name.substr(name.size() - 4) == ".ARC";
  };
  EXPECT_EQ(Files::RemoveStaleTemporaries(folder.string(), archives), 2);
  EXPECT_TRUE(fs::exists(File(".record.BAK.abc123")));
  EXPECT_EQ(Files::RemoveStaleTemporaries(File("missing/record.dat")), 0);
}

}  // namespace
