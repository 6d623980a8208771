#include "platform/files/PosixFileEnv.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cerrno>
#include <cstring>
#include <new>

namespace {

void Fill(const struct stat& st, SFileStatus& status) {
  status.kind = S_ISREG(st.st_mode)   ? SFileStatus::Kind::REGULAR
                : S_ISDIR(st.st_mode) ? SFileStatus::Kind::FOLDER
                                      : SFileStatus::Kind::OTHER;
  status.size = st.st_size < 0 ? 0 : static_cast<std::uint64_t>(st.st_size);
  status.mode = static_cast<unsigned>(st.st_mode & 07777);
  status.owner = st.st_uid;
  status.group = st.st_gid;
  status.device = st.st_dev;
  status.inode = st.st_ino;
  status.modifiedSeconds = static_cast<std::int64_t>(st.st_mtime);
}

std::atomic<IFileEnv*> g_current{nullptr};

}  // namespace

int CPosixFileEnv::Open(const std::string& path, int flags, unsigned mode) {
  for (;;) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd >= 0 || errno != EINTR) return fd;
  }
}

ssize_t CPosixFileEnv::Read(int fd, void* bytes, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd, bytes, size);
    if (got >= 0 || errno != EINTR) return got;
  }
}

ssize_t CPosixFileEnv::ReadAt(int fd, void* bytes, std::size_t size, std::uint64_t offset) {
  if (offset > static_cast<std::uint64_t>(INT64_MAX)) {
    errno = EINVAL;
    return -1;
  }
  for (;;) {
    const ssize_t got = ::pread(fd, bytes, size, static_cast<off_t>(offset));
    if (got >= 0 || errno != EINTR) return got;
  }
}

bool CPosixFileEnv::Write(int fd, const void* bytes, std::size_t size) {
  const auto* at = static_cast<const std::uint8_t*>(bytes);
  while (size > 0) {
    const ssize_t written = ::write(fd, at, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) {
      errno = EIO;
      return false;
    }
    at += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool CPosixFileEnv::Sync(int fd) {
  for (;;) {
    if (::fsync(fd) == 0) return true;
    if (errno != EINTR) return false;
  }
}

bool CPosixFileEnv::SyncFolder(const std::string& folder) {
  // The own calls, not the overridable ones: a folder sync is one operation.
  const int fd = CPosixFileEnv::Open(folder, O_RDONLY | O_DIRECTORY);
  if (fd < 0) return false;
  const bool ok = CPosixFileEnv::Sync(fd);
  const int error = errno;
  ::close(fd);
  errno = error;
  return ok;
}

bool CPosixFileEnv::Close(int fd) {
  // Linux releases the descriptor even when close is interrupted: never retry.
  return ::close(fd) == 0 || errno == EINTR;
}

bool CPosixFileEnv::Rename(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool CPosixFileEnv::Link(const std::string& from, const std::string& to) {
  return ::link(from.c_str(), to.c_str()) == 0;
}

bool CPosixFileEnv::Remove(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool CPosixFileEnv::MakeFolder(const std::string& path, unsigned mode) {
  return ::mkdir(path.c_str(), static_cast<mode_t>(mode)) == 0;
}

bool CPosixFileEnv::ChangeMode(int fd, unsigned mode) {
  for (;;) {
    if (::fchmod(fd, static_cast<mode_t>(mode)) == 0) return true;
    if (errno != EINTR) return false;
  }
}

bool CPosixFileEnv::ChangeOwner(int fd, uid_t owner, gid_t group) {
  for (;;) {
    if (::fchown(fd, owner, group) == 0) return true;
    if (errno != EINTR) return false;
  }
}

bool CPosixFileEnv::Stat(const std::string& path, SFileStatus& status, bool followLinks) {
  struct stat st {};
  if ((followLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0) return false;
  Fill(st, status);
  return true;
}

bool CPosixFileEnv::StatOpen(int fd, SFileStatus& status) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return false;
  Fill(st, status);
  return true;
}

bool CPosixFileEnv::List(const std::string& folder, std::vector<std::string>& names) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return false;
  bool ok = true;
  try {
    std::vector<std::string> found;
    errno = 0;
    while (const struct dirent* item = ::readdir(dir)) {
      if (std::strcmp(item->d_name, ".") != 0 && std::strcmp(item->d_name, "..") != 0) found.emplace_back(item->d_name);
      errno = 0;
    }
    ok = errno == 0;
    if (ok) names = std::move(found);
  } catch (const std::bad_alloc&) {
    errno = ENOMEM;
    ok = false;
  }
  const int error = errno;
  ::closedir(dir);
  errno = error;
  return ok;
}

bool CPosixFileEnv::Lock(int fd, bool wait) {
  for (;;) {
    if (::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB)) == 0) return true;
    if (errno != EINTR) return false;
  }
}

namespace Files {

IFileEnv& Env() {
  static CPosixFileEnv system;
  IFileEnv* current = g_current.load(std::memory_order_acquire);
  return current != nullptr ? *current : system;
}

IFileEnv* SetEnv(IFileEnv* env) { return g_current.exchange(env, std::memory_order_acq_rel); }

}  // namespace Files
