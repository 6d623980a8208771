#include "platform/files/AtomicFileWriter.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <new>

#include "platform/files/FileEnv.h"

using namespace Files;

namespace {

// Attempts at a free temporary name before giving up.
constexpr int NAME_ATTEMPTS = 100;

// Six characters that make a temporary name unique enough: the process, a
// counter and the clock, mixed.  O_EXCL settles any clash.
std::string UniqueSuffix() {
  static std::atomic<std::uint64_t> counter{0};
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::uint64_t value = static_cast<std::uint64_t>(::getpid()) * std::uint64_t{0x9E3779B97F4A7C15};
  value ^= (counter.fetch_add(1) + 1) * 0xBF58476D1CE4E5B9ull;
  value ^= static_cast<std::uint64_t>(now.tv_nsec) * 0x94D049BB133111EBull;
  value ^= value >> 31;
  static constexpr char DIGITS[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string suffix(6, '0');
  for (char& c : suffix) {
    c = DIGITS[value % (sizeof DIGITS - 1)];
    value /= sizeof DIGITS - 1;
  }
  return suffix;
}

}  // namespace

CAtomicFileWriter::~CAtomicFileWriter() { Abort(); }

FileResult CAtomicFileWriter::Begin(const std::string& target, const Options& options) {
  Abort();
  m_error = 0;
  try {
    m_target = target;
    m_folder = FolderOf(target);
    m_existence = options.existence;
    if (target.empty() || target.back() == '/') {
      m_error = EISDIR;
      return FILE_ERR_CREATE;
    }

    IFileEnv& env = Env();
    SFileStatus existing;
    bool exists = false;
    switch (options.existence) {
      case Existence::MUST_EXIST: {
        // Opening for writing proves that we may write it; without blocking,
        // so that a pipe with that name cannot hold the caller.
        const int probe = env.Open(target, O_WRONLY | O_NONBLOCK | O_NOCTTY);
        if (probe < 0) {
          m_error = errno;
          return m_error == ENOENT ? FILE_ERR_NOT_FOUND : FILE_ERR_IO;
        }
        exists = env.StatOpen(probe, existing) && existing.kind == SFileStatus::Kind::REGULAR;
        (void)env.Close(probe);
        if (!exists) {
          m_error = EINVAL;
          return FILE_ERR_IO;
        }
        break;
      }
      case Existence::MUST_NOT_EXIST:
        if (env.Stat(target, existing, false)) {
          m_error = EEXIST;
          return FILE_ERR_EXISTS;
        }
        break;
      case Existence::ANY:
        exists = env.Stat(target, existing) && existing.kind == SFileStatus::Kind::REGULAR;
        break;
    }

    const bool keep = options.keepExistingMode && exists;
    const int mode = keep ? static_cast<int>(existing.mode) : options.newFileMode;
    // A file of the usual mode is created with it (the umask applies); any
    // other starts private and gets its mode below, so that its content is
    // never readable by more than the final file allows.
    const unsigned createMode = mode == UMASK_MODE ? 0666 : 0600;
    const std::size_t slash = target.find_last_of('/');
    const std::string prefix = target.substr(0, slash + 1) + "." + target.substr(slash + 1) + ".";
    for (int attempt = 0; attempt < NAME_ATTEMPTS && m_fd < 0; ++attempt) {
      std::string name = prefix + UniqueSuffix();
      const int fd = env.Open(name, O_RDWR | O_CREAT | O_EXCL, createMode);
      if (fd >= 0) {
        m_temporary = std::move(name);
        m_fd = fd;
      } else if (errno != EEXIST) {
        m_error = errno;
        return FILE_ERR_CREATE;
      }
    }
    if (m_fd < 0) {
      m_error = EEXIST;
      return FILE_ERR_CREATE;
    }
    // Both best effort: only root may give a file away, and a file system
    // without permissions keeps the private mode of the new file.
    if (keep) (void)env.ChangeOwner(m_fd, existing.owner, existing.group);
    if (mode != UMASK_MODE) (void)env.ChangeMode(m_fd, static_cast<unsigned>(mode));
    return FILE_OK;
  } catch (const std::bad_alloc&) {
    Abort();
    m_error = ENOMEM;
    return FILE_ERR_NO_MEMORY;
  }
}

FileResult CAtomicFileWriter::Write(const void* bytes, std::size_t size) {
  if (m_fd < 0) {
    m_error = EBADF;
    return FILE_ERR_WRITE;
  }
  errno = 0;
  if (!Env().Write(m_fd, bytes, size)) {
    m_error = errno;
    return FILE_ERR_WRITE;
  }
  return FILE_OK;
}

FileResult CAtomicFileWriter::Flush() {
  if (m_fd < 0) {
    m_error = EBADF;
    return FILE_ERR_FLUSH;
  }
  errno = 0;
  return Env().Sync(m_fd) ? FILE_OK : Fail(FILE_ERR_FLUSH);
}

FileResult CAtomicFileWriter::Commit() {
  if (m_fd < 0) {
    m_error = EBADF;
    return FILE_ERR_WRITE;
  }
  IFileEnv& env = Env();
  errno = 0;
  if (!env.Sync(m_fd)) return Fail(FILE_ERR_FLUSH);
  const int fd = m_fd;
  m_fd = -1;
  if (!env.Close(fd)) return Fail(FILE_ERR_CLOSE);
  errno = 0;
  if (m_existence == Existence::MUST_NOT_EXIST) {
    const bool linked = env.Link(m_temporary, m_target);
    m_error = linked ? 0 : errno;
    // The new name (when the link was made) holds the file; the temporary
    // name goes in every case.
    RemoveTemporary();
    if (!linked) return m_error == EEXIST ? FILE_ERR_EXISTS : FILE_ERR_PLACE;
  } else {
    if (!env.Rename(m_temporary, m_target)) return Fail(FILE_ERR_PLACE);
    m_temporary.clear();
  }
  if (!env.SyncFolder(m_folder)) {
    m_error = errno;
    return FILE_ERR_FOLDER_SYNC;
  }
  return FILE_OK;
}

void CAtomicFileWriter::Abort() {
  if (m_fd >= 0) {
    (void)Env().Close(m_fd);
    m_fd = -1;
  }
  RemoveTemporary();
}

FileResult CAtomicFileWriter::Fail(FileResult result) {
  m_error = errno;
  Abort();
  return result;
}

void CAtomicFileWriter::RemoveTemporary() {
  if (m_temporary.empty()) return;
  (void)Env().Remove(m_temporary);
  m_temporary.clear();
}
