#include "platform/files/FileLock.h"

#include <fcntl.h>
#include <time.h>

#include <cerrno>
#include <cstdlib>
#include <new>

#include "platform/files/FileEnv.h"

namespace {

// Lock files found removed or replaced in a row before giving up.
constexpr int MAX_RENAMED = 100;

}  // namespace

std::string CFileLock::LockPathFor(const std::string& guarded) {
  try {
    const std::size_t slash = guarded.find_last_of('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    return guarded.substr(0, start) + "." + guarded.substr(start) + ".lock";
  } catch (const std::bad_alloc&) {
    return std::string();  // the callers take an empty path as "no memory"
  }
}

int CFileLock::DefaultWaitMs() {
  const char* text = std::getenv("QUILLET_LOCK_WAIT_MS");
  if (text == nullptr || *text == '\0') return DEFAULT_WAIT_MS;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || *end != '\0' || value < 0 || value > MAX_WAIT_MS) return DEFAULT_WAIT_MS;
  return static_cast<int>(value);
}

CFileLock::~CFileLock() { Release(); }

CFileLock::Result CFileLock::Acquire(const std::string& guarded, int waitMs) {
  Release();
  m_error = 0;
  if (guarded.empty() || guarded.back() == '/') {
    m_lockPath.clear();
    m_error = EISDIR;
    return LOCK_FAILED;
  }
  const std::string lockPath = LockPathFor(guarded);
  if (lockPath.empty()) {
    m_lockPath.clear();
    m_error = ENOMEM;
    return LOCK_FAILED;
  }
  return AcquireLockFile(lockPath, waitMs);
}

CFileLock::Result CFileLock::AcquireLockFile(const std::string& lockPath, int waitMs) {
  Release();
  m_error = 0;
  try {
    m_lockPath = lockPath;
  } catch (const std::bad_alloc&) {
    m_lockPath.clear();
    m_error = ENOMEM;
    return LOCK_FAILED;
  }
  // Tries are counted rather than timed: every wait between two of them is at
  // least POLL_MS, so the whole wait is at least waitMs.
  const int pauses = waitMs <= 0 ? 0 : (waitMs + POLL_MS - 1) / POLL_MS;
  IFileEnv& env = Files::Env();
  int fd = -1;
  int renamed = 0;
  for (int attempt = 0;; ++attempt) {
    if (fd < 0) {
      fd = OpenLockFile();
      if (fd < 0) return LOCK_FAILED;
    }
    if (env.Lock(fd, false)) {
      if (StillNamed(fd)) {
        m_fd = fd;
        return LOCK_OK;
      }
      // The lock file was removed or replaced while we opened it: lock the
      // one that has the name now.
      (void)env.Close(fd);
      fd = -1;
      if (++renamed > MAX_RENAMED) {
        m_error = ESTALE;
        return LOCK_FAILED;
      }
      --attempt;
      continue;
    }
    if (errno != EWOULDBLOCK) {
      m_error = errno;
      (void)env.Close(fd);
      return LOCK_FAILED;
    }
    if (attempt >= pauses) {
      m_error = EWOULDBLOCK;
      (void)env.Close(fd);
      return LOCK_BUSY;
    }
    Pause(POLL_MS);
  }
}

void CFileLock::Release() {
  if (m_fd < 0) return;
  // Closing the only descriptor of the open lock file ends the lock.
  (void)Files::Env().Close(m_fd);
  m_fd = -1;
}

void CFileLock::Pause(int ms) {
  struct timespec rest {ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
  while (::nanosleep(&rest, &rest) != 0 && errno == EINTR) {
  }
}

int CFileLock::OpenLockFile() {
  // Without blocking, so that a pipe with the lock file's name cannot hold the
  // caller; read access is enough for flock, and 0666 less the umask is the
  // mode: the file is always empty.
  constexpr int FLAGS = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW;
  IFileEnv& env = Files::Env();
  int fd = env.Open(m_lockPath, FLAGS | O_CREAT, 0666);
  if (fd < 0 && (errno == EACCES || errno == EROFS)) {
    // A folder we may not write to may still hold a lock file made by another.
    fd = env.Open(m_lockPath, FLAGS);
  }
  if (fd < 0) {
    m_error = errno;
    return -1;
  }
  SFileStatus st;
  const bool known = env.StatOpen(fd, st);
  if (!known || st.kind != SFileStatus::Kind::REGULAR) {
    m_error = known ? EINVAL : errno;
    (void)env.Close(fd);
    return -1;
  }
  return fd;
}

bool CFileLock::StillNamed(int fd) const {
  IFileEnv& env = Files::Env();
  SFileStatus open;
  SFileStatus named;
  if (!env.StatOpen(fd, open) || !env.Stat(m_lockPath, named, false)) return false;
  return open.device == named.device && open.inode == named.inode;
}
