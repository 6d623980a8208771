#pragma once
// CFileLock: the advisory lock a writer holds for the whole of a
// read-change-write of a file that other programs change too (the memo file,
// the handheld's device folder).  Readers take no lock: every writer replaces
// its files whole, by rename.
//
// Because the guarded file is replaced by rename, its own inode cannot carry
// the lock: the lock lives on a separate, empty lock file beside it,
// "<folder>/.<name>.lock", which is created on first use and never removed.
// The lock is flock(2)'s: it belongs to one open lock file, so two CFileLock
// objects exclude each other even inside one process, and it goes away with
// the process that holds it, however that process ends.
//
//   CFileLock lock;
//   switch (lock.Acquire(path)) {
//     case CFileLock::LOCK_OK: ... read, change, write; the lock goes with `lock`
//     case CFileLock::LOCK_BUSY: "<path> is in use by another program"
//     case CFileLock::LOCK_FAILED: "cannot lock <path>: " + strerror(lock.SystemError())
//   }
//
// Standard library and POSIX calls only; nothing here throws.

#include <string>

class CFileLock {
 public:
  enum Result : int {
    LOCK_OK = 0,
    LOCK_BUSY,    // another holder kept it for the whole wait
    LOCK_FAILED,  // the lock file cannot be made or opened, or the system refused the lock
  };

  // How long a writer waits for another holder by default, and how often it
  // tries again meanwhile.
  static constexpr int DEFAULT_WAIT_MS = 5000;
  static constexpr int POLL_MS = 25;
  // The longest wait QUILLET_LOCK_WAIT_MS may ask for.
  static constexpr int MAX_WAIT_MS = 600000;

  // The lock file of `guarded`: ".<name>.lock" in the same folder.
  static std::string LockPathFor(const std::string& guarded);
  // DEFAULT_WAIT_MS, or the milliseconds QUILLET_LOCK_WAIT_MS gives (0 to
  // MAX_WAIT_MS; another value is ignored).
  static int DefaultWaitMs();

  CFileLock() = default;
  // Releases the lock.
  virtual ~CFileLock();
  CFileLock(const CFileLock&) = delete;
  CFileLock& operator=(const CFileLock&) = delete;

  // Releases any lock held, then takes the lock of `guarded`, trying again
  // every POLL_MS while another holder has it, for at least `waitMs` in all.
  Result Acquire(const std::string& guarded, int waitMs = DefaultWaitMs());
  // As Acquire, on a lock file the caller names: for a file whose lock file
  // has a name of its own that other programs already take
  // ("registry.ini.lock").
  Result AcquireLockFile(const std::string& lockPath, int waitMs = DefaultWaitMs());
  // Gives the lock up; the lock file stays.
  void Release();

  bool IsHeld() const { return m_fd >= 0; }
  // The lock file of the last Acquire.
  const std::string& LockPath() const { return m_lockPath; }
  // The errno of the last LOCK_FAILED (EWOULDBLOCK after LOCK_BUSY, 0 after LOCK_OK).
  int SystemError() const { return m_error; }

 protected:
  // Waits between two tries (sleeps `ms` milliseconds).
  virtual void Pause(int ms);

 private:
  // Opens (creating when missing) the lock file; -1 with m_error set on failure.
  int OpenLockFile();
  // True when the open lock file is still the one its name leads to (a lock
  // taken on a file that was removed or replaced meanwhile protects nothing).
  bool StillNamed(int fd) const;

  int m_fd = -1;
  std::string m_lockPath;
  int m_error = 0;
};
